#include "cli/job_run.h"

#include "cli/compare_command.h"
#include "cli/exit_codes.h"
#include "cli/progress.h"
#include "cli/summary.h"
#include "cli/terminal.h"
#include "copy/resume_state.h"
#include "odbc/error.h"

#include <QCryptographicHash>
#include <QHash>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

namespace tw::cli {

using copy::CopyOptions;
using sql::Server;

namespace {

int usage(const QString& message)
{
    writeErr(QStringLiteral("tablewright copy: ") + message + QLatin1Char('\n'));
    return ExitUsage;
}

// A run of its own, connected as the command's is.
std::unique_ptr<copy::TableCopy> connected(
    const CopyRequest& request, const db::LoginDetails& login, const copy::StopRequest& stop)
{
    auto copy = std::make_unique<copy::TableCopy>(
        request.target, &stop, request.types == CopyOptions::Types::Exact);
    for (Server side : { Server::Oracle, Server::MySQL })
        copy->connect(side, login);
    copy->createRecordset();
    return copy;
}

// What the resume state must match: the same tables, settings and options.
QString fingerprint(const CopyRequest& r, const QList<copy::TableRequest>& tables)
{
    QStringList parts { sql::serverName(r.target), QString::number(int(r.types)),
        QString::number(int(r.job.landing)), QString::number(int(r.overwrite)),
        QString::number(r.job.parts), QString::number(r.job.part) };
    for (const copy::TableRequest& t : tables) {
        parts << t.source << t.targetName() << t.where << t.columns.join(u',');
        for (const auto& [column, type] : t.types)
            parts << column + u'=' + type;
    }
    return QString::fromLatin1(
        QCryptographicHash::hash(parts.join(QChar(0x1F)).toUtf8(), QCryptographicHash::Sha256)
            .toHex());
}

// The observer of tables copied side by side: every call serialized, and
// on a terminal one line that shows each running table.
class SideBySide : public copy::CopyObserver {
public:
    SideBySide(copy::CopyObserver& inner, bool terminal)
        : m_inner(inner)
        , m_terminal(terminal)
    { }
    void begin(const QString& table, qint64 total) override
    {
        std::lock_guard lock(m_mutex);
        m_running.insert(table, { 0, total });
        m_order << table;
    }
    void rows(qint64) override { }
    void rowsOf(const QString& table, qint64 done)
    {
        std::lock_guard lock(m_mutex);
        m_running[table].done = done;
        draw(false);
    }
    void refused(const QString& table, qint64 row, const QString& message,
        const QStringList& values) override
    {
        std::lock_guard lock(m_mutex);
        clear();
        m_inner.refused(table, row, message, values);
    }
    void refusedInAll(const QString& table, qint64 refused) override
    {
        std::lock_guard lock(m_mutex);
        clear();
        m_inner.refusedInAll(table, refused);
    }
    void swapping(bool on) override
    {
        std::lock_guard lock(m_mutex);
        m_inner.swapping(on);
    }
    void end(const copy::TableResult& result) override
    {
        std::lock_guard lock(m_mutex);
        m_running.remove(result.table);
        m_order.removeAll(result.table);
        clear();
        m_inner.end(result);
        draw(true);
    }

private:
    struct Running {
        qint64 done = 0;
        qint64 total = -1;
    };
    void clear()
    {
        if (m_drawn)
            writeErr(QStringLiteral("\r\x1b[K"));
        m_drawn = false;
    }
    void draw(bool now)
    {
        const auto at = std::chrono::steady_clock::now();
        if (!m_terminal || m_order.isEmpty()
            || (!now && at - m_last < std::chrono::milliseconds(100)))
            return;
        m_last = at;
        QStringList shown;
        for (const QString& t : std::as_const(m_order)) {
            const Running& r = m_running[t];
            shown << (r.total >= 0 ? QStringLiteral("%1 %2/%3").arg(t).arg(r.done).arg(r.total)
                                   : QStringLiteral("%1 %2").arg(t).arg(r.done));
        }
        writeErr(QStringLiteral("\r\x1b[K") + shown.join(QLatin1String(" | ")));
        m_drawn = true;
    }

    copy::CopyObserver& m_inner;
    bool m_terminal;
    std::mutex m_mutex;
    QHash<QString, Running> m_running;
    QStringList m_order;
    bool m_drawn = false;
    std::chrono::steady_clock::time_point m_last;
};

// One table's calls, its rows told by name to the side-by-side line.
class OneTable : public copy::CopyObserver {
public:
    OneTable(SideBySide& all, QString table)
        : m_all(all)
        , m_table(std::move(table))
    { }
    void begin(const QString& table, qint64 total) override { m_all.begin(table, total); }
    void rows(qint64 done) override { m_all.rowsOf(m_table, done); }
    void refused(const QString& table, qint64 row, const QString& message,
        const QStringList& values) override
    {
        m_all.refused(table, row, message, values);
    }
    void refusedInAll(const QString& table, qint64 refused) override
    {
        m_all.refusedInAll(table, refused);
    }
    void swapping(bool on) override { m_all.swapping(on); }
    void end(const copy::TableResult& result) override { m_all.end(result); }

private:
    SideBySide& m_all;
    QString m_table;
};

QString landingName(const CopyRequest& r, const copy::TablePlan& plan)
{
    switch (r.job.landing) {
    case CopyOptions::Landing::Append:
        return plan.exists ? QStringLiteral("append to the target's table")
                           : QStringLiteral("create, then append");
    case CopyOptions::Landing::Upsert:
        return plan.exists ? QStringLiteral("upsert into the target's table by the key")
                           : QStringLiteral("create, then upsert");
    case CopyOptions::Landing::New:
        break;
    }
    if (!plan.exists)
        return QStringLiteral("create");
    switch (r.overwrite) {
    case Overwrite::Yes:
        return QStringLiteral("replace (built beside it, then swapped in)");
    case Overwrite::No:
        return QStringLiteral("skip: the target has it");
    case Overwrite::Ask:
        break;
    }
    return QStringLiteral("ask whether to replace it");
}

int dryRun(const CopyRequest& r, copy::TableCopy& copy, const QList<copy::TablePlan>& plans,
    const CopyOptions& options)
{
    QString text = QStringLiteral("Plan (nothing is changed): copy into %1, %2 table(s)")
                       .arg(sql::serverName(r.target))
                       .arg(plans.size());
    if (!r.job.shown.isEmpty())
        text += QStringLiteral(", ") + r.job.shown.join(u' ');
    text += QStringLiteral("\n");
    int n = 0;
    for (const copy::TablePlan& p : plans) {
        text += QStringLiteral("%1. %2 -> %3: %4\n")
                    .arg(++n)
                    .arg(p.request.source, p.target, landingName(r, p));
        if (!p.request.columns.isEmpty())
            text += QStringLiteral("   columns: %1\n")
                        .arg(p.request.columns.join(QLatin1String(", ")));
        if (!p.request.where.isEmpty())
            text += QStringLiteral("   where: %1\n").arg(p.request.where);
        for (const auto& [column, type] : p.request.types)
            text += QStringLiteral("   type of %1: %2\n").arg(column, type);
        try {
            for (const QString& statement : copy::describeCopy(copy, p, options))
                text += QStringLiteral("   ") + statement + QLatin1Char('\n');
        } catch (...) {
            text += QStringLiteral("   (reading it failed: %1)\n")
                        .arg(odbc::describe(std::current_exception()));
        }
    }
    writeOut(text);
    return ExitCopied;
}

} // namespace

int runJob(const CopyRequest& request, copy::TableCopy& copy, const db::LoginDetails& login,
    const RunTables& run, db::NameList& target, CopyOptions options, copy::CopyObserver& observer,
    Progress& progress, const copy::StopRequest& stop, DifferenceReport* differences)
{
    options.landing = request.job.landing;
    options.parts = request.job.parts;
    options.part = request.job.part;
    options.connectMore = [&] { return connected(request, login, stop); };

    // Each table's settings, planned before any row moves.
    QList<copy::TableRequest> requests;
    for (const QString& name : run.order) {
        copy::TableRequest t;
        for (const copy::TableRequest& s : request.job.tables) {
            if (s.source.compare(name, Qt::CaseInsensitive) == 0)
                t = s;
        }
        t.source = name;
        requests << t;
    }
    std::unique_ptr<copy::ResumeState> resume;
    if (!request.job.resumePath.isEmpty() && !request.job.dryRun) {
        QString problem;
        resume = copy::ResumeState::open(
            request.job.resumePath, fingerprint(request, requests), &problem);
        if (!resume)
            return usage(problem);
        options.resume = resume.get();
    }
    QList<copy::TablePlan> plans;
    for (const copy::TableRequest& t : std::as_const(requests)) {
        try {
            plans << copy::planTable(copy, t, target, options);
        } catch (const copy::PlanError& e) {
            return usage(e.message());
        }
        if (request.job.part > 0 && !plans.last().exists)
            return usage(QStringLiteral("--part %1/%2 adds to the target's %3, which it does not "
                                        "have; make it first (for example with --mode replace "
                                        "and a --where that keeps no row)")
                             .arg(request.job.part)
                             .arg(request.job.parts)
                             .arg(plans.last().target));
    }
    if (request.job.dryRun)
        return dryRun(request, copy, plans, options);
    if (resume) {
        try {
            copy::ResumePoint::prepare(
                copy.targetConnection(), copy.targetDialect(), target.names());
        } catch (...) {
            return usage(QStringLiteral("cannot make the resume table in the target: ")
                + odbc::describe(std::current_exception()));
        }
    }

    QList<copy::TableResult> results(plans.size());
    const int jobs = std::min<int>(request.job.jobs, int(plans.size()));
    if (jobs <= 1) {
        for (qsizetype i = 0; i < plans.size(); ++i) {
            if (stop.requested())
                results[i] = copy::TableResult::named(plans[i].request.source);
            else
                results[i] = copy::copyTable(copy, plans[i], target, options, observer);
        }
    } else {
        SideBySide all(observer, stderrIsTerminal());
        std::mutex asking;
        const auto replace = options.replace;
        options.replace = [&](const QString& name) {
            std::lock_guard lock(asking);
            return replace(name);
        };
        std::atomic<qsizetype> next = 0;
        std::vector<std::thread> workers;
        std::vector<QString> failures(static_cast<size_t>(jobs));
        for (int w = 0; w < jobs; ++w) {
            workers.emplace_back([&, w] {
                std::unique_ptr<copy::TableCopy> own;
                try {
                    own = connected(request, login, stop);
                } catch (...) {
                    failures[size_t(w)] = odbc::describe(std::current_exception());
                }
                db::NameList names = target;
                for (qsizetype i; (i = next++) < plans.size();) {
                    results[i] = copy::TableResult::named(plans[i].request.source);
                    if (!own) {
                        results[i].result = copy::TableResult::Failed;
                        results[i].message
                            = QStringLiteral("Connecting failed: ") + failures[size_t(w)];
                        continue;
                    }
                    if (stop.requested())
                        continue;
                    OneTable one(all, plans[i].request.source);
                    results[i] = copy::copyTable(*own, plans[i], names, options, one);
                }
            });
        }
        for (std::thread& t : workers)
            t.join();
    }
    (void)progress;
    for (copy::TableResult& r : results)
        r.notes = run.notesOf(r.table) + r.notes;
    if (run.plan)
        run.plan->finishRun(copy.targetConnection(), results, stop.requested());
    if (resume) {
        const bool done = std::all_of(results.begin(), results.end(),
            [&](const copy::TableResult& r) { return resume->finished(r.target); });
        if (done) {
            try {
                copy::ResumePoint::finishRun(
                    copy.targetConnection(), copy.targetDialect(), resume->run());
            } catch (...) {
                // Its rows name a finished run; the next run's table is a new one.
            }
            resume->complete();
        }
    }
    // Each table compared once every table is in, on the run's connections.
    Verified verified;
    for (qsizetype i = 0; differences && i < results.size(); ++i)
        verified.append(verifyCopy(copy, request, login, results[i], *differences, &plans[i]));
    printSummary(results, request.json, verified);
    return exitCodeOf(results, verified);
}

} // namespace tw::cli

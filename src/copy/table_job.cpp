#include "copy/table_job.h"

#include "copy/bulk/array_target.h"
#include "copy/bulk/block_sources.h"
#include "copy/definition_choice.h"
#include "copy/empty_text_tally.h"
#include "copy/leftovers.h"
#include "copy/loop/feed.h"
#include "copy/loop/row_loop.h"
#include "copy/replace.h"
#include "copy/resume_state.h"
#include "copy/rowwise/recordset_source.h"
#include "copy/rowwise/statement_target.h"
#include "copy/schema/run_plan.h"
#include "db/list_lookups.h"
#include "odbc/error.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace tw::copy {

namespace {

QString current()
{
    return odbc::describe(std::current_exception());
}

// Rows between a bulk copy's reading thread and its sending: about this
// many, in batches, cover the reading thread's wait for a page.
constexpr int queuedRows = 16384;

// A source table opened for copying: what its rows become in the target,
// and the way they travel there.
class OpenTable {
public:
    virtual ~OpenTable() = default;
    virtual RowSource& source() = 0;
    virtual Feed& feed() = 0;
    // The rows' target: `rows`, when given, is the statement each row goes
    // by (see ArrayTarget); `checkpoint` records each commit.
    virtual std::unique_ptr<RowTarget> target(db::Connection& connection, const QString& table,
        QString& statement, const QString& rows, Checkpoint* checkpoint)
        = 0;
    virtual void close() noexcept = 0;

    const TableDefinition& definition() const { return *m_definition; }

    // An exact copy's definition comes from the run's plan, else from the
    // source's declarations read here; either takes the plan's columns and
    // types (see DefinitionChoice).
    template <typename Open>
    void define(const TablePlan& plan, TableCopy& copy, const CopyOptions& options, Open open)
    {
        std::unique_ptr<ExactDefinition> exact;
        if (plan.exact)
            exact = std::make_unique<ExactDefinition>(options.plan
                    ? options.plan->definition(plan.request.source)
                    : ExactDefinition::read(
                        copy.sourceConnection(), copy.target(), plan.request.source));
        DefinitionChoice choice(
            copy.target(), std::move(exact), plan.request.columns, plan.request.types);
        open(choice.textColumns());
        try {
            m_definition = choice.finish(source().columns());
        } catch (...) {
            close();
            throw;
        }
    }

private:
    std::unique_ptr<TableDefinition> m_definition;
};

// Row by row: the run's recordset, one statement per row.
class RowwiseTable : public OpenTable {
public:
    // `select`: the SELECT to run, else the selection's.
    RowwiseTable(TableCopy& copy, const TablePlan& plan, const sql::RowSelection& rows,
        const CopyOptions& options, const QString& select = QString())
        : m_source(copy.recordset())
    {
        define(plan, copy, options, [&](const QList<int>& textColumns) {
            copy.recordset().Open(select.isEmpty() ? copy.sourceDialect().selectRows(rows) : select,
                copy.sourceConnection(), textColumns);
        });
    }
    RowSource& source() override { return m_source; }
    Feed& feed() override { return m_feed; }
    std::unique_ptr<RowTarget> target(db::Connection& connection, const QString& table,
        QString& statement, const QString&, Checkpoint*) override
    {
        return std::make_unique<StatementTarget>(&connection, definition(), table, statement);
    }
    void close() noexcept override { m_source.close(); }

private:
    RecordsetSource m_source;
    InlineFeed m_feed;
};

// In bulk: blocks read on a thread of their own, parameter arrays sent.
class BulkTable : public OpenTable {
public:
    BulkTable(TableCopy& copy, const TablePlan& plan, const sql::RowSelection& rows,
        const CopyOptions& options)
        : m_batchRows(std::max(1, options.batchRows))
    {
        define(plan, copy, options, [&](const QList<int>& textColumns) {
            m_feed = std::make_unique<ThreadFeed>(
                [&copy, rows, key = plan.key, textColumns,
                    login = options.login]() -> std::unique_ptr<RowSource> {
                    return openBlocks(copy.source(), copy.sourceConnection(), rows, key,
                        textColumns, login, TableCopy::timeoutSeconds);
                },
                std::clamp(queuedRows / m_batchRows, 3, 64));
        });
    }
    RowSource& source() override { return m_feed->source(); }
    Feed& feed() override { return *m_feed; }
    std::unique_ptr<RowTarget> target(db::Connection& connection, const QString& table, QString&,
        const QString& rows, Checkpoint* checkpoint) override
    {
        return std::make_unique<ArrayTarget>(
            connection, definition(), table, m_batchRows, rows, checkpoint);
    }
    void close() noexcept override
    {
        if (m_feed)
            m_feed->close();
    }

private:
    int m_batchRows;
    std::unique_ptr<ThreadFeed> m_feed;
};

std::unique_ptr<OpenTable> openTable(TableCopy& copy, const TablePlan& plan,
    const sql::RowSelection& rows, const CopyOptions& options)
{
    if (options.bulk)
        return std::make_unique<BulkTable>(copy, plan, rows, options);
    return std::make_unique<RowwiseTable>(copy, plan, rows, options);
}

// The statement a row lands by, chosen in one place: the definition's own
// INSERT into a table the copy makes, else one naming the target's columns,
// which adds to the table or upserts into it.
QString landingStatement(const sql::Dialect& target, const TablePlan& plan,
    const CopyOptions& options, const QString& into)
{
    if (plan.targetColumns.isEmpty())
        return {};
    if (options.landing == CopyOptions::Landing::Upsert)
        return target.markerUpsert(into, plan.targetColumns, plan.targetKey);
    return target.markerInsert(into, plan.targetColumns);
}

// The command's side of the row loop: phases run straight, refused rows and
// progress told to the observer, and why the rows ended early kept. The
// parts of a table copied side by side tell their rows as one sum.
class JobHost : public LoopHost {
public:
    JobHost(const QString& table, CopyObserver& observer, std::atomic<qint64>* sum = nullptr)
        : m_table(table)
        , m_observer(observer)
        , m_sum(sum)
    { }
    void rowsDone(qint64 read, qint64) override
    {
        if (!m_sum) {
            m_observer.rows(read);
            return;
        }
        m_observer.rows(*m_sum += read - std::exchange(m_read, read));
    }
    void refused(qint64 row, std::exception_ptr error, const QStringList& values) override
    {
        m_observer.refused(m_table, row, odbc::describe(error), values);
    }
    bool wantsLanded() const override { return tally && !tally->empty(); }
    void landed(const Row& row) override { tally->count(row); }
    void ended(const LoopEnd& end) override
    {
        const QString why = end.error ? odbc::describe(end.error) : QString();
        switch (end.reason) {
        case LoopEnd::Reason::Done:
            break;
        case LoopEnd::Reason::Stopped:
            stopped = true;
            break;
        case LoopEnd::Reason::CountFailed:
            failure = QStringLiteral("Counting the rows failed: ") + why;
            break;
        case LoopEnd::Reason::Lasting:
            if (end.phase == Phase::Advance)
                failure = QStringLiteral("Reading row %1 failed: %2").arg(end.row).arg(why);
            else if (end.whileCommitting)
                failure = QStringLiteral("Committing the rows from row %1 on failed: %2")
                              .arg(end.row)
                              .arg(why);
            else
                failure = QStringLiteral(
                    "Row %1 failed as every later row would, which were not sent: %2")
                              .arg(end.row)
                              .arg(why);
            break;
        }
    }

    bool stopped = false;
    QString failure; // why the rows ended early; empty when they did not
    std::optional<EmptyTextTally> tally;

private:
    QString m_table;
    CopyObserver& m_observer;
    std::atomic<qint64>* m_sum;
    qint64 m_read = 0;
};

void addCount(QList<std::pair<QString, qint64>>& counts, const QString& column, qint64 count)
{
    for (auto& [name, sum] : counts) {
        if (name == column) {
            sum += count;
            return;
        }
    }
    counts.append({ column, count });
}

// Where a table's rows go, settled before they move.
struct Into {
    QString table; // the table the rows go into
    bool make = false; // made by this copy first
    bool continuing = false; // a resumed run goes on with it
    std::optional<SideNames> replacing; // a replacement built beside the old table
};

// One stream of a table's rows into the target, on one run's connections:
// the whole table, or one part of it.
class Stream {
public:
    Stream(TableCopy& copy, const TablePlan& plan, const CopyOptions& options,
        CopyObserver& observer, sql::RowSelection rows, std::atomic<qint64>* sum)
        : m_copy(copy)
        , m_plan(plan)
        , m_options(options)
        , m_observer(observer)
        , m_rows(std::move(rows))
        , m_host(plan.request.source, observer, sum)
    { }

    // Reads where the rows start again (a resumable copy: the target's
    // record of its last commit) and opens the source. Answers the failure,
    // empty when it is open.
    QString open(const Into& into)
    {
        try {
            if (m_options.resume && !m_plan.key.isEmpty()) {
                QString name = m_plan.target;
                if (m_rows.parts > 0)
                    name += QStringLiteral("#%1/%2").arg(m_rows.part).arg(m_rows.parts);
                m_point = std::make_unique<ResumePoint>(
                    m_copy.targetDialect(), m_options.resume->run(), name, m_plan.key);
                std::optional<QList<sql::KeyValue>> last;
                if (into.continuing)
                    last = m_point->last(m_copy.targetConnection());
                if (last)
                    m_rows.after = *last;
                else
                    m_point->start(m_copy.targetConnection());
                // Only rows read in key order end at the key they record.
                m_rows.ordered = true;
            }
        } catch (...) {
            return QStringLiteral("Reading where it stopped failed: ") + current();
        }
        try {
            m_open = openTable(m_copy, m_plan, m_rows, m_options);
        } catch (...) {
            return QStringLiteral("Reading it failed: ") + current();
        }
        return {};
    }
    const TableDefinition& definition() const { return m_open->definition(); }
    void close() noexcept { m_open->close(); }

    void rows(const QString& into, bool announce)
    {
        RowSource& source = m_open->source();
        m_host.tally.emplace(m_open->definition().emptyAsNullColumns(), source.columns());
        try {
            const std::unique_ptr<RowTarget> target = m_open->target(m_copy.targetConnection(),
                into, m_copy.statement(),
                landingStatement(m_copy.targetDialect(), m_plan, m_options, into), m_point.get());
            RowLoop loop(source, *target, m_host, m_copy.stop());
            if (announce)
                m_observer.begin(m_plan.request.source, loop.count());
            loop.run(m_open->feed());
            counts = loop.counts();
        } catch (...) {
            m_host.failure = QStringLiteral("Preparing the rows failed: ") + current();
        }
        m_open->close();
        emptyAsNull = m_host.tally->counts();
    }

    // The record of a finished stream goes.
    void finish() noexcept
    {
        try {
            if (m_point)
                m_point->finish(m_copy.targetConnection());
        } catch (...) {
            // A row left in the resume table names a finished run: harmless.
        }
    }

    const JobHost& host() const { return m_host; }
    RowCounts counts;
    QList<std::pair<QString, qint64>> emptyAsNull; // per column, of the rows that arrived

private:
    TableCopy& m_copy;
    const TablePlan& m_plan;
    const CopyOptions& m_options;
    CopyObserver& m_observer;
    sql::RowSelection m_rows;
    JobHost m_host;
    std::unique_ptr<ResumePoint> m_point;
    std::unique_ptr<OpenTable> m_open;
};

// One table's work from its SELECT on; the caller settled the names.
class Job {
public:
    Job(TableCopy& copy, TableResult& result, const TablePlan& plan, const CopyOptions& options,
        CopyObserver& observer)
        : m_copy(copy)
        , r(result)
        , m_plan(plan)
        , m_options(options)
        , m_observer(observer)
    { }

    // Opens the first stream and makes the table when it must; answers
    // false (the result says why) when neither can be done.
    bool open(const Into& into)
    {
        sql::RowSelection rows = m_plan.rows;
        if (m_options.parts > 0) {
            rows.parts = m_options.parts;
            rows.part = std::max(1, m_options.part);
        }
        m_streams.push_back(std::make_unique<Stream>(
            m_copy, m_plan, m_options, m_observer, rows, parted() ? &m_sum : nullptr));
        const QString failed = m_streams.front()->open(into);
        if (!failed.isEmpty()) {
            fail(failed);
            return false;
        }
        if (!into.make)
            return true;
        r.notes.append(m_streams.front()->definition().notes());
        try {
            m_copy.statement() = m_streams.front()->definition().createStatement(into.table);
            db::ExecuteSql(m_copy.targetConnection(), m_copy.statement());
            return true;
        } catch (...) {
            fail(QStringLiteral("CREATE TABLE was refused: ") + current());
            m_streams.front()->close();
            return false;
        }
    }

    // The rows, of every part side by side when the table goes in parts.
    void rows(const Into& into)
    {
        const bool upsert = m_options.landing == CopyOptions::Landing::Upsert;
        const qint64 before = upsert ? countOf(into.table) : -1;
        if (parted())
            m_observer.begin(r.table, -1);
        std::vector<std::thread> others;
        std::vector<std::unique_ptr<TableCopy>> copies;
        std::vector<QString> failures(size_t(std::max(0, m_options.parts)));
        if (parted()) {
            for (int part = 2; part <= m_options.parts; ++part) {
                sql::RowSelection rows = m_plan.rows;
                rows.parts = m_options.parts;
                rows.part = part;
                try {
                    copies.push_back(m_options.connectMore());
                } catch (...) {
                    failures[size_t(part - 1)] = QStringLiteral("Connecting for part %1 failed: %2")
                                                     .arg(part)
                                                     .arg(current());
                    continue;
                }
                m_streams.push_back(std::make_unique<Stream>(
                    *copies.back(), m_plan, m_options, m_observer, rows, &m_sum));
                Stream* stream = m_streams.back().get();
                QString* failure = &failures[size_t(part - 1)];
                others.emplace_back([stream, failure, into] {
                    *failure = stream->open(into);
                    if (failure->isEmpty())
                        stream->rows(into.table, false);
                });
            }
        }
        m_streams.front()->rows(into.table, !parted());
        for (std::thread& t : others)
            t.join();
        for (const std::unique_ptr<Stream>& s : m_streams) {
            r.counts.read += s->counts.read;
            r.counts.written += s->counts.written;
            r.counts.refused += s->counts.refused;
            m_stopped = m_stopped || s->host().stopped;
            for (const auto& [column, count] : s->emptyAsNull)
                addCount(r.emptyAsNull, column, count);
            if (m_failure.isEmpty())
                m_failure = s->host().failure;
        }
        for (const QString& f : failures) {
            if (m_failure.isEmpty())
                m_failure = f;
        }
        if (upsert && before >= 0) {
            const qint64 after = countOf(into.table);
            if (after >= 0) {
                r.inserted = after - before;
                r.updated = r.counts.written - r.inserted;
            }
        }
        m_observer.refusedInAll(r.table, r.counts.refused);
    }

    bool complete() const { return !m_stopped && m_failure.isEmpty() && r.counts.refused == 0; }
    // A resumable copy's record of the rows goes with the finished table.
    void finish()
    {
        for (const std::unique_ptr<Stream>& s : m_streams)
            s->finish();
        if (m_options.resume)
            m_options.resume->finish(m_plan.target);
    }

    // A new table keeps whatever arrived, as the window's copies do.
    void settleNewTable()
    {
        if (m_stopped)
            r.result = TableResult::Stopped;
        else if (!m_failure.isEmpty())
            fail(m_failure);
        else
            r.result = r.counts.refused ? TableResult::RefusedRows : TableResult::Copied;
    }

    void settleReplacement(const SideNames& names)
    {
        if (!complete()) {
            // A resumable copy stopped or failed goes on from its work table.
            if (m_options.resume && r.counts.refused == 0) {
                const QString kept
                    = QStringLiteral("The old table was kept; the new copy %1 stays for --resume.")
                          .arg(names.copy);
                if (m_stopped) {
                    r.result = TableResult::Stopped;
                    r.message = kept;
                } else {
                    fail(m_failure + QStringLiteral(". ") + kept);
                }
                return;
            }
            const QString dropped = dropCopy(names.copy) + QLatin1Char('.');
            if (m_stopped) {
                r.result = TableResult::Stopped;
                r.message
                    = QStringLiteral("The old table was kept, the new copy dropped") + dropped;
            } else if (!m_failure.isEmpty()) {
                fail(m_failure + QStringLiteral(". The old table was kept, the new copy dropped")
                    + dropped);
            } else {
                r.result = TableResult::OldKept;
                r.message = QStringLiteral("The new copy lacked the refused rows and was dropped")
                    + dropped;
            }
            return;
        }
        m_observer.swapping(true);
        const SwapResult swap
            = swapIn(m_copy.targetConnection(), m_copy.targetDialect(), r.target, names);
        m_observer.swapping(false);
        switch (swap.outcome) {
        case SwapResult::Swapped:
            r.result = TableResult::Copied;
            return;
        case SwapResult::BackupLeft:
            r.result = TableResult::CopiedOldLeft;
            r.oldTable = names.backup;
            r.message = QStringLiteral("The old table could not be dropped and is kept as %1: %2")
                            .arg(names.backup, swap.message);
            return;
        case SwapResult::Unchanged:
        case SwapResult::Restored:
            fail(QStringLiteral("Putting the copy in place failed: %1. The old table is as it "
                                "was")
                     .arg(swap.message)
                + dropCopy(names.copy) + QLatin1Char('.'));
            return;
        case SwapResult::OldAside:
            fail(QStringLiteral("Putting the copy in place failed halfway: %1. No table is named "
                                "%2 now: the old table is %3, the new copy %4.")
                     .arg(swap.message, r.target, names.backup, names.copy));
            return;
        }
    }

private:
    bool parted() const { return m_options.parts > 0 && m_options.part == 0; }

    qint64 countOf(const QString& table) const
    {
        try {
            const std::unique_ptr<db::Recordset> rs
                = m_copy.targetConnection().Execute(m_copy.targetDialect().countRows(table));
            return rs && !rs->atEnd() ? rs->field(0).Value.toLongLong() : -1;
        } catch (...) {
            return -1;
        }
    }

    void fail(const QString& message)
    {
        r.result = TableResult::Failed;
        r.message = message;
    }

    // Empty when the copy was dropped, else why not.
    QString dropCopy(const QString& name)
    {
        try {
            m_copy.targetConnection().Execute(m_copy.targetDialect().dropTable(name));
            return {};
        } catch (...) {
            return QStringLiteral("; the new copy %1 could not be dropped: %2")
                .arg(name, current());
        }
    }

    TableCopy& m_copy;
    TableResult& r;
    const TablePlan& m_plan;
    const CopyOptions& m_options;
    CopyObserver& m_observer;
    std::vector<std::unique_ptr<Stream>> m_streams;
    std::atomic<qint64> m_sum = 0;
    bool m_stopped = false;
    QString m_failure;
};

// A table listed in the target, as the window tests it: exact into Oracle,
// letter case ignored into MySQL.
bool listed(const db::NameList& target, sql::Server server, const QString& name)
{
    return server == sql::Server::Oracle ? db::ListHasItem(target, name)
                                         : db::ListHasItemNoCase(target, name);
}

void forget(db::NameList& target, const QString& name)
{
    const qsizetype at = target.names().indexOf(name);
    if (at >= 0)
        target.RemoveItem(int(at));
}

} // namespace

QString TableResult::resultName() const
{
    switch (result) {
    case Copied:
        return QStringLiteral("copied");
    case DefinitionIncomplete:
        return QStringLiteral("copied, definition incomplete");
    case CopiedOldLeft:
        return QStringLiteral("copied, old table left");
    case RefusedRows:
        return QStringLiteral("rows refused");
    case OldKept:
        return QStringLiteral("old table kept");
    case Failed:
        return QStringLiteral("failed");
    case Skipped:
        return QStringLiteral("skipped");
    case Stopped:
        return QStringLiteral("stopped");
    case NotStarted:
        break;
    }
    return QStringLiteral("not started");
}

TableResult copyTable(TableCopy& copy, const QString& sourceName, db::NameList& target,
    const CopyOptions& options, CopyObserver& observer)
{
    TableRequest request;
    request.source = sourceName;
    return copyTable(copy, planTable(copy, request, target, options), target, options, observer);
}

TableResult copyTable(TableCopy& copy, const TablePlan& plan, db::NameList& target,
    const CopyOptions& options, CopyObserver& observer)
{
    TableResult r = TableResult::named(plan.request.source);
    r.target = plan.target;
    ResumeState* resume = options.resume;
    if (resume && resume->finished(plan.target)) {
        r.result = TableResult::Copied;
        r.message = QStringLiteral("Finished by the run this one resumes.");
        observer.end(r);
        return r;
    }
    const auto start = std::chrono::steady_clock::now();
    const sql::Dialect& dialect = copy.targetDialect();
    QStringList said;
    try {
        said = restoreBackups(copy.targetConnection(), dialect, plan.target, target);
    } catch (...) {
        // No connection: the table's first statement says so.
    }

    Into into;
    const std::optional<QString> began = resume ? resume->into(plan.target) : std::nullopt;
    if (began && target.names().contains(*began)) {
        into.table = *began;
        into.continuing = true;
        if (into.table != plan.target)
            into.replacing
                = SideNames { into.table, sideNames(dialect, plan.target, target.names()).backup };
        if (plan.key.isEmpty()) {
            // Without a key nothing says where it stopped: the table the
            // run made is made anew.
            try {
                copy.targetConnection().Execute(dialect.dropTable(into.table));
                forget(target, into.table);
            } catch (...) {
                r.result = TableResult::Failed;
                r.message = QStringLiteral("Dropping %1 to copy it again whole failed: %2")
                                .arg(into.table, current());
                observer.end(r);
                return r;
            }
            into.continuing = false;
            into.make = true;
        }
    } else if (listed(target, copy.target(), plan.target)) {
        if (options.landing == CopyOptions::Landing::New) {
            const CopyOptions::Answer answer = options.replace
                ? options.replace(plan.request.targetName())
                : CopyOptions::Answer::No;
            if (answer == CopyOptions::Answer::Stopped)
                return r;
            if (answer == CopyOptions::Answer::No) {
                r.result = TableResult::Skipped;
                r.message = QStringLiteral("The target has a table of that name; --mode replace "
                                           "replaces it, --mode append adds to it.");
                observer.end(r);
                return r;
            }
            try {
                said << dropCopies(copy.targetConnection(), dialect, plan.target, target);
            } catch (...) {
                // Reported by the CREATE that follows.
            }
            into.replacing = sideNames(dialect, plan.target, target.names());
            into.table = into.replacing->copy;
            into.make = true;
        } else {
            into.table = plan.target;
        }
    } else {
        into.table = plan.target;
        into.make = true;
    }

    Job job(copy, r, plan, options, observer);
    bool opened = job.open(into);
    if (opened && resume) {
        try {
            resume->begin(plan.target, into.table);
        } catch (...) {
            r.result = TableResult::Failed;
            r.message = current();
            opened = false;
        }
    }
    if (opened) {
        if (into.make)
            target.AddItem(into.table);
        job.rows(into);
        if (into.replacing) {
            job.settleReplacement(*into.replacing);
            if (r.result == TableResult::Copied || r.result == TableResult::CopiedOldLeft)
                forget(target, into.table);
        } else {
            job.settleNewTable();
        }
        if (job.complete() && r.result != TableResult::Failed)
            job.finish();
    }
    if (!said.isEmpty()) {
        said.first()[0] = said.first()[0].toUpper();
        r.message = said.join(QLatin1String("; ")) + QLatin1Char('.')
            + (r.message.isEmpty() ? QString() : QLatin1Char(' ') + r.message);
    }
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    observer.end(r);
    return r;
}

QStringList describeCopy(TableCopy& copy, const TablePlan& plan, const CopyOptions& options)
{
    QStringList lines;
    const sql::Dialect& source = copy.sourceDialect();
    sql::RowSelection rows = plan.rows;
    if (options.parts > 0) {
        rows.parts = options.parts;
        rows.part = std::max(1, options.part);
    }
    rows.ordered = options.resume && !plan.key.isEmpty();
    lines << source.selectRows(rows);
    // The first row only, read the way the row-by-row copy reads it.
    RowwiseTable open(copy, plan, rows, options, source.selectRows(rows) + source.limitRows(1));
    const TableDefinition& definition = open.definition();
    const bool make = !plan.exists || options.landing == CopyOptions::Landing::New;
    const QString into
        = plan.exists && make ? sideNames(copy.targetDialect(), plan.target, {}).copy : plan.target;
    if (make)
        lines << definition.createStatement(into);
    const QString landing = landingStatement(copy.targetDialect(), plan, options, into);
    if (options.bulk) {
        lines << (landing.isEmpty() ? definition.markerInsert(into) : landing);
    } else if (!open.source().atEnd()) {
        QString statement;
        Row row;
        definition.beginLiteral(statement, into);
        for (int c = 0; c < open.source().columns().size(); ++c) {
            row << open.source().value(c);
            definition.appendLiteral(statement, c, row.last());
        }
        try {
            if (definition.finishLiteral(statement, into, row))
                statement = definition.markerInsert(into);
        } catch (...) {
            statement = QStringLiteral("(the first row is refused: %1)").arg(current());
        }
        lines << statement;
    }
    open.close();
    return lines;
}

} // namespace tw::copy

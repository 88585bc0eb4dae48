#include "cli/copy_command.h"

#include "cli/compare_command.h"
#include "cli/exit_codes.h"
#include "cli/interrupt.h"
#include "cli/job_run.h"
#include "cli/list_command.h"
#include "cli/logins.h"
#include "cli/nearest.h"
#include "cli/progress.h"
#include "cli/refused_rows.h"
#include "cli/run_tables.h"
#include "cli/summary.h"
#include "cli/terminal.h"
#include "copy/table_job.h"
#include "db/list_lookups.h"
#include "db/listing.h"
#include "odbc/error.h"

namespace tw::cli {

using sql::Server;

namespace {

int usage(const QString& message)
{
    writeErr(QStringLiteral("tablewright copy: ") + message + QLatin1Char('\n'));
    return ExitUsage;
}

void closeQuietly(copy::TableCopy& copy, Server side)
{
    try {
        copy.connection(side).Close();
    } catch (...) {
        // Closed already, or gone with the server: nothing is left to close.
    }
}

// The window's question, answered by a line of stdin: y or yes replaces.
copy::CopyOptions::Answer ask(const QString& name, const copy::StopRequest& stop)
{
    writeErr(QStringLiteral("Would you like to overwrite ") + name + QStringLiteral("? [y/N] "));
    const std::optional<QString> line = readLine(stop);
    if (!line) {
        writeErr(QStringLiteral("\n"));
        return stop.requested() ? copy::CopyOptions::Answer::Stopped
                                : copy::CopyOptions::Answer::No;
    }
    const QString answer = line->trimmed().toLower();
    return answer == QLatin1String("y") || answer == QLatin1String("yes")
        ? copy::CopyOptions::Answer::Yes
        : copy::CopyOptions::Answer::No;
}

// A table's copy as the terminal shows it: progress and refused rows on
// stderr (or the rejects file), and a second Ctrl+C held off during a swap.
class Observer : public copy::CopyObserver {
public:
    Observer(Progress& progress, RefusedRows& refused)
        : m_progress(progress)
        , m_refused(refused)
    { }
    void begin(const QString& table, qint64 total) override { m_progress.begin(table, total); }
    void rows(qint64 done) override { m_progress.rows(done); }
    void refused(const QString& table, qint64 row, const QString& message,
        const QStringList& values) override
    {
        m_refused.row(table, row, message, values);
    }
    void refusedInAll(const QString& table, qint64 refused) override
    {
        m_refused.endTable(table, refused);
    }
    void swapping(bool on) override
    {
        if (on)
            m_swap.emplace();
        else
            m_swap.reset();
    }
    void end(const copy::TableResult& result) override { m_progress.end(result); }

private:
    Progress& m_progress;
    RefusedRows& m_refused;
    std::optional<SwapGuard> m_swap;
};

} // namespace

int runCopy(const CopyRequest& request)
{
    copy::StopRequest stop;
    installStopSignals(stop);
    Progress progress(stderrIsTerminal());
    RefusedRows refused(progress);
    QString problem;
    if (!request.rejectsPath.isEmpty() && !request.job.dryRun
        && !refused.open(request.rejectsPath, &problem))
        return usage(QStringLiteral("cannot write %1: %2").arg(request.rejectsPath, problem));
    DifferenceReport differences(progress, request.maxDiffs);
    if (!request.diffsPath.isEmpty() && !differences.open(request.diffsPath, &problem))
        return usage(QStringLiteral("cannot write %1: %2").arg(request.diffsPath, problem));
    QString missing;
    const std::optional<db::LoginDetails> details
        = commandLogins(request.logins, true, true, stop, missing);
    if (!details)
        return missing.isEmpty() ? ExitStopped : usage(missing);

    copy::TableCopy copy(request.target, &stop, request.types == copy::CopyOptions::Types::Exact);
    db::NameList mysqlTables;
    db::NameList oracleTables;
    if (const auto failed = openBothSides(copy, *details, mysqlTables, oracleTables))
        return usage(*failed);
    const bool toOracle = request.target == Server::Oracle;
    db::NameList& source = toOracle ? mysqlTables : oracleTables;
    db::NameList& target = toOracle ? oracleTables : mysqlTables;
    const std::optional<QStringList> tables = chosenTables(request, source, &problem);
    if (!tables)
        return usage(problem);

    copy.createRecordset();
    std::optional<RunTables> run;
    try {
        run = RunTables::read(request, *tables, copy.sourceConnection(), request.job.tables);
    } catch (...) {
        return usage(QStringLiteral("cannot read the tables' definitions: ")
            + odbc::describe(std::current_exception()));
    }
    copy::CopyOptions options;
    options.types = request.types;
    options.plan = run->plan ? &*run->plan : nullptr;
    options.bulk = request.fast;
    options.batchRows = request.batchRows;
    options.login = *details;
    options.replace = [&](const QString& name) {
        switch (request.overwrite) {
        case Overwrite::Yes:
            return copy::CopyOptions::Answer::Yes;
        case Overwrite::No:
            return copy::CopyOptions::Answer::No;
        case Overwrite::Ask:
            break;
        }
        return ask(name, stop);
    };
    Observer observer(progress, refused);
    const int code = runJob(request, copy, *details, *run, target, options, observer, progress,
        stop, request.verify ? &differences : nullptr);
    closeQuietly(copy, Server::MySQL);
    closeQuietly(copy, Server::Oracle);
    return code;
}

} // namespace tw::cli

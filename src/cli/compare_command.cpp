#include "cli/compare_command.h"

#include "cli/exit_codes.h"
#include "cli/interrupt.h"
#include "cli/logins.h"
#include "cli/run_tables.h"
#include "cli/terminal.h"
#include "compare/table_comparison.h"
#include "db/list_lookups.h"
#include "db/listing.h"
#include "odbc/error.h"

namespace tw::cli {

using sql::Server;

namespace {

int usage(const QString& message)
{
    writeErr(QStringLiteral("tablewright compare: ") + message + QLatin1Char('\n'));
    return ExitUsage;
}

} // namespace

namespace {

// One table's comparison through a run's connections, reported as it goes:
// of the rows and columns `plan` says the copy read, where it says they went.
compare::Comparison compareOne(copy::TableCopy& run, const CopyRequest& request,
    const db::LoginDetails& login, const QString& table, const QString& target,
    const copy::TablePlan* plan, DifferenceReport& report)
{
    compare::CompareOptions options;
    options.types = request.types;
    options.exact = request.exact;
    options.login = login;
    if (plan) {
        options.types
            = plan->exact ? copy::CopyOptions::Types::Exact : copy::CopyOptions::Types::Plain;
        options.rows = plan->rows;
        if (request.job.part > 0) {
            options.rows->parts = request.job.parts;
            options.rows->part = request.job.part;
        }
        options.targetColumns = plan->targetColumns;
        options.columnTypes = plan->request.types;
        options.targetSubset = plan->exists
            && (request.job.landing != copy::CopyOptions::Landing::New || request.job.part > 0);
    }
    const compare::Comparison c = compare::compareTable(run, table, target, options, report);
    report.end(c);
    return c;
}

} // namespace

std::optional<compare::Comparison> verifyCopy(copy::TableCopy& run, const CopyRequest& request,
    const db::LoginDetails& login, const copy::TableResult& copied, DifferenceReport& report,
    const copy::TablePlan* plan)
{
    switch (copied.result) {
    case copy::TableResult::Copied:
    case copy::TableResult::CopiedOldLeft:
    case copy::TableResult::RefusedRows:
    case copy::TableResult::DefinitionIncomplete:
        if (run.stopRequested())
            return std::nullopt;
        return compareOne(run, request, login, copied.table, copied.target, plan, report);
    default:
        return std::nullopt;
    }
}

int runCompare(const CopyRequest& request)
{
    copy::StopRequest stop;
    installStopSignals(stop);
    Progress progress(stderrIsTerminal());
    DifferenceReport report(progress, request.maxDiffs);
    QString problem;
    if (!request.diffsPath.isEmpty() && !report.open(request.diffsPath, &problem))
        return usage(QStringLiteral("cannot write %1: %2").arg(request.diffsPath, problem));
    QString missing;
    const std::optional<db::LoginDetails> details
        = commandLogins(request.logins, true, true, stop, missing);
    if (!details)
        return missing.isEmpty() ? ExitStopped : usage(missing);

    copy::TableCopy run(request.target, &stop, request.types == copy::CopyOptions::Types::Exact);
    db::NameList mysqlTables;
    db::NameList oracleTables;
    if (const auto failed = openBothSides(run, *details, mysqlTables, oracleTables))
        return usage(*failed);
    const bool toOracle = request.target == Server::Oracle;
    const std::optional<QStringList> tables
        = chosenTables(request, toOracle ? mysqlTables : oracleTables, &problem);
    if (!tables)
        return usage(problem);

    // Each table as the copy with the same arguments plans it: its rows,
    // columns, types and name in the target.
    copy::CopyOptions planning;
    planning.types = request.types;
    planning.landing = request.job.landing;
    planning.parts = request.job.parts;
    planning.part = request.job.part;
    db::NameList& targetTables = toOracle ? oracleTables : mysqlTables;
    QList<compare::Comparison> comparisons;
    for (const QString& table : *tables) {
        if (stop.requested()) {
            compare::Comparison c;
            c.table = c.target = table;
            c.result = compare::Comparison::Stopped;
            comparisons.append(c);
            continue;
        }
        copy::TableRequest asked;
        for (const copy::TableRequest& t : request.job.tables) {
            if (t.source.compare(table, Qt::CaseInsensitive) == 0)
                asked = t;
        }
        asked.source = table;
        copy::TablePlan plan;
        try {
            plan = copy::planTable(run, asked, targetTables, planning);
        } catch (const copy::PlanError& e) {
            return usage(e.message());
        }
        comparisons.append(compareOne(run, request, *details, table, plan.target, &plan, report));
    }
    for (Server side : { Server::MySQL, Server::Oracle }) {
        try {
            run.connection(side).Close();
        } catch (...) {
            // Closed already, or gone with the server: nothing is left to close.
        }
    }
    printComparisons(comparisons, request.json);
    return comparisonExitCode(comparisons);
}

} // namespace tw::cli

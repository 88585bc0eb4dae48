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

// One table's comparison through a run's connections, reported as it goes.
compare::Comparison compareOne(copy::TableCopy& run, const CopyRequest& request,
    const db::LoginDetails& login, const QString& table, const QString& target,
    DifferenceReport& report)
{
    compare::CompareOptions options;
    options.types = request.types;
    options.login = login;
    const compare::Comparison c = compare::compareTable(run, table, target, options, report);
    report.end(c);
    return c;
}

} // namespace

std::optional<compare::Comparison> verifyCopy(copy::TableCopy& run, const CopyRequest& request,
    const db::LoginDetails& login, const copy::TableResult& copied, DifferenceReport& report)
{
    switch (copied.result) {
    case copy::TableResult::Copied:
    case copy::TableResult::CopiedOldLeft:
    case copy::TableResult::RefusedRows:
        if (run.stopRequested())
            return std::nullopt;
        return compareOne(run, request, login, copied.table, copied.target, report);
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
    for (Server side : { Server::Oracle, Server::MySQL }) {
        try {
            run.connect(side, *details);
        } catch (...) {
            return usage(QStringLiteral("cannot connect to %1: %2")
                             .arg(sql::serverName(side), odbc::describe(std::current_exception())));
        }
    }
    const db::FixedLogin login(*details);
    db::NameList mysqlTables;
    db::NameList oracleTables;
    try {
        db::ListMySQLTables(mysqlTables, login);
        db::ListOracleTables(oracleTables, login);
    } catch (...) {
        return usage(
            QStringLiteral("cannot list the tables: ") + odbc::describe(std::current_exception()));
    }
    const bool toOracle = request.target == Server::Oracle;
    const std::optional<QStringList> tables
        = chosenTables(request, toOracle ? mysqlTables : oracleTables, &problem);
    if (!tables)
        return usage(problem);

    QList<compare::Comparison> comparisons;
    for (const QString& table : *tables) {
        if (stop.requested()) {
            compare::Comparison c;
            c.table = c.target = table;
            c.result = compare::Comparison::Stopped;
            comparisons.append(c);
            continue;
        }
        // The copy's own test for a table the target has: into MySQL
        // without regard to letter case.
        const QString target = !toOracle && db::ListHasItemNoCase(mysqlTables, table)
            ? db::ListFindItemNoCase(mysqlTables, table)
            : table;
        comparisons.append(compareOne(run, request, *details, table, target, report));
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

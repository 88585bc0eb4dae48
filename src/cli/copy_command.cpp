#include "cli/copy_command.h"

#include "cli/exit_codes.h"
#include "cli/interrupt.h"
#include "cli/logins.h"
#include "cli/nearest.h"
#include "cli/table_run.h"
#include "cli/terminal.h"
#include "db/list_helpers.h"
#include "db/listing.h"
#include "transfer/row_failure.h"

namespace tw::cli {

using transfer::Direction;
using transfer::Side;

namespace {

QString sideName(Side side)
{
    return side == Side::Oracle ? QStringLiteral("Oracle") : QStringLiteral("MySQL");
}

int usage(const QString& message)
{
    Err(QStringLiteral("tablewright copy: ") + message + QLatin1Char('\n'));
    return ExitUsage;
}

// The source names to copy, each as the source lists it: a name typed in
// another letter case counts when it matches one table only.
std::optional<QStringList> chosenTables(
    const CopyRequest& request, const db::NameList& source, QString* problem)
{
    if (request.all)
        return source.names();
    QStringList chosen;
    QStringList missing;
    for (const QString& typed : request.tables) {
        if (source.names().contains(typed)) {
            chosen << typed;
            continue;
        }
        QStringList alike;
        for (const QString& name : source.names()) {
            if (name.compare(typed, Qt::CaseInsensitive) == 0)
                alike << name;
        }
        if (alike.size() == 1)
            chosen << alike.first();
        else
            missing << typed;
    }
    if (missing.isEmpty())
        return chosen;
    *problem = QStringLiteral("the source has no table %1").arg(missing.join(QLatin1String(", ")));
    if (!source.names().isEmpty())
        *problem
            += QStringLiteral("; did you mean '%1'?").arg(Nearest(missing.first(), source.names()));
    return std::nullopt;
}

void closeQuietly(transfer::TableCopy& copy, Side side)
{
    try {
        copy.connection(side).Close();
    } catch (...) {
        // Closed already, or gone with the server: nothing is left to close.
    }
}

} // namespace

int RunCopy(const CopyRequest& request)
{
    transfer::StopRequest stop;
    InstallStopSignals(stop);
    Progress progress(StderrIsTerminal());
    RefusedRows refused(progress);
    QString problem;
    if (!request.rejectsPath.isEmpty() && !refused.open(request.rejectsPath, &problem))
        return usage(QStringLiteral("cannot write %1: %2").arg(request.rejectsPath, problem));
    QString missing;
    const std::optional<db::LoginDetails> details
        = CommandLogins(request.logins, true, true, stop, missing);
    if (!details)
        return missing.isEmpty() ? ExitStopped : usage(missing);

    // Oracle first, as the window opens them.
    transfer::TableCopy copy(request.direction, &stop, request.types);
    for (Side side : { Side::Oracle, Side::MySQL }) {
        try {
            copy.connect(side, *details);
        } catch (...) {
            return usage(QStringLiteral("cannot connect to %1: %2")
                             .arg(sideName(side), transfer::FailureText(std::current_exception())));
        }
    }
    const bool toOracle = request.direction == Direction::ToOracle;
    const db::FixedLogin login(*details);
    db::NameList mysqlTables;
    db::NameList oracleTables;
    try {
        db::ListMySQLTables(mysqlTables, login);
        db::ListOracleTables(oracleTables, login);
    } catch (...) {
        return usage(QStringLiteral("cannot list the tables: ")
            + transfer::FailureText(std::current_exception()));
    }
    db::NameList& source = toOracle ? mysqlTables : oracleTables;
    db::NameList& target = toOracle ? oracleTables : mysqlTables;
    const std::optional<QStringList> tables = chosenTables(request, source, &problem);
    if (!tables)
        return usage(problem);

    copy.createRecordset();
    std::optional<transfer::BulkCopy::Options> fast;
    if (request.fast)
        fast = transfer::BulkCopy::Options { .batchRows = request.batchRows, .login = *details };
    QList<TableResult> results;
    for (const QString& name : *tables) {
        if (stop.requested())
            results.append(TableResult::named(name));
        else
            results.append(
                CopyTable(copy, name, target, request.overwrite, refused, progress, stop, fast));
    }
    closeQuietly(copy, Side::MySQL);
    closeQuietly(copy, Side::Oracle);
    PrintSummary(results, request.json);
    return ExitCodeOf(results);
}

} // namespace tw::cli

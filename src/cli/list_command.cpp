#include "cli/list_command.h"

#include "cli/exit_codes.h"
#include "cli/interrupt.h"
#include "cli/logins.h"
#include "cli/terminal.h"
#include "db/listing.h"
#include "db/name_list.h"
#include "odbc/error.h"

namespace tw::cli {

int runList(const ListRequest& request)
{
    copy::StopRequest stop;
    installStopSignals(stop);
    const bool oracle = request.side == sql::Server::Oracle;
    QString missing;
    const std::optional<db::LoginDetails> details
        = commandLogins(request.logins, oracle, !oracle, stop, missing);
    if (!details) {
        if (missing.isEmpty())
            return ExitStopped;
        writeErr(QStringLiteral("tablewright list: %1\n").arg(missing));
        return ExitUsage;
    }
    // A listing has nothing to finish first: Ctrl+C ends it at once.
    defaultStopSignals();
    const db::FixedLogin login(*details);
    db::NameList names;
    try {
        if (oracle)
            db::ListOracleTables(names, login);
        else
            db::ListMySQLTables(names, login);
    } catch (...) {
        writeErr(QStringLiteral("tablewright list: cannot list the %1 tables: %2\n")
                     .arg(oracle ? QStringLiteral("Oracle") : QStringLiteral("MySQL"),
                         odbc::describe(std::current_exception())));
        return ExitUsage;
    }
    QString text;
    for (const QString& name : names.names())
        text += name + QLatin1Char('\n');
    writeOut(text);
    return ExitCopied;
}

} // namespace tw::cli

#include "cli/ddl_command.h"

#include "cli/exit_codes.h"
#include "cli/interrupt.h"
#include "cli/logins.h"
#include "cli/run_tables.h"
#include "cli/terminal.h"
#include "copy/plain/plain_definition.h"
#include "copy/rowwise/recordset_source.h"
#include "copy/table_copy.h"
#include "db/listing.h"
#include "odbc/error.h"

namespace tw::cli {

using sql::Server;

namespace {

int usage(const QString& message)
{
    writeErr(QStringLiteral("tablewright ddl: ") + message + QLatin1Char('\n'));
    return ExitUsage;
}

// The window's CREATE TABLE for a table, from its result's description: a
// SELECT of no rows describes the columns as the copy's SELECT does.
QString plainCreate(copy::TableCopy& copy, const QString& table)
{
    copy.recordset().Open(copy.sourceDialect().selectNoRows(table), copy.sourceConnection());
    copy::RecordsetSource source(copy.recordset());
    const QString statement
        = copy::PlainDefinition(copy.target(), source.columns()).createStatement(table);
    source.close();
    return statement;
}

} // namespace

int runDdl(const DdlRequest& request)
{
    copy::StopRequest stop;
    installStopSignals(stop);
    const Server source = sql::otherServer(request.target);
    QString missing;
    const std::optional<db::LoginDetails> details = commandLogins(
        request.logins, source == Server::Oracle, source == Server::MySQL, stop, missing);
    if (!details)
        return missing.isEmpty() ? ExitStopped : usage(missing);
    defaultStopSignals();

    copy::TableCopy copy(request.target, &stop, request.types == copy::CopyOptions::Types::Exact);
    try {
        copy.connect(source, *details);
    } catch (...) {
        return usage(QStringLiteral("cannot connect to %1: %2")
                         .arg(sql::serverName(source), odbc::describe(std::current_exception())));
    }
    const db::FixedLogin login(*details);
    db::NameList names;
    std::optional<RunTables> run;
    QString problem;
    try {
        if (source == Server::MySQL)
            db::ListMySQLTables(names, login);
        else
            db::ListOracleTables(names, login);
        const std::optional<QStringList> tables = chosenTables(request, names, &problem);
        if (!tables)
            return usage(problem);
        run = RunTables::read(request, *tables, copy.sourceConnection());
    } catch (...) {
        return usage(QStringLiteral("cannot read the source's tables: ")
            + odbc::describe(std::current_exception()));
    }

    int exit = ExitCopied;
    QStringList statements;
    QStringList notes;
    if (run->plan) {
        statements = run->plan->statements(run->order);
        for (const QString& table : run->order) {
            const copy::schema::TablePlan* plan = run->plan->table(table);
            if (!plan->failure.isEmpty()) {
                notes.append(table + QStringLiteral(": not read: ") + plan->failure);
                exit = ExitRefused;
            }
            for (const QString& note : run->notesOf(table) + plan->exact.notes)
                notes.append(table + QStringLiteral(": ") + note);
        }
    } else {
        statements = copy.targetDialect().sessionStatements(false);
        copy.createRecordset();
        for (const QString& table : run->order) {
            try {
                statements.append(plainCreate(copy, table));
            } catch (...) {
                notes.append(table + QStringLiteral(": not read: ")
                    + odbc::describe(std::current_exception()));
                exit = ExitRefused;
            }
            for (const QString& note : run->notesOf(table))
                notes.append(table + QStringLiteral(": ") + note);
        }
    }
    QString out;
    for (const QString& statement : statements)
        out += statement + QStringLiteral(";\n");
    writeOut(out);
    if (!notes.isEmpty())
        writeErr(notes.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    try {
        copy.connection(source).Close();
    } catch (...) {
        // Gone with the server: nothing is left to close.
    }
    return exit;
}

} // namespace tw::cli

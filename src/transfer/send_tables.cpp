#include "transfer/send_tables.h"

#include "db/ado_types.h"
#include "db/connection.h"
#include "db/connection_strings.h"
#include "db/lasting_failure.h"
#include "db/list_helpers.h"
#include "db/listing.h"
#include "db/recordset.h"
#include "db/yield.h"
#include "shell/busy_guard.h"
#include "shell/error_trap.h"
#include "shell/object_check.h"
#include "transfer/rows_not_copied.h"
#include "transfer/statements.h"

#include <cmath>

namespace tw::transfer {

using shell::ErrorTrap;
using shell::Object;
using shell::WindowPointer;

namespace {

// The step numbers of one direction, in the order the run passes them.
struct Steps {
    int createOracle, createMySQL, createRecordset;
    int currentTest, noCurrentMessage, hourglass;
    int oracleCursor, oracleCommandTimeout, oracleConnectionTimeout, oracleOpen;
    int mysqlCursor, mysqlCommandTimeout, mysqlConnectionTimeout, mysqlOpen;
    int walk, entryYield, selectedTest, sourceName, targetName, existsTest, prompt, noPrompt;
    int answerNo, answerYes, targetSpelling, drop, removeFromTarget, select;
    int createOpening, columnLoop, columnYield, columnName, typeName, typeTests, dropComma,
        createClosing, executeCreate;
    int lastRow, rowLoop, rowYield, progress, insertOpening, valueLoop, valueYield, value, dropTail,
        insertClosing, executeInsert, moveNext;
    int progressZero, closeRecordset, refill;
};

constexpr Steps toOracleSteps { 100, 102, 104, 108, 284, 110, 112, 114, 116, 118, 120, 122, 124,
    126, 128, 130, 132, 134, 134, 136, 138, 140, 142, 144, 144, 146, 148, 150, 152, 154, 156, 158,
    160, 162, 202, 204, 212, 220, 222, 224, 226, 228, 230, 232, 234, 248, 250, 258, 260, 264, 266,
    268 };
constexpr Steps toMySQLSteps { 100, 102, 104, 110, 308, 112, 114, 116, 118, 120, 122, 124, 126, 128,
    130, 130, 132, 134, 136, 138, 140, 142, 144, 146, 148, 150, 152, 154, 156, 158, 160, 162, 164,
    166, 226, 228, 236, 244, 246, 248, 250, 252, 254, 256, 258, 272, 274, 282, 284, 288, 290, 292 };

struct Run {
    TransferWindow& w;
    Direction direction;
    const Steps& s;
    QString statement; // shown after "sql: " in every report
    ErrorTrap trap;
    std::unique_ptr<db::Connection> oracle;
    std::unique_ptr<db::Connection> mysql;
    std::unique_ptr<db::Recordset> rs;

    Run(TransferWindow& window, Direction d, const Steps& steps, const char* procedure)
        : w(window)
        , direction(d)
        , s(steps)
        , trap(window.dialogs,
              QStringLiteral("Palomirdual2017/04/05.Form2.") + QLatin1String(procedure), &statement)
    { }

    bool toOracle() const { return direction == Direction::ToOracle; }
    db::TableList& source() { return toOracle() ? w.mysqlList : w.oracleList; }
    db::TableList& target() { return toOracle() ? w.oracleList : w.mysqlList; }
    db::Connection& sourceConnection() { return Object(toOracle() ? mysql : oracle); }
    db::Connection& targetConnection() { return Object(toOracle() ? oracle : mysql); }
    QString sourceDatabase() const { return databaseName(!toOracle()); }
    QString targetDatabase() const { return databaseName(toOracle()); }
    static QString databaseName(bool oracle)
    {
        return oracle ? QStringLiteral("Oracle") : QStringLiteral("MySQL");
    }

    // None when the step ran through; otherwise whether its failure is one
    // that every later row of the table would meet too.
    db::LastingFailure lastingUnless(bool ran) const
    {
        if (ran || !trap.LastError())
            return db::LastingFailure::None;
        try {
            std::rethrow_exception(trap.LastError());
        } catch (const db::DbError& e) {
            return db::lastingFailure(e);
        } catch (...) {
            return db::LastingFailure::None;
        }
    }

    // One report instead of one per row: the table's remaining rows are not
    // sent. Shown under the step whose failure stopped them.
    void reportRowsNotCopied(int step, qint64 notCopied, qint64 rows, const QString& table,
        db::LastingFailure why, const QString& database)
    {
        trap.Report(step, rowsNotCopiedText(notCopied, rows, table, why, database));
    }

    void openConnections()
    {
        trap.Step(s.oracleCursor, [&] { Object(oracle).CursorLocation = db::adUseClient; });
        trap.Step(s.oracleCommandTimeout, [&] { Object(oracle).CommandTimeout = 5000; });
        trap.Step(s.oracleConnectionTimeout, [&] { Object(oracle).ConnectionTimeout = 5000; });
        trap.Step(s.oracleOpen,
            [&] { Object(oracle).Open(db::OracleConnectionString(w.login.loginDetails())); });
        for (const QString& sql : OracleSessionStatements())
            trap.Step(s.oracleOpen, [&] { Object(oracle).Execute(sql); });
        trap.Step(s.mysqlCursor,
            [&] { Object(mysql).CursorLocation = toOracle() ? db::adUseClient : db::adUseServer; });
        trap.Step(s.mysqlCommandTimeout, [&] { Object(mysql).CommandTimeout = 5000; });
        trap.Step(s.mysqlConnectionTimeout, [&] { Object(mysql).ConnectionTimeout = 5000; });
        trap.Step(s.mysqlOpen,
            [&] { Object(mysql).Open(db::MySQLConnectionString(w.login.loginDetails())); });
        trap.Step(s.mysqlOpen, [&] { Object(mysql).Execute(MySQLSessionStatement()); });
    }

    // Asks before overwriting a table the target list shows; answers
    // whether to go on with this table, and settles its target spelling.
    bool settleTarget(const QString& sourceName, QString& targetName)
    {
        int answer = 0;
        const bool exists = trap.If(s.existsTest, [&] {
            return toOracle() ? db::ListHasItem(target(), sourceName)
                              : db::ListHasItemNoCase(target(), sourceName);
        });
        if (exists) {
            trap.Step(s.prompt, [&] {
                answer = w.dialogs.MsgBox(QStringLiteral("Would you like to overwrite ")
                        + sourceName + QStringLiteral("?"),
                    shell::Dialogs::YesNo, QStringLiteral("Overwrite?"), shell::Dialogs::NoIcon,
                    shell::Dialogs::Yes);
            });
        } else {
            trap.Step(s.noPrompt, [&] { answer = 0; });
        }
        if (trap.If(s.answerNo, [&] { return answer == shell::Dialogs::No; }))
            return false;
        if (trap.If(s.answerYes, [&] { return answer == shell::Dialogs::Yes; })) {
            if (!toOracle())
                trap.Step(s.targetSpelling,
                    [&] { targetName = db::ListFindItemNoCase(target(), sourceName); });
            // A refused drop leaves the old table as it is: its CREATE would
            // fail and the new rows would be mixed into the old ones.
            if (!trap.Step(s.drop,
                    [&] { targetConnection().Execute(dropStatement(direction, targetName)); }))
                return false;
            trap.Step(s.removeFromTarget, [&] { db::ListRemoveItem(target(), targetName); });
        }
        return true;
    }

    // Answers false when the table's columns cannot be read at all (its
    // SELECT failed): the rest of that table is skipped. `failure` tells
    // whether the CREATE failed in a way every INSERT would repeat.
    bool createTable(const QString& targetName, db::LastingFailure& failure)
    {
        trap.Step(s.createOpening, [&] { statement = createOpening(direction, targetName); });
        int columns = -1;
        trap.Step(s.columnLoop, [&] { columns = Object(rs).FieldCount(); });
        if (columns < 0)
            return false;
        for (int j = 0; j < columns; ++j) {
            trap.Step(s.columnYield, [&] { db::DoEventsThrottled(); });
            QString name;
            qint16 type = 0;
            trap.Step(s.columnName, [&] { name = rs->field(j).Name; });
            trap.Step(s.typeName, [&] { type = rs->field(j).Type; });
            trap.Step(s.typeTests, [&] { statement += columnEntry(direction, name, type); });
        }
        trap.Step(s.dropComma, [&] { finishCreate(direction, statement); });
        failure = lastingUnless(
            trap.Step(s.executeCreate, [&] { db::ExecuteSql(targetConnection(), statement); }));
        return true;
    }

    void copyRows(const QString& targetName, db::LastingFailure createFailure)
    {
        qint64 last = -1;
        trap.Step(s.lastRow, [&] { last = Object(rs).RecordCount() - 1; });
        if (createFailure != db::LastingFailure::None) {
            if (last >= 0)
                reportRowsNotCopied(s.executeCreate, last + 1, last + 1, targetName, createFailure,
                    targetDatabase());
            return;
        }
        const int columns = rs && rs->isOpen() ? rs->FieldCount() : 0;
        // Every row's statement starts the same and is built in the same
        // buffer, which keeps the room the longest row needed.
        const QString opening = insertOpening(direction, targetName);
        qint64 failed = 0;
        // A failure that every later row would meet too ends the rows; one
        // report tells how many of the table's rows did not arrive.
        auto stopsRows = [&](bool ran, int step, qint64 r, const QString& database) {
            const db::LastingFailure why = lastingUnless(ran);
            if (why == db::LastingFailure::None)
                return false;
            if (r < last)
                reportRowsNotCopied(step, failed + last - r, last + 1, targetName, why, database);
            return true;
        };
        for (qint64 r = 0; r <= last; ++r) {
            trap.Step(s.rowYield, [&] { db::DoEventsThrottled(); });
            trap.Step(s.progress, [&] {
                w.progress.setValue(int(std::lround(double(r + 1) / double(last + 1) * 100.0)));
            });
            trap.Step(s.insertOpening, [&] {
                statement.resize(0);
                statement += opening;
            });
            for (int j = 0; j < columns; ++j) {
                trap.Step(s.valueYield, [&] { db::DoEventsThrottled(); });
                trap.Step(s.value, [&] { appendInsertValue(statement, rs->field(j).Value); });
            }
            trap.Step(s.dropTail, [&] { finishInsert(statement); });
            const bool sent = trap.Step(
                s.executeInsert, [&] { db::ExecuteSql(targetConnection(), statement); });
            failed += sent ? 0 : 1;
            if (stopsRows(sent, s.executeInsert, r, targetDatabase()))
                break;
            if (stopsRows(trap.Step(s.moveNext, [&] { rs->MoveNext(); }), s.moveNext, r,
                    sourceDatabase()))
                break;
        }
    }

    void copyEntry(int i)
    {
        if (toOracle())
            trap.Step(s.entryYield, [&] { db::DoEvents(); });
        if (!trap.If(s.selectedTest, [&] { return source().Selected(i); }))
            return;
        QString sourceName;
        QString targetName;
        trap.Step(s.sourceName, [&] { sourceName = source().List(i); });
        trap.Step(s.targetName, [&] { targetName = sourceName; });
        if (!settleTarget(sourceName, targetName))
            return;
        trap.Step(s.select,
            [&] { Object(rs).Open(selectStatement(direction, sourceName), sourceConnection()); });
        db::LastingFailure createFailure = db::LastingFailure::None;
        if (createTable(targetName, createFailure))
            copyRows(targetName, createFailure);
        else
            return;
        trap.Step(s.progressZero, [&] { w.progress.setValue(0); });
        trap.Step(s.closeRecordset, [&] { Object(rs).Close(); });
        trap.Step(s.refill, [&] {
            if (toOracle())
                db::ListOracleTables(target(), w.login);
            else
                db::ListMySQLTables(target(), w.login);
        });
    }

    void run(const QString& noCurrentMessage)
    {
        trap.Step(s.createOracle, [&] { oracle = std::make_unique<db::Connection>(); });
        trap.Step(s.createMySQL, [&] { mysql = std::make_unique<db::Connection>(); });
        trap.Step(s.createRecordset, [&] { rs = std::make_unique<db::Recordset>(); });
        if (trap.If(s.currentTest, [&] { return source().ListIndex() == -1; })) {
            trap.Step(s.noCurrentMessage, [&] { w.dialogs.MsgBox(noCurrentMessage); });
            return;
        }
        trap.Step(s.hourglass, [&] { w.pointer.SetMousePointer(WindowPointer::Busy); });
        openConnections();
        int count = 0;
        trap.Step(s.walk, [&] { count = source().ListCount(); });
        for (int i = count - 1; i >= 0; --i)
            copyEntry(i);
        if (toOracle()) {
            trap.Step(278, [&] { Object(mysql).Close(); });
            trap.Step(280, [&] { Object(oracle).Close(); });
            trap.Step(282, [&] { w.pointer.SetMousePointer(WindowPointer::Default); });
        } else {
            trap.Step(302, [&] { w.pointer.SetMousePointer(WindowPointer::Default); });
            trap.Step(304, [&] { Object(mysql).Close(); });
            trap.Step(306, [&] { Object(oracle).Close(); });
        }
    }
};

} // namespace

QStringList OracleSessionStatements()
{
    return { QStringLiteral("ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD HH24:MI:SS'"),
        QStringLiteral("ALTER SESSION SET NLS_TIMESTAMP_FORMAT = 'YYYY-MM-DD HH24:MI:SS.FF'"),
        QStringLiteral("ALTER SESSION SET NLS_NUMERIC_CHARACTERS = '.,'") };
}

QString MySQLSessionStatement()
{
    return QStringLiteral("SET SESSION sql_mode = CONCAT_WS(',', NULLIF(@@SESSION.sql_mode, ''), "
                          "'NO_BACKSLASH_ESCAPES')");
}

void SendTablesToOracle(TransferWindow& window)
{
    if (shell::BusyGuard::Busy())
        return;
    shell::BusyGuard busy;
    Run(window, Direction::ToOracle, toOracleSteps, "PushButton3_Click")
        .run(QStringLiteral("Please select a table"));
}

void SendTablesToMySQL(TransferWindow& window)
{
    if (shell::BusyGuard::Busy())
        return;
    shell::BusyGuard busy;
    Run(window, Direction::ToMySQL, toMySQLSteps, "PushButton4_Click")
        .run(QStringLiteral("Please select a table to send."));
}

} // namespace tw::transfer

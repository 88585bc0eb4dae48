#include "transfer/send_tables.h"

#include "db/list_helpers.h"
#include "db/listing.h"
#include "db/yield.h"
#include "odbc/error.h"
#include "shell/busy_guard.h"
#include "shell/error_trap.h"
#include "transfer/row_failure.h"
#include "transfer/rows_not_copied.h"
#include "transfer/table_copy.h"

#include <cmath>

namespace tw::transfer {

using shell::ErrorTrap;
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
    int closeMySQL, closeOracle, defaultPointer;
};

constexpr Steps toOracleSteps {
    .createOracle = 100,
    .createMySQL = 102,
    .createRecordset = 104,
    .currentTest = 108,
    .noCurrentMessage = 284,
    .hourglass = 110,
    .oracleCursor = 112,
    .oracleCommandTimeout = 114,
    .oracleConnectionTimeout = 116,
    .oracleOpen = 118,
    .mysqlCursor = 120,
    .mysqlCommandTimeout = 122,
    .mysqlConnectionTimeout = 124,
    .mysqlOpen = 126,
    .walk = 128,
    .entryYield = 130,
    .selectedTest = 132,
    .sourceName = 134,
    .targetName = 134,
    .existsTest = 136,
    .prompt = 138,
    .noPrompt = 140,
    .answerNo = 142,
    .answerYes = 144,
    .targetSpelling = 144,
    .drop = 146,
    .removeFromTarget = 148,
    .select = 150,
    .createOpening = 152,
    .columnLoop = 154,
    .columnYield = 156,
    .columnName = 158,
    .typeName = 160,
    .typeTests = 162,
    .dropComma = 202,
    .createClosing = 204,
    .executeCreate = 212,
    .lastRow = 220,
    .rowLoop = 222,
    .rowYield = 224,
    .progress = 226,
    .insertOpening = 228,
    .valueLoop = 230,
    .valueYield = 232,
    .value = 234,
    .dropTail = 248,
    .insertClosing = 250,
    .executeInsert = 258,
    .moveNext = 260,
    .progressZero = 264,
    .closeRecordset = 266,
    .refill = 268,
    .closeMySQL = 278,
    .closeOracle = 280,
    .defaultPointer = 282,
};

constexpr Steps toMySQLSteps {
    .createOracle = 100,
    .createMySQL = 102,
    .createRecordset = 104,
    .currentTest = 110,
    .noCurrentMessage = 308,
    .hourglass = 112,
    .oracleCursor = 114,
    .oracleCommandTimeout = 116,
    .oracleConnectionTimeout = 118,
    .oracleOpen = 120,
    .mysqlCursor = 122,
    .mysqlCommandTimeout = 124,
    .mysqlConnectionTimeout = 126,
    .mysqlOpen = 128,
    .walk = 130,
    .entryYield = 130,
    .selectedTest = 132,
    .sourceName = 134,
    .targetName = 136,
    .existsTest = 138,
    .prompt = 140,
    .noPrompt = 142,
    .answerNo = 144,
    .answerYes = 146,
    .targetSpelling = 148,
    .drop = 150,
    .removeFromTarget = 152,
    .select = 154,
    .createOpening = 156,
    .columnLoop = 158,
    .columnYield = 160,
    .columnName = 162,
    .typeName = 164,
    .typeTests = 166,
    .dropComma = 226,
    .createClosing = 228,
    .executeCreate = 236,
    .lastRow = 244,
    .rowLoop = 246,
    .rowYield = 248,
    .progress = 250,
    .insertOpening = 252,
    .valueLoop = 254,
    .valueYield = 256,
    .value = 258,
    .dropTail = 272,
    .insertClosing = 274,
    .executeInsert = 282,
    .moveNext = 284,
    .progressZero = 288,
    .closeRecordset = 290,
    .refill = 292,
    .closeMySQL = 304,
    .closeOracle = 306,
    .defaultPointer = 302,
};

struct Run {
    TransferWindow& w;
    Direction direction;
    const Steps& s;
    TableCopy copy; // owns the statement shown after "sql: " in every report
    ErrorTrap trap;

    Run(TransferWindow& window, Direction d, const Steps& steps, const char* procedure)
        : w(window)
        , direction(d)
        , s(steps)
        , copy(d, &window.stop)
        , trap(window.dialogs,
              QStringLiteral("Palomirdual2017/04/05.Form2.") + QLatin1String(procedure),
              &copy.statement())
    { }

    bool toOracle() const { return direction == Direction::ToOracle; }
    db::TableList& source() { return toOracle() ? w.mysqlList : w.oracleList; }
    db::TableList& target() { return toOracle() ? w.oracleList : w.mysqlList; }
    QString sourceDatabase() const { return databaseName(!toOracle()); }
    QString targetDatabase() const { return databaseName(toOracle()); }
    static QString databaseName(bool oracle)
    {
        return oracle ? QStringLiteral("Oracle") : QStringLiteral("MySQL");
    }

    // None when the step ran through; otherwise whether its failure is one
    // that every later row of the table would meet too.
    odbc::LastingFailure lastingUnless(bool ran) const
    {
        return ran ? odbc::LastingFailure::None : LastingFailureOf(trap.LastError());
    }

    // One report instead of one per row: the table's remaining rows are not
    // sent. Shown under the step whose failure stopped them.
    void reportRowsNotCopied(int step, qint64 notCopied, qint64 rows, const QString& table,
        odbc::LastingFailure why, const QString& database)
    {
        trap.Report(step, rowsNotCopiedText(notCopied, rows, table, why, database));
    }

    void openConnection(Side side, int cursor, int commandTimeout, int connectionTimeout, int open)
    {
        trap.Step(cursor, [&] {
            copy.connection(side).CursorLocation = TableCopy::cursorLocation(direction, side);
        });
        trap.Step(commandTimeout,
            [&] { copy.connection(side).CommandTimeout = TableCopy::timeoutSeconds; });
        trap.Step(connectionTimeout,
            [&] { copy.connection(side).ConnectionTimeout = TableCopy::timeoutSeconds; });
        trap.Step(open, [&] { copy.openConnection(side, w.login.loginDetails()); });
        for (const QString& sql : TableCopy::sessionStatements(side))
            trap.Step(open, [&] { copy.connection(side).Execute(sql); });
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
            if (!trap.Step(s.drop, [&] { copy.dropTarget(targetName); }))
                return false;
            trap.Step(s.removeFromTarget, [&] { db::ListRemoveItem(target(), targetName); });
        }
        return true;
    }

    // Answers false when the table's columns cannot be read at all (its
    // SELECT failed): the rest of that table is skipped. `failure` tells
    // whether the CREATE failed in a way every INSERT would repeat.
    bool createTable(const QString& targetName, odbc::LastingFailure& failure)
    {
        trap.Step(s.createOpening, [&] { copy.beginCreate(targetName); });
        int columns = -1;
        trap.Step(s.columnLoop, [&] { columns = copy.columnCount(); });
        if (columns < 0)
            return false;
        for (int j = 0; j < columns; ++j) {
            trap.Step(s.columnYield, [&] { db::DoEventsThrottled(); });
            QString name;
            qint16 type = 0;
            trap.Step(s.columnName, [&] { name = copy.columnName(j); });
            trap.Step(s.typeName, [&] { type = copy.columnType(j); });
            trap.Step(s.typeTests, [&] { copy.appendColumn(name, type); });
        }
        trap.Step(s.dropComma, [&] { copy.finishCreate(); });
        failure = lastingUnless(trap.Step(s.executeCreate, [&] { copy.executeCreate(); }));
        return true;
    }

    // A stop asked for meanwhile ends the rows after the row on hand.
    void copyRows(const QString& targetName, odbc::LastingFailure createFailure)
    {
        qint64 last = -1;
        trap.Step(s.lastRow, [&] { last = copy.rowCount() - 1; });
        if (createFailure != odbc::LastingFailure::None) {
            if (last >= 0)
                reportRowsNotCopied(s.executeCreate, last + 1, last + 1, targetName, createFailure,
                    targetDatabase());
            return;
        }
        copy.beginRows(targetName);
        qint64 failed = 0;
        // A failure that every later row would meet too ends the rows; one
        // report tells how many of the table's rows did not arrive.
        auto stopsRows = [&](bool ran, int step, qint64 r, const QString& database) {
            const odbc::LastingFailure why = lastingUnless(ran);
            if (why == odbc::LastingFailure::None)
                return false;
            if (r < last)
                reportRowsNotCopied(step, failed + last - r, last + 1, targetName, why, database);
            return true;
        };
        for (qint64 r = 0; r <= last && !copy.stopRequested(); ++r) {
            trap.Step(s.rowYield, [&] { db::DoEventsThrottled(); });
            trap.Step(s.progress, [&] {
                w.progress.setValue(int(std::lround(double(r + 1) / double(last + 1) * 100.0)));
            });
            trap.Step(s.insertOpening, [&] { copy.beginInsert(); });
            for (int j = 0; j < copy.valueCount(); ++j) {
                trap.Step(s.valueYield, [&] { db::DoEventsThrottled(); });
                trap.Step(s.value, [&] { copy.appendValue(j); });
            }
            trap.Step(s.dropTail, [&] { copy.finishInsert(); });
            const bool sent = trap.Step(s.executeInsert, [&] { copy.executeInsert(); });
            failed += sent ? 0 : 1;
            if (stopsRows(sent, s.executeInsert, r, targetDatabase()))
                break;
            if (stopsRows(trap.Step(s.moveNext, [&] { copy.moveNext(); }), s.moveNext, r,
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
        trap.Step(s.select, [&] { copy.openSource(sourceName); });
        odbc::LastingFailure createFailure = odbc::LastingFailure::None;
        if (createTable(targetName, createFailure))
            copyRows(targetName, createFailure);
        else
            return;
        trap.Step(s.progressZero, [&] { w.progress.setValue(0); });
        trap.Step(s.closeRecordset, [&] { copy.close(); });
        trap.Step(s.refill, [&] {
            if (toOracle())
                db::ListOracleTables(target(), w.login);
            else
                db::ListMySQLTables(target(), w.login);
        });
    }

    void run(const QString& noCurrentMessage)
    {
        w.stop.reset();
        trap.Step(s.createOracle, [&] { copy.createConnection(Side::Oracle); });
        trap.Step(s.createMySQL, [&] { copy.createConnection(Side::MySQL); });
        trap.Step(s.createRecordset, [&] { copy.createRecordset(); });
        if (trap.If(s.currentTest, [&] { return source().ListIndex() == -1; })) {
            trap.Step(s.noCurrentMessage, [&] { w.dialogs.MsgBox(noCurrentMessage); });
            return;
        }
        trap.Step(s.hourglass, [&] { w.pointer.SetMousePointer(WindowPointer::Busy); });
        openConnection(Side::Oracle, s.oracleCursor, s.oracleCommandTimeout,
            s.oracleConnectionTimeout, s.oracleOpen);
        openConnection(Side::MySQL, s.mysqlCursor, s.mysqlCommandTimeout, s.mysqlConnectionTimeout,
            s.mysqlOpen);
        int count = 0;
        trap.Step(s.walk, [&] { count = source().ListCount(); });
        // A stop skips the tables not yet begun; the run ends as usual.
        for (int i = count - 1; i >= 0 && !copy.stopRequested(); --i)
            copyEntry(i);
        if (toOracle()) {
            trap.Step(s.closeMySQL, [&] { copy.connection(Side::MySQL).Close(); });
            trap.Step(s.closeOracle, [&] { copy.connection(Side::Oracle).Close(); });
            trap.Step(s.defaultPointer, [&] { w.pointer.SetMousePointer(WindowPointer::Default); });
        } else {
            trap.Step(s.defaultPointer, [&] { w.pointer.SetMousePointer(WindowPointer::Default); });
            trap.Step(s.closeMySQL, [&] { copy.connection(Side::MySQL).Close(); });
            trap.Step(s.closeOracle, [&] { copy.connection(Side::Oracle).Close(); });
        }
    }
};

} // namespace

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

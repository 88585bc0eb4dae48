#include "tables/send_tables.h"

#include "copy/loop/feed.h"
#include "copy/loop/row_loop.h"
#include "copy/plain/plain_definition.h"
#include "copy/replace.h"
#include "copy/rowwise/recordset_source.h"
#include "copy/rowwise/statement_target.h"
#include "copy/table_copy.h"
#include "db/list_lookups.h"
#include "db/listing.h"
#include "db/yield.h"
#include "shell/busy_guard.h"
#include "shell/error_trap.h"
#include "sql/plain_statements.h"
#include "tables/rows_not_copied.h"

#include <cmath>

namespace tw::tables {

using shell::ErrorTrap;
using shell::WindowPointer;
using sql::Server;

namespace {

// The step numbers of one direction, in the order the run passes them;
// each table below gives them in this order, a line for each int line here.
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

// clang-format off
constexpr Steps toOracleSteps {
    100, 102, 104,
    108, 284, 110,
    112, 114, 116, 118,
    120, 122, 124, 126,
    128, 130, 132, 134, 134, 136, 138, 140,
    142, 144, 144, 146, 148, 150,
    152, 154, 156, 158, 160, 162, 202, 204, 212,
    220, 222, 224, 226, 228, 230, 232, 234, 248, 250, 258, 260,
    264, 266, 268,
    278, 280, 282,
};

constexpr Steps toMySQLSteps {
    100, 102, 104,
    110, 308, 112,
    114, 116, 118, 120,
    122, 124, 126, 128,
    130, 130, 132, 134, 136, 138, 140, 142,
    144, 146, 148, 150, 152, 154,
    156, 158, 160, 162, 164, 166, 226, 228, 236,
    244, 246, 248, 250, 252, 254, 256, 258, 272, 274, 282, 284,
    288, 290, 292,
    304, 306, 302,
};
// clang-format on

// The window's side of the row loop: each phase in the numbered step of the
// run's error trap, a yield at every row and value, the progress bar before
// each row, and one report when a failure ends the table's rows early.
class WindowHost : public copy::LoopHost {
public:
    WindowHost(
        ErrorTrap& trap, const Steps& steps, QProgressBar& progress, QString table, Server target)
        : m_trap(trap)
        , m_s(steps)
        , m_progress(progress)
        , m_table(std::move(table))
        , m_target(target)
    { }

    std::exception_ptr run(copy::Phase phase, qint64, copy::FunctionRef<void()> action) override
    {
        return m_trap.Step(stepOf(phase), action) ? nullptr : m_trap.LastError();
    }
    void yield() override { db::DoEventsThrottled(); }
    void rowStarting(qint64 row, qint64 total) override
    {
        m_progress.setValue(int(std::lround(double(row) / double(total) * 100.0)));
    }
    // One report instead of one per row: the table's remaining rows are not
    // sent. Shown under the step whose failure stopped them.
    void ended(const copy::LoopEnd& end) override
    {
        if (end.reason != copy::LoopEnd::Reason::Lasting)
            return;
        const bool reading = end.phase == copy::Phase::Advance;
        if (end.row - (reading ? 1 : 0) >= end.total)
            return;
        m_trap.Report(stepOf(end.phase),
            rowsNotCopiedText(end.notCopied, end.total, m_table, odbc::lastingFailure(end.error),
                sql::serverName(reading ? sql::otherServer(m_target) : m_target)));
    }

private:
    int stepOf(copy::Phase phase) const
    {
        // In the order of copy::Phase.
        const int steps[] = { m_s.lastRow, m_s.rowYield, m_s.progress, m_s.insertOpening,
            m_s.valueYield, m_s.value, m_s.dropTail, m_s.executeInsert, m_s.moveNext };
        return steps[int(phase)];
    }

    ErrorTrap& m_trap;
    const Steps& m_s;
    QProgressBar& m_progress;
    QString m_table;
    Server m_target;
};

struct Run {
    TransferWindow& w;
    Server target;
    const Steps& s;
    copy::TableCopy copy; // owns the statement shown after "sql: " in every report
    ErrorTrap trap;

    Run(TransferWindow& window, Server to, const Steps& steps, const char* procedure)
        : w(window)
        , target(to)
        , s(steps)
        , copy(to, &window.stop)
        , trap(window.dialogs,
              QStringLiteral("Palomirdual2017/04/05.Form2.") + QLatin1String(procedure),
              &copy.statement())
    { }

    bool toOracle() const { return target == Server::Oracle; }
    db::TableList& source() { return toOracle() ? w.mysqlList : w.oracleList; }
    db::TableList& targetList() { return toOracle() ? w.oracleList : w.mysqlList; }

    // None when the step ran through; otherwise whether its failure is one
    // that every later row of the table would meet too.
    odbc::LastingFailure lastingUnless(bool ran) const
    {
        return ran ? odbc::LastingFailure::None : odbc::lastingFailure(trap.LastError());
    }

    void openConnection(
        Server side, int cursor, int commandTimeout, int connectionTimeout, int open)
    {
        trap.Step(cursor, [&] {
            copy.connection(side).CursorLocation = copy::TableCopy::cursorLocation(target, side);
        });
        trap.Step(commandTimeout,
            [&] { copy.connection(side).CommandTimeout = copy::TableCopy::timeoutSeconds; });
        trap.Step(connectionTimeout,
            [&] { copy.connection(side).ConnectionTimeout = copy::TableCopy::timeoutSeconds; });
        trap.Step(open, [&] { copy.openConnection(side, w.login.loginDetails()); });
        for (const QString& sql : copy.sessionStatements(side))
            trap.Step(open, [&] { copy.connection(side).Execute(sql); });
    }

    // Asks before overwriting a table the target list shows; answers
    // whether to go on with this table, and settles its target spelling.
    bool settleTarget(const QString& sourceName, QString& targetName)
    {
        int answer = 0;
        const bool exists = trap.If(s.existsTest, [&] {
            return toOracle() ? db::ListHasItem(targetList(), sourceName)
                              : db::ListHasItemNoCase(targetList(), sourceName);
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
                    [&] { targetName = db::ListFindItemNoCase(targetList(), sourceName); });
            if (!targetTakes(sourceName, targetName))
                return false;
            // A refused drop leaves the old table as it is: its CREATE would
            // fail and the new rows would be mixed into the old ones.
            if (!trap.Step(s.drop, [&] {
                    copy.targetConnection().Execute(copy.targetDialect().dropTable(targetName));
                }))
                return false;
            trap.Step(s.removeFromTarget, [&] { db::ListRemoveItem(targetList(), targetName); });
        }
        return true;
    }

    // Before the agreed DROP, the new table is made once under a name of its
    // own and dropped again at once: a table the target refuses (a row too
    // wide for MySQL, a name Oracle cannot hold) then costs the user nothing,
    // and the old table keeps its rows. The refusal is reported once, at the
    // CREATE's step, with the CREATE under the table's real name.
    bool targetTakes(const QString& sourceName, const QString& targetName)
    {
        QList<QPair<QString, qint16>> columns;
        if (!trap.Step(s.select, [&] {
                db::Recordset rs;
                rs.Open(copy.sourceDialect().selectNoRows(sourceName), copy.sourceConnection());
                for (const db::Field& f : rs.Fields())
                    columns.append({ f.Name, f.Type });
            }))
            return false;
        const sql::Dialect& dialect = copy.targetDialect();
        QStringList taken;
        for (int i = 0; i < targetList().ListCount(); ++i)
            taken << targetList().List(i);
        const QString probe = copy::sideNames(dialect, targetName, taken).copy;
        try {
            db::ExecuteSql(
                copy.targetConnection(), sql::plainCreateStatement(dialect, probe, columns));
        } catch (...) {
            copy.statement() = sql::plainCreateStatement(dialect, targetName, columns);
            trap.Report(s.executeCreate, odbc::describe(std::current_exception()));
            return false;
        }
        // A probe that cannot be dropped again is reported; the old table
        // stays as it is rather than meet the same refusal.
        return trap.Step(
            s.drop, [&] { copy.targetConnection().Execute(dialect.dropTable(probe)); });
    }

    // Answers false when the table's columns cannot be read at all (its
    // SELECT failed): the rest of that table is skipped. `failure` tells
    // whether the CREATE failed in a way every INSERT would repeat.
    bool createTable(const QString& targetName, odbc::LastingFailure& failure)
    {
        const sql::Dialect& dialect = copy.targetDialect();
        QString& statement = copy.statement();
        trap.Step(s.createOpening, [&] { statement = dialect.createOpening(targetName); });
        int columns = -1;
        trap.Step(s.columnLoop, [&] { columns = copy.recordset().FieldCount(); });
        if (columns < 0)
            return false;
        for (int j = 0; j < columns; ++j) {
            trap.Step(s.columnYield, [&] { db::DoEventsThrottled(); });
            QString name;
            qint16 type = 0;
            trap.Step(s.columnName, [&] { name = copy.recordset().field(j).Name; });
            trap.Step(s.typeName, [&] { type = copy.recordset().field(j).Type; });
            trap.Step(s.typeTests, [&] { statement += dialect.plainColumnEntry(name, type); });
        }
        trap.Step(s.dropComma, [&] { sql::finishCreate(dialect, statement); });
        failure = lastingUnless(trap.Step(
            s.executeCreate, [&] { db::ExecuteSql(copy.targetConnection(), statement); }));
        return true;
    }

    // The rows through the copy's one row loop; a stop asked for meanwhile
    // ends them after the row on hand.
    void copyRows(const QString& targetName, odbc::LastingFailure createFailure)
    {
        copy::RecordsetSource source(copy.recordset());
        const copy::PlainDefinition definition(target, source.columns());
        db::Connection* to = nullptr;
        try {
            to = &copy.targetConnection();
        } catch (...) {
            // Every row's step says so.
        }
        copy::StatementTarget rows(to, definition, targetName, copy.statement());
        WindowHost host(trap, s, w.progress, targetName, target);
        copy::RowLoop loop(source, rows, host, &w.stop);
        const qint64 count = loop.count();
        if (createFailure != odbc::LastingFailure::None) {
            if (count > 0)
                trap.Report(s.executeCreate,
                    rowsNotCopiedText(
                        count, count, targetName, createFailure, sql::serverName(target)));
            return;
        }
        copy::InlineFeed feed;
        loop.run(feed);
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
        trap.Step(s.select, [&] {
            copy.recordset().Open(
                copy.sourceDialect().selectAll(sourceName), copy.sourceConnection());
        });
        odbc::LastingFailure createFailure = odbc::LastingFailure::None;
        if (!createTable(targetName, createFailure))
            return;
        copyRows(targetName, createFailure);
        trap.Step(s.progressZero, [&] { w.progress.setValue(0); });
        trap.Step(s.closeRecordset, [&] { copy.recordset().Close(); });
        trap.Step(s.refill, [&] {
            if (toOracle())
                db::ListOracleTables(targetList(), w.login);
            else
                db::ListMySQLTables(targetList(), w.login);
        });
    }

    void run(const QString& noCurrentMessage)
    {
        w.stop.reset();
        trap.Step(s.createOracle, [&] { copy.createConnection(Server::Oracle); });
        trap.Step(s.createMySQL, [&] { copy.createConnection(Server::MySQL); });
        trap.Step(s.createRecordset, [&] { copy.createRecordset(); });
        if (trap.If(s.currentTest, [&] { return source().ListIndex() == -1; })) {
            trap.Step(s.noCurrentMessage, [&] { w.dialogs.MsgBox(noCurrentMessage); });
            return;
        }
        trap.Step(s.hourglass, [&] { w.pointer.SetMousePointer(WindowPointer::Busy); });
        openConnection(Server::Oracle, s.oracleCursor, s.oracleCommandTimeout,
            s.oracleConnectionTimeout, s.oracleOpen);
        openConnection(Server::MySQL, s.mysqlCursor, s.mysqlCommandTimeout,
            s.mysqlConnectionTimeout, s.mysqlOpen);
        int count = 0;
        trap.Step(s.walk, [&] { count = source().ListCount(); });
        // A stop skips the tables not yet begun; the run ends as usual.
        for (int i = count - 1; i >= 0 && !copy.stopRequested(); --i)
            copyEntry(i);
        if (toOracle()) {
            trap.Step(s.closeMySQL, [&] { copy.connection(Server::MySQL).Close(); });
            trap.Step(s.closeOracle, [&] { copy.connection(Server::Oracle).Close(); });
            trap.Step(s.defaultPointer, [&] { w.pointer.SetMousePointer(WindowPointer::Default); });
        } else {
            trap.Step(s.defaultPointer, [&] { w.pointer.SetMousePointer(WindowPointer::Default); });
            trap.Step(s.closeMySQL, [&] { copy.connection(Server::MySQL).Close(); });
            trap.Step(s.closeOracle, [&] { copy.connection(Server::Oracle).Close(); });
        }
    }
};

} // namespace

void SendTablesToOracle(TransferWindow& window)
{
    if (shell::BusyGuard::Busy())
        return;
    shell::BusyGuard busy;
    Run(window, Server::Oracle, toOracleSteps, "PushButton3_Click")
        .run(QStringLiteral("Please select a table"));
}

void SendTablesToMySQL(TransferWindow& window)
{
    if (shell::BusyGuard::Busy())
        return;
    shell::BusyGuard busy;
    Run(window, Server::MySQL, toMySQLSteps, "PushButton4_Click")
        .run(QStringLiteral("Please select a table to send."));
}

} // namespace tw::tables

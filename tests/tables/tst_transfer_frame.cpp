#include "sql/dialect.h"
#include "sql/value_text.h"
#include "support/general_log.h"
#include "support/tables_window.h"
#include "support/testbed.h"
#include "tables/send_tables.h"

#include <QSet>
#include <QTest>

using namespace tw::test;
using tw::shell::Dialogs;
using tw::shell::WindowPointer;

namespace {

const QString database = QStringLiteral("tw_transfer_frame");
const QString oracleUser = QStringLiteral("FRAME");

enum class Send { ToOracle, ToMySQL };

// Whether a session of the program that opened after the mark has ended.
bool mysqlSessionClosed(const GeneralLog& log)
{
    QSet<int> ours;
    for (const LogEntry& e : log.entries()) {
        if (e.command == QLatin1String("Connect")
            && e.argument.startsWith(programSession(database) + QLatin1Char(' ')))
            ours.insert(e.thread);
        else if (e.command == QLatin1String("Quit") && ours.contains(e.thread))
            return true;
    }
    return false;
}

} // namespace

Q_DECLARE_METATYPE(Send)

class TestTransferFrame : public QObject {
    Q_OBJECT

    Testbed& bed = Testbed::instance();
    tw::db::LoginDetails details;

    // One table on each side, so that both lists have entries to walk.
    void oneTableEachSide()
    {
        bed.mysql(
            QStringLiteral("CREATE TABLE m_side(n INT); INSERT INTO m_side VALUES(1);"), database);
        bed.oracle(oracleUser, QStringLiteral("CREATE TABLE O_SIDE(N NUMBER)"));
        bed.oracle(oracleUser, QStringLiteral("INSERT INTO O_SIDE VALUES(2)"));
    }
    static tw::tables::TableListBox* sourceList(TablesWindow& w, Send send)
    {
        return send == Send::ToOracle ? w.form->List1 : w.form->List2;
    }
    static void send(TablesWindow& w, Send s)
    {
        if (s == Send::ToOracle)
            w.sendToOracle();
        else
            w.sendToMySQL();
    }
    static void bothDirections()
    {
        QTest::addColumn<Send>("direction");
        QTest::newRow("to Oracle") << Send::ToOracle;
        QTest::newRow("to MySQL") << Send::ToMySQL;
    }

private slots:
    void initTestCase() { details = bed.login(database, oracleUser); }

    void init()
    {
        bed.freshMySQLDatabase(database);
        bed.freshOracleUser(oracleUser);
    }

    void withoutACurrentItemOnlyTheDirectionsMessageIsShown_data()
    {
        QTest::addColumn<Send>("direction");
        QTest::addColumn<QString>("message");
        QTest::newRow("to Oracle") << Send::ToOracle << "Please select a table";
        QTest::newRow("to MySQL") << Send::ToMySQL << "Please select a table to send.";
    }
    void withoutACurrentItemOnlyTheDirectionsMessageIsShown()
    {
        QFETCH(Send, direction);
        QFETCH(QString, message);
        oneTableEachSide();
        TablesWindow w(details);
        sourceList(w, direction)->SetListIndex(-1);
        QCOMPARE(sourceList(w, direction)->ListIndex(), -1);
        int pointerAtMessage = -1;
        w.dialogs.onShow = [&](const ScriptedDialogs::Shown&) {
            pointerAtMessage = w.form->Pointer().MousePointer();
        };
        GeneralLog log(bed.generalLogPath());
        send(w, direction);
        QCOMPARE(w.dialogs.texts(), QStringList { message });
        QCOMPARE(w.dialogs.shown[0].buttons, Dialogs::OkOnly);
        QCOMPARE(w.dialogs.shown[0].icon, Dialogs::NoIcon);
        QCOMPARE(w.dialogs.shown[0].title, QString()); // the application title
        QCOMPARE(pointerAtMessage, int(WindowPointer::Default));
        QCOMPARE(log.connects(programSession(database)), 0);
        QCOMPARE(w.progress, QList<int>());
    }

    // The connections are opened (the MySQL session gets its sql_mode) and
    // closed again, and nothing else happens.
    void aCurrentItemWithNothingSelectedOpensAndClosesBothConnections_data() { bothDirections(); }
    void aCurrentItemWithNothingSelectedOpensAndClosesBothConnections()
    {
        QFETCH(Send, direction);
        oneTableEachSide();
        TablesWindow w(details);
        QCOMPARE(sourceList(w, direction)->ListIndex(), 0);
        QCOMPARE(sourceList(w, direction)->SelCount(), 0);
        const QStringList list1 = w.form->List1->Items();
        const QStringList list2 = w.form->List2->Items();
        GeneralLog log(bed.generalLogPath());
        send(w, direction);
        QCOMPARE(w.dialogs.shown.size(), 0);
        QCOMPARE(log.connects(programSession(database)), 1);
        QCOMPARE(log.queries(programSession(database)),
            QStringList {
                tw::sql::dialect(tw::sql::Server::MySQL).sessionStatements(false).first() });
        QVERIFY(mysqlSessionClosed(log));
        QCOMPARE(w.form->List1->Items(), list1);
        QCOMPARE(w.form->List2->Items(), list2);
        QCOMPARE(bed.mysql(QStringLiteral("SHOW TABLES;"), database), QStringList { "m_side" });
        QCOMPARE(bed.oracle(oracleUser, QStringLiteral("SELECT table_name FROM user_tables")),
            QStringList { "O_SIDE" });
        QCOMPARE(w.form->Pointer().MousePointer(), int(WindowPointer::Default));
        QCOMPARE(w.progress, QList<int>());
    }

    // A wrong Oracle password: the open, the three session settings and the
    // close at the end fail, each reported before any statement was built.
    // The pointer and the MySQL connection show each direction's end order.
    void aFailureBeforeAnyStatementEndsTheReportWithAnEmptySqlLine_data()
    {
        QTest::addColumn<Send>("direction");
        QTest::addColumn<QString>("procedure");
        QTest::addColumn<QList<int>>("lines");
        QTest::addColumn<int>("pointerAtLastReport");
        QTest::newRow("to Oracle: MySQL closed, Oracle closed, then the pointer")
            << Send::ToOracle << "PushButton3_Click" << QList<int> { 118, 118, 118, 118, 280 }
            << int(WindowPointer::Busy);
        QTest::newRow("to MySQL: the pointer, then MySQL closed, Oracle closed")
            << Send::ToMySQL << "PushButton4_Click" << QList<int> { 120, 120, 120, 120, 306 }
            << int(WindowPointer::Default);
    }
    void aFailureBeforeAnyStatementEndsTheReportWithAnEmptySqlLine()
    {
        QFETCH(Send, direction);
        QFETCH(QString, procedure);
        QFETCH(QList<int>, lines);
        QFETCH(int, pointerAtLastReport);
        oneTableEachSide();
        TablesWindow w(details);
        w.login.details.oraclePassword = QStringLiteral("wrong");
        GeneralLog log(bed.generalLogPath());
        QList<int> pointers;
        QList<bool> mysqlClosed;
        w.dialogs.onShow = [&](const ScriptedDialogs::Shown&) {
            pointers << w.form->Pointer().MousePointer();
            mysqlClosed << mysqlSessionClosed(log);
        };
        send(w, direction);

        const QStringList reports = w.dialogs.reports();
        QCOMPARE(reports.size(), lines.size());
        for (int i = 0; i < reports.size(); ++i) {
            QCOMPARE(reportLine(reports[i]), lines[i]);
            QVERIFY2(reports[i].endsWith(QLatin1String("\r\rsql: ")), qPrintable(reports[i]));
            const QString location
                = QStringLiteral("\r\nin Palomirdual2017/04/05.Form2.%1 at line %2\r\r"
                                 "Please email screenshot of this message to ")
                      .arg(procedure)
                      .arg(lines[i]);
            QVERIFY2(reports[i].contains(location), qPrintable(reports[i]));
        }
        QCOMPARE(pointers.last(), pointerAtLastReport);
        QCOMPARE(mysqlClosed.first(), false);
        QCOMPARE(mysqlClosed.last(), true);
        QCOMPARE(w.form->Pointer().MousePointer(), int(WindowPointer::Default));
    }

    void everyFailingRowIsReportedWithItsOwnInsert_data()
    {
        QTest::addColumn<Send>("direction");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("failing");
        QTest::addColumn<int>("line");
        // Past 2,000 characters the report shows the statement's start.
        auto shown = [](const QString& opening, char16_t c) {
            return opening + QString(2000 - opening.size(), c)
                + QStringLiteral(" \u2026 (%1 characters in all)").arg(opening.size() + 2001 + 2);
        };
        QTest::newRow("to Oracle: 2001 characters into VARCHAR(2000)")
            << Send::ToOracle << "notes"
            << QStringList { shown(QStringLiteral("INSERT INTO \"notes\" VALUES('2', '"), u'x'),
                   shown(QStringLiteral("INSERT INTO \"notes\" VALUES('3', '"), u'y') }
            << 258;
        QTest::newRow("to MySQL: numbers beyond FLOAT")
            << Send::ToMySQL << "NOTES"
            << QStringList { QStringLiteral("INSERT INTO `NOTES` VALUES('2', '1%1')")
                                 .arg(QString(100, u'0')),
                   QStringLiteral("INSERT INTO `NOTES` VALUES('3', '-2%1')")
                       .arg(QString(100, u'0')) }
            << 282;
    }
    void everyFailingRowIsReportedWithItsOwnInsert()
    {
        QFETCH(Send, direction);
        QFETCH(QString, table);
        QFETCH(QStringList, failing);
        QFETCH(int, line);
        if (direction == Send::ToOracle) {
            bed.mysql(QStringLiteral("CREATE TABLE notes(id INT, body VARCHAR(3000));"
                                     "INSERT INTO notes VALUES(1, 'short'), (2, REPEAT('x', 2001)),"
                                     "(3, REPEAT('y', 2001)), (4, 'last');"),
                database);
        } else {
            bed.oracle(oracleUser, QStringLiteral("CREATE TABLE NOTES(ID NUMBER, BODY NUMBER)"));
            for (const char* row : { "1, 5", "2, 1E100", "3, -2E100", "4, 6" })
                bed.oracle(oracleUser,
                    QStringLiteral("INSERT INTO NOTES VALUES(%1)").arg(QLatin1String(row)));
        }
        TablesWindow w(details);
        TablesWindow::select(sourceList(w, direction), { table });
        send(w, direction);

        const QStringList reports = w.dialogs.reports();
        QCOMPARE(reports.size(), failing.size());
        for (int i = 0; i < reports.size(); ++i) {
            QCOMPARE(reportLine(reports[i]), line);
            QCOMPARE(reportStatement(reports[i]), failing[i]);
        }
        QCOMPARE(w.progress, (QList<int> { 25, 50, 75, 100, 0 }));
        const auto copied = direction == Send::ToOracle
            ? oracleRows(details, QStringLiteral("SELECT * FROM \"notes\""))
            : mysqlRows(details, QStringLiteral("SELECT * FROM `NOTES`"));
        QCOMPARE(copied.size(), 2);
        QCOMPARE(tw::sql::valueText(copied[0][0]), QStringLiteral("1"));
        QCOMPARE(tw::sql::valueText(copied[1][0]), QStringLiteral("4"));
    }

    // Under utf8mb4 three VARCHAR(8000) columns pass MySQL's row size limit:
    // the CREATE is reported as built, then the first INSERT, which finds no
    // table, and one more report for the rows that were not sent.
    void aCreateMySQLRefusesIsReportedThenTheFirstInsertAndTheRowsNotCopied()
    {
        bed.oracle(oracleUser,
            QStringLiteral("CREATE TABLE WIDE(A VARCHAR2(10), B CLOB, C VARCHAR2(10))"));
        bed.oracle(oracleUser, QStringLiteral("INSERT INTO WIDE VALUES('a1', 'b1', 'c1')"));
        bed.oracle(oracleUser, QStringLiteral("INSERT INTO WIDE VALUES('a2', NULL, 'c2')"));
        bed.oracle(oracleUser, QStringLiteral("INSERT INTO WIDE VALUES('a3', NULL, NULL)"));
        TablesWindow w(details);
        TablesWindow::select(w.form->List2, { QStringLiteral("WIDE") });
        w.sendToMySQL();

        const QStringList reports = w.dialogs.reports();
        QCOMPARE(reports.size(), 3);
        QCOMPARE(reportLine(reports[0]), 236);
        QVERIFY2(reports[0].contains(QLatin1String("Row size too large")), qPrintable(reports[0]));
        QCOMPARE(reportStatement(reports[0]),
            QStringLiteral(
                "CREATE TABLE `WIDE`(`A` VARCHAR(8000),`B` VARCHAR(8000),`C` VARCHAR(8000));"));
        QCOMPARE(reportLine(reports[1]), 282);
        QCOMPARE(reportStatement(reports[1]),
            QStringLiteral("INSERT INTO `WIDE` VALUES('a1', 'b1', 'c1')"));
        QVERIFY2(reports[1].contains(QLatin1String("doesn't exist")), qPrintable(reports[1]));
        QCOMPARE(reportLine(reports[2]), 282);
        QVERIFY2(reports[2].startsWith(
                     QLatin1String("3 of 3 rows of table \"WIDE\" were not copied: the table does "
                                   "not exist in MySQL.\r\n")),
            qPrintable(reports[2]));
        QCOMPARE(reportStatement(reports[2]), reportStatement(reports[1]));
        QCOMPARE(w.progress, (QList<int> { 33, 0 }));
        QCOMPARE(bed.mysql(QStringLiteral("SHOW TABLES;"), database), QStringList());
        QCOMPARE(w.form->List1->Items(), QStringList());
    }
};

QTEST_MAIN(TestTransferFrame)
#include "tst_transfer_frame.moc"

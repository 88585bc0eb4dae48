#include "support/general_log.h"
#include "support/tables_window.h"
#include "support/testbed.h"

#include <QRegularExpression>
#include <QTest>

using namespace tw::test;

namespace {

const QString database = QStringLiteral("tw_copy_faults");
const QString oracleUser = QStringLiteral("FAULTS");
const QString closed = QStringLiteral("Operation is not allowed when the object is closed.");

// An Oracle table ("ID" NUMBER) holding 1 to `rows`, filled on one session.
void oracleNumbers(const tw::db::LoginDetails& details, const QString& table, int rows)
{
    QStringList fill { QStringLiteral("CREATE TABLE \"%1\"(\"ID\" NUMBER)").arg(table) };
    for (int i = 1; i <= rows; ++i)
        fill << QStringLiteral("INSERT INTO \"%1\" VALUES(%2)").arg(table).arg(i);
    oracleExecute(details, fill);
}

// Each report as its step and its first line: "282: Server has gone away".
QStringList stepsAndTexts(const QStringList& reports)
{
    QStringList out;
    for (const QString& r : reports)
        out << QStringLiteral("%1: %2")
                   .arg(reportLine(r))
                   .arg(r.section(QStringLiteral("\r\n"), 0, 0));
    return out;
}

QString notCopied(int rows, int of, const char* table, const char* database)
{
    return QStringLiteral("%1 of %2 rows of table \"%3\" were not copied: the connection to %4 is "
                          "not open or was lost.")
        .arg(rows)
        .arg(of)
        .arg(QLatin1String(table), QLatin1String(database));
}

} // namespace

// Failures that every later row of a table would repeat end its rows with
// one more report; a refused overwrite leaves the old table alone; a huge
// statement's report stays short.
class TestCopyFaults : public QObject {
    Q_OBJECT

    Testbed& bed = Testbed::instance();
    tw::db::LoginDetails details;

private slots:
    void initTestCase() { details = bed.login(database, oracleUser); }

    void init()
    {
        bed.freshMySQLDatabase(database);
        bed.freshOracleUser(oracleUser);
    }

    // KILL ends the program's own MySQL session from the server's side, as a
    // server that goes away does; the other test programs keep theirs.
    void aTargetSessionKilledMidCopyStopsItsTablesRowsWithOneMoreReport()
    {
        oracleNumbers(details, QStringLiteral("B_KILLED"), 100);
        oracleNumbers(details, QStringLiteral("A_NEXT"), 3);
        TablesWindow w(details);
        TablesWindow::select(w.form->List2, { "A_NEXT", "B_KILLED" });
        QStringList killed;
        QObject::connect(
            w.form->ProgressBar1, &QProgressBar::valueChanged, w.form.get(), [&](int v) {
                if (v != 30 || !killed.isEmpty())
                    return;
                killed = bed.mysql(QStringLiteral("SELECT ID FROM information_schema.PROCESSLIST "
                                                  "WHERE DB = '%1' AND HOST LIKE '127.0.0.1%'")
                                       .arg(database));
                for (const QString& id : std::as_const(killed))
                    bed.mysql(QStringLiteral("KILL %1").arg(id));
            });
        w.sendToMySQL();

        QCOMPARE(killed.size(), 1);
        // B_KILLED, the bottom entry, goes first: row 30's INSERT meets the
        // killed session. A_NEXT's CREATE finds it still lost: no reconnect.
        const QStringList reports = stepsAndTexts(w.dialogs.reports());
        QCOMPARE(reports.size(), 4);
        QVERIFY2(reports[0].startsWith(QLatin1String("282: [ma-")), qPrintable(reports[0]));
        QCOMPARE(reports[1], QStringLiteral("282: ") + notCopied(71, 100, "B_KILLED", "MySQL"));
        QVERIFY2(reports[2].startsWith(QLatin1String("236: [ma-")), qPrintable(reports[2]));
        QCOMPARE(reports[3], QStringLiteral("236: ") + notCopied(3, 3, "A_NEXT", "MySQL"));
        QCOMPARE(reportStatement(w.dialogs.reports()[1]),
            QStringLiteral("INSERT INTO `B_KILLED` VALUES('30')"));
        QCOMPARE(reportStatement(w.dialogs.reports()[3]),
            QStringLiteral("CREATE TABLE `A_NEXT`(`ID` FLOAT);"));
        QCOMPARE(w.progress.mid(28), (QList<int> { 29, 30, 0 }));
        QCOMPARE(bed.mysql(QStringLiteral("SELECT COUNT(*) FROM `B_KILLED`"), database),
            QStringList { "29" });
        QCOMPARE(w.form->List1->Items(), QStringList { "B_KILLED" });

        // The next click opens a session of its own and copies.
        w.dialogs.clear();
        TablesWindow::select(w.form->List2, { "A_NEXT" });
        w.sendToMySQL();
        QCOMPARE(w.dialogs.reports(), QStringList());
        QCOMPARE(bed.mysql(QStringLiteral("SELECT COUNT(*) FROM `A_NEXT`"), database),
            QStringList { "3" });
    }

    // A wrong password keeps the target closed for the whole run; the
    // reports do not grow with the rows.
    void anUnreachableOracleWithTenThousandRowsGivesEightReports()
    {
        bed.mysql(QStringLiteral("CREATE TABLE many(n INT); "
                                 "INSERT INTO many SELECT seq FROM seq_1_to_10000;"),
            database);
        TablesWindow w(details);
        w.login.details.oraclePassword = QStringLiteral("wrong");
        TablesWindow::select(w.form->List1, { "many" });
        w.sendToOracle();
        const QString denied = QStringLiteral(
            "[Oracle][ODBC][Ora]ORA-01017: invalid username/password; logon denied");
        QCOMPARE(stepsAndTexts(w.dialogs.reports()),
            (QStringList { "118: " + denied, "118: " + closed, "118: " + closed, "118: " + closed,
                "212: " + closed, "212: " + notCopied(10000, 10000, "many", "Oracle"),
                "268: " + denied, "280: " + closed }));
    }

    // The user agrees to overwrite, but MySQL refuses the DROP (a foreign key
    // points at the table): the old table keeps its rows and gets no new ones.
    void aRefusedDropLeavesTheOldTableAlone()
    {
        oracleNumbers(details, QStringLiteral("parent"), 2);
        bed.mysql(
            QStringLiteral("CREATE TABLE parent(ID INT PRIMARY KEY); "
                           "INSERT INTO parent VALUES(1), (2), (3); "
                           "CREATE TABLE child(p INT, FOREIGN KEY (p) REFERENCES parent(ID));"),
            database);
        TablesWindow w(details);
        TablesWindow::select(w.form->List2, { "parent" });
        GeneralLog log(bed.generalLogPath());
        w.sendToMySQL();

        QCOMPARE(w.dialogs.texts().value(0), QStringLiteral("Would you like to overwrite parent?"));
        const QStringList reports = stepsAndTexts(w.dialogs.reports());
        QCOMPARE(reports.size(), 1);
        QVERIFY2(
            reports[0].startsWith(QLatin1String("150: ")) && reports[0].contains("foreign key"),
            qPrintable(reports[0]));
        QCOMPARE(bed.mysql(QStringLiteral("SELECT ID FROM parent"), database),
            (QStringList { "1", "2", "3" }));
        // Only the trial of the new table, under a name of its own.
        QCOMPARE(log.queries(programSession(database))
                     .filter(QRegularExpression(QStringLiteral("^(CREATE|INSERT)"))),
            QStringList { "CREATE TABLE `parent_tw_new`(`ID` FLOAT)" });
        QCOMPARE(w.form->List1->Items(), (QStringList { "child", "parent" }));
    }

    // The user agrees to overwrite, but the target refuses the new table:
    // MySQL's row size limit (three VARCHAR(8000) of utf8mb4), Oracle a
    // column name holding a double quote. One report at the CREATE's step
    // with the CREATE under the table's name; the old table keeps its rows;
    // the next table of the selection copies.
    void aTableTheTargetRefusesCostsTheOldTableNothing_data()
    {
        QTest::addColumn<bool>("toMySQL");
        QTest::addColumn<QString>("report");
        QTest::addColumn<QString>("create");
        QTest::newRow("to MySQL") << true << "236: [ma-"
                                  << "CREATE TABLE `wide`(`A` VARCHAR(8000),`B` VARCHAR(8000),"
                                     "`C` VARCHAR(8000));";
        QTest::newRow("to Oracle") << false << "212: [Oracle][ODBC][Ora]ORA-25716"
                                   << "CREATE TABLE \"wide\"(\"a\"\"b\" VARCHAR(2000))";
    }
    void aTableTheTargetRefusesCostsTheOldTableNothing()
    {
        QFETCH(bool, toMySQL);
        QFETCH(QString, report);
        QFETCH(QString, create);
        if (toMySQL) {
            oracleExecute(details,
                { "CREATE TABLE \"WIDE\"(\"A\" VARCHAR2(10), \"B\" VARCHAR2(10), \"C\" "
                  "VARCHAR2(10))",
                    "CREATE TABLE \"NEXT\"(\"N\" NUMBER)", "INSERT INTO \"NEXT\" VALUES(1)" });
            bed.mysql(QStringLiteral("CREATE TABLE wide(x VARCHAR(10)); "
                                     "INSERT INTO wide VALUES('old');"),
                database);
        } else {
            bed.mysql(QStringLiteral("CREATE TABLE wide(`a\"b` VARCHAR(10)); "
                                     "CREATE TABLE next(n INT); INSERT INTO next VALUES(1);"),
                database);
            oracleExecute(details,
                { "CREATE TABLE \"wide\"(\"X\" VARCHAR2(10))",
                    "INSERT INTO \"wide\" VALUES('old')" });
        }
        TablesWindow w(details);
        w.dialogs.answerYesNo({ 6 });
        TablesWindow::select(toMySQL ? w.form->List2 : w.form->List1,
            toMySQL ? QStringList { "NEXT", "WIDE" } : QStringList { "next", "wide" });
        if (toMySQL)
            w.sendToMySQL();
        else
            w.sendToOracle();

        const QStringList reports = w.dialogs.reports();
        QCOMPARE(reports.size(), 1);
        QVERIFY2(stepsAndTexts(reports)[0].startsWith(report), qPrintable(reports[0]));
        QVERIFY2(reports[0].contains(toMySQL ? "Row size too large" : "double quotation mark"),
            qPrintable(reports[0]));
        QCOMPARE(reportStatement(reports[0]), create);
        const QString old = toMySQL
            ? bed.mysql(QStringLiteral("SELECT x FROM wide"), database).join(u',')
            : bed.oracle(oracleUser, QStringLiteral("SELECT \"X\" FROM \"wide\"")).join(u',');
        QCOMPARE(old, QStringLiteral("old"));
        const QString next = toMySQL
            ? bed.mysql(QStringLiteral("SELECT COUNT(*) FROM `NEXT`"), database).join(u',')
            : bed.oracle(oracleUser, QStringLiteral("SELECT COUNT(*) FROM \"next\"")).join(u',');
        QCOMPARE(next, QStringLiteral("1"));
    }

    // Oracle takes at most 4,000 bytes in a literal: a megabyte of text is
    // refused, and its report shows the statement's start and its length.
    void aMegabyteValuesReportHoldsTheCutStatement()
    {
        bed.mysql(QStringLiteral("CREATE TABLE big(id INT, body LONGTEXT); "
                                 "INSERT INTO big VALUES(1, REPEAT('x', 1048576)), (2, 'small');"),
            database);
        TablesWindow w(details);
        TablesWindow::select(w.form->List1, { "big" });
        w.sendToOracle();

        const QStringList reports = w.dialogs.reports();
        QCOMPARE(reports.size(), 1);
        const QString opening = QStringLiteral("INSERT INTO \"big\" VALUES('1', '");
        QCOMPARE(reportStatement(reports[0]),
            opening + QString(2000 - opening.size(), u'x')
                + QStringLiteral(" \u2026 (%1 characters in all)")
                      .arg(opening.size() + 1048576 + 2));
        QCOMPARE(oracleRows(details, QStringLiteral("SELECT \"body\" FROM \"big\"")).size(), 1);
    }
};

QTEST_MAIN(TestCopyFaults)
#include "tst_copy_faults.moc"

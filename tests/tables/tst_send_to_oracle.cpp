#include "db/ado_types.h"
#include "sql/plain_statements.h"
#include "sql/value_text.h"
#include "support/general_log.h"
#include "support/tables_window.h"
#include "support/testbed.h"
#include "support/value_corpus.h"

#include <QTest>

using namespace tw::test;
using tw::odbc::Value;
using tw::sql::valueText;

namespace {

const QString database = QStringLiteral("tw_send_oracle");
const QString oracleUser = QStringLiteral("SEND_ORA");

// The ADO code each Oracle column type reads back as depends on the Oracle
// driver.
qint16 oracleCode(OracleType type)
{
    switch (type) {
    case oracleInt: // INT is NUMBER(38)
        return oracleNumberCode();
    case oracleVarchar:
        return oracleVarcharCode();
    case oracleDate:
        return oracleDateCode();
    case oracleFloat:
        return 5;
    case oracleBlob:
        return 205;
    }
    return 0;
}

// The statement the run must build for that table, written out by hand.
const QString typedCreate = QStringLiteral(
    "CREATE TABLE \"all_types\"(\"ti\" INT,\"tiu\" INT,\"si\" INT,\"siu\" INT,\"mi\" INT,\"i\" INT,"
    "\"iu\" INT,\"bi\" INT,\"biu\" INT,\"de\" VARCHAR(2000),\"fl\" VARCHAR(2000),\"db\" FLOAT,"
    "\"d\" DATE,\"dt\" VARCHAR(2000),\"ts\" VARCHAR(2000),\"tm\" VARCHAR(2000),\"yr\" INT,"
    "\"ch\" VARCHAR(2000),\"vc\" VARCHAR(2000),\"tx\" VARCHAR(2000),\"lt\" VARCHAR(2000),"
    "\"bl\" BLOB,\"vb\" VARCHAR(2000),\"bt\" VARCHAR(2000),\"en\" VARCHAR(2000),"
    "\"js\" VARCHAR(2000))");

QStringList oracleTables()
{
    QStringList t = Testbed::instance().oracle(
        oracleUser, QStringLiteral("SELECT table_name FROM user_tables"));
    t.sort();
    return t;
}

QList<Value> rowWithFirst(const QList<QList<Value>>& rows, const QString& firstText)
{
    for (const auto& row : rows) {
        if (valueText(row.value(0)) == firstText)
            return row;
    }
    return {};
}

} // namespace

class TestSendToOracle : public QObject {
    Q_OBJECT

    Testbed& bed = Testbed::instance();
    tw::db::LoginDetails details;

    void freshOracle() { bed.freshOracleUser(oracleUser); }

private slots:
    void initTestCase()
    {
        bed.freshMySQLDatabase(database);
        details = bed.login(database, oracleUser);
    }

    void init()
    {
        bed.freshMySQLDatabase(database);
        freshOracle();
    }

    void everyMySQLColumnTypeArrivesAsItsOracleTypeWithItsValue()
    {
        bed.mysql(mysqlAllTypesTable(), database);
        TablesWindow w(details);
        TablesWindow::select(w.form->List1, { QStringLiteral("all_types") });
        w.sendToOracle();
        QCOMPARE(w.dialogs.reports(), QStringList());

        const auto mysqlSide = mysqlColumns(details, QStringLiteral("all_types"));
        QCOMPARE(tw::sql::plainCreateStatement(tw::sql::dialect(tw::sql::Server::Oracle),
                     QStringLiteral("all_types"), mysqlSide),
            typedCreate);

        const auto oracleSide = oracleColumns(details, QStringLiteral("all_types"));
        const QList<TypedColumn> typed = typedColumns();
        QCOMPARE(oracleSide.size(), typed.size());
        for (int i = 0; i < oracleSide.size(); ++i) {
            QCOMPARE(oracleSide[i].first, QLatin1String(typed[i].name));
            QVERIFY2(oracleSide[i].second == oracleCode(typed[i].oracleType),
                qPrintable(
                    QStringLiteral("%1 arrived as %2")
                        .arg(oracleSide[i].first, tw::db::AdoTypeName(oracleSide[i].second))));
        }

        const QList<Value> source
            = mysqlRows(details, QStringLiteral("SELECT * FROM all_types WHERE ti = -128"))
                  .value(0);
        const auto copied = oracleRows(details, QStringLiteral("SELECT * FROM \"all_types\""));
        QCOMPARE(copied.size(), 2);
        const QList<Value> full = rowWithFirst(copied, QStringLiteral("-128"));
        QCOMPARE(full.size(), source.size());
        for (int i = 0; i < source.size(); ++i) {
            QString expected = valueText(source[i]);
            if (typed[i].oracleType == oracleDate)
                expected = oracleMidnight(expected);
            if (expected.isEmpty()) {
                QVERIFY2(tw::odbc::isNull(full[i]), typed[i].name);
                continue;
            }
            QVERIFY2(valueText(full[i]) == expected,
                qPrintable(QStringLiteral("%1: %2 instead of %3")
                               .arg(QLatin1String(typed[i].name), valueText(full[i]), expected)));
        }
        const QList<Value> empty = rowWithFirst(copied, QString());
        QCOMPARE(empty.size(), source.size());
        for (const Value& v : empty)
            QVERIFY(tw::odbc::isNull(v));
    }

    void textValuesArriveUnchangedAndEmptyTextAsNull_data()
    {
        QTest::addColumn<QString>("literal"); // as the mariadb client reads it
        QTest::addColumn<QString>("expected"); // null: arrives as NULL
        for (const auto& [literal, expected] : textValues())
            QTest::newRow(qPrintable(literal)) << literal << expected;
    }
    void textValuesArriveUnchangedAndEmptyTextAsNull()
    {
        QFETCH(QString, literal);
        QFETCH(QString, expected);
        bed.mysql(QStringLiteral("CREATE TABLE people(id INT, name VARCHAR(100), tail INT);"
                                 "INSERT INTO people VALUES(7, %1, 1);")
                      .arg(literal),
            database);
        TablesWindow w(details);
        TablesWindow::select(w.form->List1, { QStringLiteral("people") });
        w.sendToOracle();
        QCOMPARE(w.dialogs.reports(), QStringList());
        const auto rows = oracleRows(details, QStringLiteral("SELECT * FROM \"people\""));
        QCOMPARE(rows.size(), 1);
        QCOMPARE(valueText(rows[0][0]), QStringLiteral("7"));
        if (expected.isNull())
            QVERIFY(tw::odbc::isNull(rows[0][1]));
        else
            QCOMPARE(rows[0][1].toString(), expected);
        QCOMPARE(valueText(rows[0][2]), QStringLiteral("1"));
    }

    // MySQL values that MariaDB's driver would turn into NULL (zero dates) or
    // cut (wide text at U+0000) or change (a leading U+FEFF), and text of
    // another character set. A zero date has no Oracle DATE: its row is
    // refused and reported; as text it arrives as it is.
    void valuesNoOracleTypeHoldsArriveAsTextOrTheirRowIsReported_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("literal");
        QTest::addColumn<QString>("expected"); // null: the row is refused and reported
        QTest::newRow("zero DATE into DATE") << "DATE"
                                             << "'0000-00-00'" << QString();
        QTest::newRow("zero month into DATE") << "DATE"
                                              << "'2024-00-15'" << QString();
        QTest::newRow("zero DATETIME into VARCHAR2") << "DATETIME"
                                                     << "'0000-00-00 00:00:00'"
                                                     << "0000-00-00 00:00:00";
        QTest::newRow("U+0000 in TEXT")
            << "TEXT"
            << "CONCAT('ab', CHAR(0), 'cd')" << QString::fromUtf16(u"ab\0cd", 5);
        QTest::newRow("U+0000 and a character beyond the BMP")
            << "VARCHAR(20)" << QString::fromUtf8("CONCAT('x', CHAR(0), 'y😀')")
            << QString::fromUtf8("x\0y😀", 7);
        QTest::newRow("latin1 column")
            << "VARCHAR(20) CHARACTER SET latin1" << QString::fromUtf8("'Grüße'")
            << QString::fromUtf8("Grüße");
        QTest::newRow("a leading U+FEFF")
            << "VARCHAR(20)"
            << "CONCAT(_utf8mb4 X'EFBBBF', 'a')" << QChar(0xFEFF) + QStringLiteral("a");
    }
    void valuesNoOracleTypeHoldsArriveAsTextOrTheirRowIsReported()
    {
        QFETCH(QString, type);
        QFETCH(QString, literal);
        QFETCH(QString, expected);
        bed.mysql(QStringLiteral("SET SESSION sql_mode = ''; CREATE TABLE odd(id INT, v %1); "
                                 "INSERT INTO odd VALUES(1, %2);")
                      .arg(type, literal),
            database);
        TablesWindow w(details);
        TablesWindow::select(w.form->List1, { QStringLiteral("odd") });
        w.sendToOracle();
        const auto rows = oracleRows(details, QStringLiteral("SELECT \"v\" FROM \"odd\""));
        QCOMPARE(w.dialogs.reports().size(), expected.isNull() ? 1 : 0);
        QCOMPARE(rows.size(), expected.isNull() ? 0 : 1);
        if (!expected.isNull())
            QCOMPARE(rows[0][0].toString(), expected);
    }

    // A table the Oracle list does not show cannot be created again; the
    // report shows the CREATE as sent, and the rows go into the old table.
    void createOfATableTheListDoesNotShowIsReportedWithItsText()
    {
        bed.mysql(QStringLiteral("CREATE TABLE stale(id INT, name VARCHAR(10), born DATE, score "
                                 "DOUBLE, pic BLOB);"
                                 "INSERT INTO stale VALUES(1, 'Ann', '1999-12-31', 2.5, X'CAFE');"),
            database);
        TablesWindow w(details);
        bed.oracle(oracleUser,
            QStringLiteral("CREATE TABLE \"stale\"(\"id\" NUMBER, \"name\" VARCHAR2(50), \"born\" "
                           "DATE, \"score\" FLOAT, \"pic\" BLOB)"));
        TablesWindow::select(w.form->List1, { QStringLiteral("stale") });
        w.sendToOracle();
        const QStringList reports = w.dialogs.reports();
        QCOMPARE(reports.size(), 1);
        QCOMPARE(reportLine(reports[0]), 212);
        QVERIFY2(reports[0].contains(QLatin1String("ORA-00955")), qPrintable(reports[0]));
        QCOMPARE(reportStatement(reports[0]),
            QStringLiteral("CREATE TABLE \"stale\"(\"id\" INT,\"name\" VARCHAR(2000),\"born\" "
                           "DATE,\"score\" FLOAT,\"pic\" BLOB)"));
        const auto rows = oracleRows(details, QStringLiteral("SELECT * FROM \"stale\""));
        QCOMPARE(rows.size(), 1);
        QCOMPARE(valueText(rows[0][0]), QStringLiteral("1"));
        QCOMPARE(rows[0][1].toString(), QStringLiteral("Ann"));
        QCOMPARE(valueText(rows[0][2]), oracleMidnight(QStringLiteral("1999-12-31")));
        QCOMPARE(rows[0][3].toDouble(), 2.5);
        QCOMPARE(rows[0][4].toByteArray(), QByteArray("\xCA\xFE"));
        QCOMPARE(w.form->List2->Items(), QStringList { QStringLiteral("stale") });
    }

    void overwriteIsAskedOnlyForTheExactOracleName_data()
    {
        QTest::addColumn<QString>("oracleTable");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("prompted");
        QTest::addColumn<QStringList>("tablesAfter");
        QTest::addColumn<QString>("ordersFirstValue"); // of the Oracle table "orders"
        QTest::newRow("ORDERS is another table: no prompt, a second table")
            << "ORDERS" << 0 << false << QStringList { "ORDERS", "orders" } << "1";
        QTest::newRow("orders answered Yes: dropped and made anew")
            << "orders" << 6 << true << QStringList { "orders" } << "1";
        QTest::newRow("orders answered No: left as it was")
            << "orders" << 7 << true << QStringList { "orders" } << "old";
    }
    void overwriteIsAskedOnlyForTheExactOracleName()
    {
        QFETCH(QString, oracleTable);
        QFETCH(int, answer);
        QFETCH(bool, prompted);
        QFETCH(QStringList, tablesAfter);
        QFETCH(QString, ordersFirstValue);
        bed.mysql(QStringLiteral("CREATE TABLE orders(id INT, item VARCHAR(20));"
                                 "INSERT INTO orders VALUES(1, 'pen'), (2, 'ink');"),
            database);
        bed.oracle(
            oracleUser, QStringLiteral("CREATE TABLE \"%1\"(\"x\" VARCHAR2(10))").arg(oracleTable));
        bed.oracle(oracleUser, QStringLiteral("INSERT INTO \"%1\" VALUES('old')").arg(oracleTable));
        TablesWindow w(details);
        const QStringList listBefore = w.form->List2->Items();
        if (answer)
            w.dialogs.answerYesNo({ answer });
        int pointerAtPrompt = -1;
        QStringList listAtPrompt;
        w.dialogs.onShow = [&](const ScriptedDialogs::Shown&) {
            pointerAtPrompt = w.form->Pointer().MousePointer();
            listAtPrompt = w.form->List2->Items();
        };
        GeneralLog log(bed.generalLogPath());
        TablesWindow::select(w.form->List1, { QStringLiteral("orders") });
        w.sendToOracle();

        QCOMPARE(w.dialogs.reports(), QStringList());
        if (prompted) {
            QCOMPARE(w.dialogs.shown.size(), 1);
            const auto& box = w.dialogs.shown[0];
            QCOMPARE(box.text, QStringLiteral("Would you like to overwrite orders?"));
            QCOMPARE(box.title, QStringLiteral("Overwrite?"));
            QCOMPARE(box.buttons, tw::shell::Dialogs::YesNo);
            QCOMPARE(box.icon, tw::shell::Dialogs::NoIcon);
            QCOMPARE(box.defaultButton, tw::shell::Dialogs::Yes);
            QCOMPARE(pointerAtPrompt, int(tw::shell::WindowPointer::Busy));
            QCOMPARE(listAtPrompt, listBefore);
        } else {
            QCOMPARE(w.dialogs.shown.size(), 0);
        }
        QCOMPARE(oracleTables(), tablesAfter);
        QCOMPARE(w.form->List2->Items(), tablesAfter);
        const auto rows = oracleRows(details, QStringLiteral("SELECT * FROM \"orders\""));
        QCOMPARE(valueText(rows.value(0).value(0)), ordersFirstValue);
        const bool copied = answer != 7;
        QCOMPARE(log.queries(programSession(database))
                     .contains(QStringLiteral("SELECT * FROM `orders`")),
            copied);
        QCOMPARE(rows.size(), copied ? 2 : 1);
        if (oracleTable != QLatin1String("orders")) {
            const auto other
                = oracleRows(details, QStringLiteral("SELECT * FROM \"%1\"").arg(oracleTable));
            QCOMPARE(other.size(), 1);
            QCOMPARE(other[0][0].toString(), QStringLiteral("old"));
        }
        QCOMPARE(w.form->Pointer().MousePointer(), int(tw::shell::WindowPointer::Default));
    }

    void progressMovesPerRowAndReturnsToZero_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<QList<int>>("values");
        QTest::newRow("four rows") << 4 << QList<int> { 25, 50, 75, 100, 0 };
        QTest::newRow("one row") << 1 << QList<int> { 100, 0 };
        QTest::newRow("no rows: the bar stays at 0") << 0 << QList<int> {};
    }
    void progressMovesPerRowAndReturnsToZero()
    {
        QFETCH(int, rows);
        QFETCH(QList<int>, values);
        bed.mysql(QStringLiteral("CREATE TABLE counted(n INT);"), database);
        for (int r = 1; r <= rows; ++r)
            bed.mysql(QStringLiteral("INSERT INTO counted VALUES(%1);").arg(r), database);
        TablesWindow w(details);
        TablesWindow::select(w.form->List1, { QStringLiteral("counted") });
        w.sendToOracle();
        QCOMPARE(w.dialogs.shown.size(), 0);
        QCOMPARE(w.progress, values);
        QCOMPARE(w.form->ProgressBar1->value(), 0);
        QCOMPARE(oracleRows(details, QStringLiteral("SELECT * FROM \"counted\"")).size(), rows);
        QCOMPARE(w.form->List2->Items(), QStringList { QStringLiteral("counted") });
    }

    void selectedTablesAreCopiedFromTheBottomOfTheListUp()
    {
        bed.mysql(QStringLiteral("CREATE TABLE a_first(n INT); CREATE TABLE b_second(n INT);"
                                 "CREATE TABLE c_third(n INT); INSERT INTO a_first VALUES(1);"
                                 "INSERT INTO c_third VALUES(3);"),
            database);
        TablesWindow w(details);
        TablesWindow::select(
            w.form->List1, { QStringLiteral("a_first"), QStringLiteral("c_third") });
        GeneralLog log(bed.generalLogPath());
        w.sendToOracle();
        QCOMPARE(w.dialogs.shown.size(), 0);
        QStringList queries = log.queries(programSession(database));
        QCOMPARE(queries.size(), 3);
        QCOMPARE(queries.mid(1),
            (QStringList { QStringLiteral("SELECT * FROM `c_third`"),
                QStringLiteral("SELECT * FROM `a_first`") }));
        QCOMPARE(
            oracleTables(), (QStringList { QStringLiteral("a_first"), QStringLiteral("c_third") }));
        QCOMPARE(w.progress, (QList<int> { 100, 0, 100, 0 }));
    }
};

QTEST_MAIN(TestSendToOracle)
#include "tst_send_to_oracle.moc"

#include "db/connection.h"
#include "db/connection_strings.h"
#include "db/list_lookups.h"
#include "db/value_helpers.h"
#include "odbc/error.h"
#include "shell/error_trap.h"
#include "support/scripted_dialogs.h"
#include "support/testbed.h"
#include "tables/table_list_box.h"

#include <QTest>

using namespace tw::db;
using namespace tw::odbc;
using tw::tables::TableListBox;
using tw::test::Testbed;

namespace {
void fill(TableListBox& list, const QStringList& names)
{
    for (const QString& n : names)
        list.AddItem(n);
}
} // namespace

class TestListHelpers : public QObject {
    Q_OBJECT
private slots:
    void lookUpsCompareAsTheyShould_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("has");
        QTest::addColumn<bool>("hasNoCase");
        QTest::addColumn<QString>("found");
        QTest::newRow("empty list") << QStringList() << "orders" << false << false << "";
        QTest::newRow("Orders asked as orders")
            << QStringList { "Orders" } << "orders" << false << true << "Orders";
        QTest::newRow("exact name among others")
            << QStringList { "a", "orders", "z" } << "orders" << true << true << "orders";
        QTest::newRow("no match") << QStringList { "a", "b" } << "c" << false << false << "";
        QTest::newRow("prefix is no match")
            << QStringList { "order" } << "orders" << false << false << "";
        // Sorted, the three spellings stand ORDERS, Orders, orders: the last
        // match wins, even over an exact one.
        QTest::newRow("last of several case variants wins")
            << QStringList { "orders", "ORDERS", "Orders" } << "Orders" << true << true << "orders";
        QTest::newRow("non-ASCII letters fold too")
            << QStringList { "Straße", "ÄRGER" } << "ärger" << false << true << "ÄRGER";
    }
    void lookUpsCompareAsTheyShould()
    {
        QFETCH(QStringList, entries);
        QFETCH(QString, name);
        QFETCH(bool, has);
        QFETCH(bool, hasNoCase);
        QFETCH(QString, found);
        TableListBox list;
        fill(list, entries);
        QCOMPARE(ListHasItem(list, name), has);
        QCOMPARE(ListHasItemNoCase(list, name), hasNoCase);
        QCOMPARE(ListFindItemNoCase(list, name), found);
        QCOMPARE(list.ListCount(), entries.size()); // look-ups leave the list alone
    }

    void removalTakesOnlyTheExactName_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("empty list") << QStringList() << "a" << QStringList();
        QTest::newRow("first") << QStringList { "a", "b", "c" } << "a" << QStringList { "b", "c" };
        QTest::newRow("last") << QStringList { "a", "b", "c" } << "c" << QStringList { "a", "b" };
        QTest::newRow("other case stays")
            << QStringList { "Orders" } << "orders" << QStringList { "Orders" };
        QTest::newRow("only the exact variant goes")
            << QStringList { "orders", "Orders" } << "orders" << QStringList { "Orders" };
        QTest::newRow("missing") << QStringList { "a" } << "b" << QStringList { "a" };
    }
    void removalTakesOnlyTheExactName()
    {
        QFETCH(QStringList, entries);
        QFETCH(QString, name);
        QFETCH(QStringList, left);
        TableListBox list;
        fill(list, entries);
        ListRemoveItem(list, name);
        QCOMPARE(list.Items(), left);
    }

    // Indexes are full-width: an entry past 32767 is found and removed.
    void entriesBeyondA16BitIndexAreReached()
    {
        TableListBox list;
        for (int i = 0; i < 33000; ++i)
            list.AddItem(QStringLiteral("t%1").arg(i, 5, 10, QLatin1Char('0')));
        QCOMPARE(list.ListCount(), 33000);
        QVERIFY(ListHasItem(list, QStringLiteral("t32999")));
        QCOMPARE(ListFindItemNoCase(list, QStringLiteral("T32999")), QStringLiteral("t32999"));
        ListRemoveItem(list, QStringLiteral("t32999"));
        QCOMPARE(list.ListCount(), 32999);
        QCOMPARE(list.List(32998), QStringLiteral("t32998"));
    }

    void nullDefaultReplacesOnlyNull_data()
    {
        QTest::addColumn<Value>("value");
        QTest::addColumn<Value>("fallback");
        QTest::addColumn<Value>("expected");
        QTest::newRow("Null with empty text") << Null() << Value(QString("")) << Value(QString(""));
        QTest::newRow("Null with a number") << Null() << Value(qint64(0)) << Value(qint64(0));
        QTest::newRow("empty text stays")
            << Value(QString("")) << Value(QString("x")) << Value(QString(""));
        QTest::newRow("zero stays") << Value(qint64(0)) << Value(QString("x")) << Value(qint64(0));
        QTest::newRow("text stays unconverted")
            << Value(QString("12")) << Value(qint64(0)) << Value(QString("12"));
        QTest::newRow("Null default gives Null") << Null() << Null() << Null();
    }
    void nullDefaultReplacesOnlyNull()
    {
        QFETCH(Value, value);
        QFETCH(Value, fallback);
        QFETCH(Value, expected);
        const Value got = NullDefault(value, fallback);
        QCOMPARE(got.metaType(), expected.metaType());
        QCOMPARE(got, expected);
    }

    void executeSqlRunsTheStatementAndRaisesARefusal()
    {
        Testbed& bed = Testbed::instance();
        const QString db = bed.freshMySQLDatabase(QStringLiteral("tw_list_helpers"));
        Connection connection;
        connection.Open(MySQLConnectionString(bed.login(db, QString())));
        ExecuteSql(connection, QStringLiteral("CREATE TABLE made_here (a INT)"));
        QCOMPARE(bed.mysql(QStringLiteral("SHOW TABLES;"), db), QStringList { "made_here" });
        QVERIFY_THROWS_EXCEPTION(
            DbError, ExecuteSql(connection, QStringLiteral("DROP TABLE not_here")));

        // It reports nothing itself: the caller's trap does, with the caller's
        // tag and step.
        tw::test::ScriptedDialogs dialogs;
        tw::shell::ErrorTrap trap(
            dialogs, QStringLiteral("Palomirdual2017/04/05.Form2.PushButton3_Click"));
        trap.Step(104, [&] { ExecuteSql(connection, QStringLiteral("DROP TABLE not_here")); });
        QCOMPARE(dialogs.reports().size(), 1);
        QVERIFY(dialogs.reports()[0].contains(QStringLiteral("not_here")));
        QVERIFY(dialogs.reports()[0].contains(QStringLiteral(
            "\r\nin Palomirdual2017/04/05.Form2.PushButton3_Click at line 104\r\r")));
    }
};

QTEST_MAIN(TestListHelpers)
#include "tst_list_helpers.moc"

#include "window_bed.h"

#include <QTest>

using tw::test::reportTail;
using tw::test::WindowBed;

namespace {
const QStringList six = { "t0", "t1", "t2", "t3", "t4", "t5" };
const QString pleaseSelect = QStringLiteral("Please select a table");
} // namespace

class TestDropTables : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<WindowBed> bed;

private slots:
    void initTestCase() { bed = std::make_unique<WindowBed>(QStringLiteral("tw_drop")); }
    void init() { bed->reset(); }

    void mysqlDropsTheSelectedTablesBottomUpOneConnectionEach()
    {
        bed->createMySQLTables(six);
        bed->listBoth();
        tw::test::select(*bed->form->List1, { 0, 2, 5 });
        QTest::mouseClick(bed->form->PushButton[1], Qt::LeftButton);

        QCOMPARE(bed->mysqlChanges(),
            QStringList({ "DROP TABLE `t5`", "DROP TABLE `t2`", "DROP TABLE `t0`" }));
        QCOMPARE(bed->mysqlConnects(), 3);
        QCOMPARE(bed->form->List1->Items(), QStringList({ "t1", "t3", "t4" }));
        QCOMPARE(bed->form->List1->SelCount(), 0);
        QCOMPARE(bed->mysqlTables(), QStringList({ "t1", "t3", "t4" }));
        QVERIFY(bed->dialogs().shown.isEmpty());
        QCOMPARE(bed->form->Pointer().MousePointer(), 0);
    }

    void mysqlDropOfEveryEntryEmptiesTheList()
    {
        bed->createMySQLTables({ "a", "b", "c", "d" });
        bed->listBoth();
        bed->form->PushButton10_Click();
        bed->form->PushButton1_Click();
        QCOMPARE(bed->mysqlConnects(), 4);
        QCOMPARE(bed->form->List1->ListCount(), 0);
        QVERIFY(bed->mysqlTables().isEmpty());
    }

    void oracleDropsTheSelectedTablesAndKeepsTheOthersInOrder()
    {
        const QStringList upper = { "T0", "T1", "T2", "T3", "T4", "T5" };
        bed->createOracleTables(upper);
        bed->createMySQLTables({ "keep" });
        bed->listBoth();
        tw::test::select(*bed->form->List2, { 0, 2, 5 });
        tw::test::select(*bed->form->List1, { 0 });
        bed->form->PushButton5_Click();

        QCOMPARE(bed->form->List2->Items(), QStringList({ "T1", "T3", "T4" }));
        QCOMPARE(bed->oracleTables(), QStringList({ "T1", "T3", "T4" }));
        QCOMPARE(bed->form->List1->Items(), QStringList({ "keep" }));
        QVERIFY(bed->mysqlChanges().isEmpty());
        QVERIFY(bed->dialogs().shown.isEmpty());
        QCOMPARE(bed->form->Pointer().MousePointer(), 0);
    }

    // Nothing current: the MySQL side stops before connecting, the Oracle
    // side says so only after its connection is open, which a refused login
    // makes visible as the report coming first.
    void emptyListsAskForATable()
    {
        bed->form->PushButton1_Click();
        QCOMPARE(bed->dialogs().texts(), QStringList({ pleaseSelect }));
        QCOMPARE(bed->dialogs().shown[0].title, QString());
        QCOMPARE(bed->dialogs().shown[0].buttons, tw::shell::Dialogs::OkOnly);
        QCOMPARE(bed->dialogs().shown[0].icon, tw::shell::Dialogs::NoIcon);
        QCOMPARE(bed->mysqlConnects(), 0);
        QCOMPARE(bed->form->Pointer().MousePointer(), 0);

        bed->dialogs().clear();
        bed->login.details.oraclePassword = QStringLiteral("wrong");
        bed->form->PushButton5_Click();
        QCOMPARE(bed->dialogs().shown.size(), 2);
        QVERIFY(bed->dialogs().reports().value(0).endsWith(reportTail("PushButton5_Click", 104)));
        QCOMPARE(bed->dialogs().shown[1].text, pleaseSelect);
        QCOMPARE(bed->dialogs().shown[1].title, QString());
        QCOMPARE(bed->form->Pointer().MousePointer(), 0);
    }

    void aCurrentItemWithNothingSelectedChangesNothing()
    {
        bed->createMySQLTables({ "a", "b" });
        bed->createOracleTables({ "A", "B" });
        bed->listBoth();
        bed->form->List1->SetListIndex(1);
        bed->form->List2->SetListIndex(1);
        bed->form->PushButton1_Click();
        bed->form->PushButton5_Click();
        QVERIFY(bed->dialogs().shown.isEmpty());
        QCOMPARE(bed->mysqlConnects(), 0);
        QCOMPARE(bed->form->List1->Items(), QStringList({ "a", "b" }));
        QCOMPARE(bed->form->List2->Items(), QStringList({ "A", "B" }));
        QCOMPARE(bed->oracleTables(), QStringList({ "A", "B" }));
    }

    void aRefusedDropIsReportedAndTheWalkGoesOn_data()
    {
        QTest::addColumn<bool>("mysql");
        QTest::newRow("MySQL") << true;
        QTest::newRow("Oracle") << false;
    }
    void aRefusedDropIsReportedAndTheWalkGoesOn()
    {
        QFETCH(bool, mysql);
        bed->createMySQLTables({ "real" });
        bed->createOracleTables({ "REAL" });
        bed->listBoth();
        tw::tables::TableListBox& list = mysql ? *bed->form->List1 : *bed->form->List2;
        list.AddItem(QStringLiteral("zz_gone")); // listed, but not in the database
        list.SetSelected(0, true);
        list.SetSelected(1, true);
        if (mysql)
            bed->form->PushButton1_Click();
        else
            bed->form->PushButton5_Click();

        const QStringList reports = bed->dialogs().reports();
        QCOMPARE(reports.size(), 1);
        QVERIFY2(reports[0].endsWith(mysql ? reportTail("PushButton1_Click", 120)
                                           : reportTail("PushButton5_Click", 112)),
            qPrintable(reports[0]));
        QVERIFY2(reports[0].contains(mysql ? "zz_gone" : "ORA-00942"), qPrintable(reports[0]));
        QCOMPARE(bed->dialogs().shown[0].icon, tw::shell::Dialogs::Exclamation);
        QCOMPARE(list.ListCount(), 0);
        QVERIFY((mysql ? bed->mysqlTables() : bed->oracleTables()).isEmpty());
    }

    // A refused login fails every step that needs the connection, each with
    // its own report, and the entries still go.
    void aRefusedLoginIsReportedAtEveryStepThatNeedsIt_data()
    {
        QTest::addColumn<bool>("mysql");
        QTest::addColumn<QStringList>("steps");
        const QString m = QStringLiteral("PushButton1_Click ");
        const QString o = QStringLiteral("PushButton5_Click ");
        QTest::newRow("MySQL") << true
                               << QStringList { m + "116", m + "120", m + "124", m + "116",
                                      m + "120", m + "124" };
        QTest::newRow("Oracle") << false << QStringList { o + "104", o + "112", o + "112" };
    }
    void aRefusedLoginIsReportedAtEveryStepThatNeedsIt()
    {
        QFETCH(bool, mysql);
        QFETCH(QStringList, steps);
        bed->createMySQLTables({ "a", "b", "c" });
        bed->createOracleTables({ "A", "B", "C" });
        bed->listBoth();
        tw::tables::TableListBox& list = mysql ? *bed->form->List1 : *bed->form->List2;
        tw::test::select(list, { 0, 2 });
        (mysql ? bed->login.details.mysqlPassword : bed->login.details.oraclePassword) = "wrong";
        QTest::mouseClick(bed->form->PushButton[mysql ? 1 : 5], Qt::LeftButton);
        QCOMPARE(bed->reportedSteps(), steps);
        QCOMPARE(list.Items(), QStringList { mysql ? "b" : "B" });
        QCOMPARE(bed->mysqlTables(), QStringList({ "a", "b", "c" }));
        QCOMPARE(bed->oracleTables(), QStringList({ "A", "B", "C" }));
        QCOMPARE(bed->form->Pointer().MousePointer(), 0);
    }

    // Oracle names cannot hold a double quote; a single one and a blank are
    // as far as they go.
    void namesWithTheirOwnQuoteCharacterAreReallyDropped()
    {
        bed->createMySQLTables({ "we`ird" });
        bed->createOracleTables({ "O'Hara x" });
        bed->listBoth();
        QCOMPARE(bed->form->List1->Items(), QStringList({ "we`ird" }));
        QCOMPARE(bed->form->List2->Items(), QStringList({ "O'Hara x" }));
        bed->form->List1->SetSelected(0, true);
        bed->form->List2->SetSelected(0, true);
        bed->form->PushButton1_Click();
        bed->form->PushButton5_Click();
        QCOMPARE(bed->dialogs().texts(), QStringList());
        QCOMPARE(bed->mysqlChanges(), QStringList({ "DROP TABLE `we``ird`" }));
        QVERIFY(bed->mysqlTables().isEmpty());
        QVERIFY(bed->oracleTables().isEmpty());
    }
};

QTEST_MAIN(TestDropTables)
#include "tst_drop_tables.moc"

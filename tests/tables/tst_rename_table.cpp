#include "window_bed.h"

#include <QTest>

using tw::shell::Dialogs;
using tw::test::reportTail;
using tw::test::WindowBed;

class TestRenameTable : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<WindowBed> bed;

    void press(bool mysql)
    {
        QTest::mouseClick(bed->form->PushButton[mysql ? 6 : 7], Qt::LeftButton);
    }
    tw::tables::TableListBox& list(bool mysql)
    {
        return mysql ? *bed->form->List1 : *bed->form->List2;
    }
    // Every box here is an information message or the prompt: OK only (OK
    // and Cancel for the prompt), no icon, the application title.
    void verifyPlainBoxes()
    {
        for (const auto& s : bed->dialogs().shown) {
            QCOMPARE(s.title, QString());
            QCOMPARE(s.buttons, Dialogs::OkOnly);
            QCOMPARE(s.icon, Dialogs::NoIcon);
        }
    }

private slots:
    void initTestCase() { bed = std::make_unique<WindowBed>(QStringLiteral("tw_rename")); }
    void init() { bed->reset(); }

    void withoutExactlyOneSelectedTableEachSideSaysSo_data()
    {
        QTest::addColumn<bool>("mysql");
        QTest::addColumn<int>("current");
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<QString>("message");
        const QString one = QStringLiteral("Please select just one table to rename");
        QTest::newRow("MySQL, nothing current")
            << true << -1 << QList<int>() << "Please select a table";
        QTest::newRow("MySQL, current but none selected") << true << 1 << QList<int>() << one;
        QTest::newRow("MySQL, two selected") << true << 0 << QList<int> { 0, 2 } << one;
        QTest::newRow("Oracle, nothing current")
            << false << -1 << QList<int>() << "Please select a table to rename.";
        QTest::newRow("Oracle, current but none selected")
            << false << 1 << QList<int>() << one + '.';
        QTest::newRow("Oracle, two selected") << false << 0 << QList<int> { 0, 2 } << one + '.';
    }
    void withoutExactlyOneSelectedTableEachSideSaysSo()
    {
        QFETCH(bool, mysql);
        QFETCH(int, current);
        QFETCH(QList<int>, selected);
        QFETCH(QString, message);
        bed->createMySQLTables({ "a", "b", "c" });
        bed->createOracleTables({ "A", "B", "C" });
        bed->listBoth();
        list(mysql).SetListIndex(current);
        tw::test::select(list(mysql), selected);
        press(mysql);
        QCOMPARE(bed->dialogs().texts(), QStringList { message });
        verifyPlainBoxes();
        QCOMPARE(bed->mysqlConnects(), 0);
        QCOMPARE(bed->mysqlTables(), QStringList({ "a", "b", "c" }));
        QCOMPARE(bed->oracleTables(), QStringList({ "A", "B", "C" }));
        QCOMPARE(bed->form->Pointer().MousePointer(), 0);
    }

    // The Oracle side looks at the list only after opening its connection; a
    // refused login shows that order.
    void oracleConnectsBeforeLookingAtTheList()
    {
        bed->login.details.oraclePassword = QStringLiteral("wrong");
        press(false);
        QCOMPARE(bed->dialogs().shown.size(), 2);
        QVERIFY(bed->dialogs().shown[0].text.endsWith(reportTail("PushButton7_Click", 104)));
        QCOMPARE(bed->dialogs().shown[1].text, QStringLiteral("Please select a table to rename."));
    }

    void cancelOrAnEmptyAnswerChangesNothing_data()
    {
        QTest::addColumn<bool>("mysql");
        QTest::newRow("MySQL") << true;
        QTest::newRow("Oracle") << false;
    }
    void cancelOrAnEmptyAnswerChangesNothing()
    {
        QFETCH(bool, mysql);
        bed->createMySQLTables({ "a", "b" });
        bed->createOracleTables({ "A", "B" });
        bed->listBoth();
        list(mysql).SetSelected(1, true);
        bed->dialogs().answerInput({ QString() });
        press(mysql);
        QCOMPARE(bed->dialogs().shown.size(), 1);
        const auto& prompt = bed->dialogs().shown[0];
        QVERIFY(prompt.input);
        QCOMPARE(prompt.text,
            mysql ? QStringLiteral("Enter new name of b:")
                  : QStringLiteral("Enter new name of B:"));
        QCOMPARE(prompt.defaultText, mysql ? QStringLiteral("b") : QStringLiteral("B"));
        QCOMPARE(prompt.title, QString());
        QCOMPARE(bed->mysqlConnects(), 0);
        QCOMPARE(bed->form->List1->Items(), QStringList({ "a", "b" }));
        QCOMPARE(bed->form->List2->Items(), QStringList({ "A", "B" }));
        QCOMPARE(bed->mysqlTables(), QStringList({ "a", "b" }));
        QCOMPARE(bed->oracleTables(), QStringList({ "A", "B" }));
        QCOMPARE(bed->form->Pointer().MousePointer(), 0);
    }

    void mysqlRenamesAndLeavesTheCurrentItemAlone()
    {
        bed->createMySQLTables({ "alpha", "beta", "gamma" });
        bed->listBoth();
        bed->form->List1->SetListIndex(0);
        bed->form->List1->SetSelected(2, true);
        bed->dialogs().answerInput({ QStringLiteral("Delta") });
        press(true);
        QCOMPARE(bed->mysqlChanges(), QStringList { "RENAME TABLE `gamma` TO `Delta`" });
        QCOMPARE(bed->mysqlConnects(), 1);
        QCOMPARE(bed->form->List1->Items(), QStringList({ "alpha", "beta", "Delta" }));
        QCOMPARE(bed->form->List1->ListIndex(), 0);
        QCOMPARE(bed->form->List1->SelCount(), 0);
        QCOMPARE(bed->mysqlTables(), QStringList({ "Delta", "alpha", "beta" }));
        QCOMPARE(bed->dialogs().shown.size(), 1);
        QCOMPARE(bed->form->Pointer().MousePointer(), 0);
    }

    // One press asks once, even when the selected entry is not the first;
    // afterwards the first entry is current.
    void oracleRenamesOnceAndMakesTheFirstEntryCurrent()
    {
        bed->createOracleTables({ "A", "B", "C", "D" });
        bed->listBoth();
        bed->form->List2->SetListIndex(3);
        bed->form->List2->SetSelected(2, true);
        bed->dialogs().answerInput({ QStringLiteral("BB"), QStringLiteral("never asked") });
        press(false);
        QCOMPARE(bed->dialogs().shown.size(), 1);
        QCOMPARE(bed->dialogs().shown[0].text, QStringLiteral("Enter new name of C:"));
        QCOMPARE(bed->form->List2->Items(), QStringList({ "A", "B", "BB", "D" }));
        QCOMPARE(bed->form->List2->ListIndex(), 0);
        QCOMPARE(bed->form->List2->SelCount(), 0);
        QCOMPARE(bed->oracleTables(), QStringList({ "A", "B", "BB", "D" }));
    }

    void oracleCaseOnlyRenameIsARealRename()
    {
        bed->createOracleTables({ "ORDERS" });
        bed->listBoth();
        bed->form->List2->SetSelected(0, true);
        bed->dialogs().answerInput({ QStringLiteral("Orders") });
        press(false);
        QVERIFY(bed->dialogs().reports().isEmpty());
        QCOMPARE(bed->oracleTables(), QStringList { "Orders" });
        QCOMPARE(bed->form->List2->Items(), QStringList { "Orders" });
    }

    void theUnchangedOldNameIsRefusedAndTheEntryStays_data()
    {
        QTest::addColumn<bool>("mysql");
        QTest::addColumn<QString>("tail");
        QTest::newRow("MySQL") << true << reportTail("PushButton6_Click", 128);
        QTest::newRow("Oracle") << false << reportTail("PushButton7_Click", 120);
    }
    void theUnchangedOldNameIsRefusedAndTheEntryStays()
    {
        QFETCH(bool, mysql);
        QFETCH(QString, tail);
        bed->createMySQLTables({ "a", "b" });
        bed->createOracleTables({ "A", "B" });
        bed->listBoth();
        list(mysql).SetSelected(0, true);
        press(mysql); // the prompt's preset answer is the old name
        const QStringList reports = bed->dialogs().reports();
        QCOMPARE(reports.size(), 1);
        QVERIFY2(reports[0].endsWith(tail), qPrintable(reports[0]));
        QVERIFY2(
            reports[0].contains(mysql ? "already exists" : "ORA-00955"), qPrintable(reports[0]));
        if (mysql)
            QCOMPARE(bed->mysqlChanges(), QStringList { "RENAME TABLE `a` TO `a`" });
        QCOMPARE(
            list(mysql).Items(), mysql ? QStringList({ "a", "b" }) : QStringList({ "A", "B" }));
        QVERIFY(list(mysql).Selected(0)); // the entry stays, still selected
        QCOMPARE(bed->form->Pointer().MousePointer(), 0);
    }

    void aRefusedLoginIsReportedAndTheEntryStays_data()
    {
        QTest::addColumn<bool>("mysql");
        QTest::addColumn<QStringList>("steps");
        QTest::newRow("MySQL") << true
                               << QStringList { "PushButton6_Click 126", "PushButton6_Click 128",
                                      "PushButton6_Click 130" };
        QTest::newRow("Oracle") << false
                                << QStringList { "PushButton7_Click 104", "PushButton7_Click 120" };
    }
    void aRefusedLoginIsReportedAndTheEntryStays()
    {
        QFETCH(bool, mysql);
        QFETCH(QStringList, steps);
        bed->createMySQLTables({ "a", "b" });
        bed->createOracleTables({ "A", "B" });
        bed->listBoth();
        list(mysql).SetSelected(0, true);
        (mysql ? bed->login.details.mysqlPassword : bed->login.details.oraclePassword) = "wrong";
        bed->dialogs().answerInput({ QStringLiteral("c") });
        press(mysql);
        QCOMPARE(bed->reportedSteps(), steps);
        QCOMPARE(
            list(mysql).Items(), mysql ? QStringList({ "a", "b" }) : QStringList({ "A", "B" }));
        QVERIFY(list(mysql).Selected(0));
        QCOMPARE(mysql ? bed->mysqlTables() : bed->oracleTables(),
            mysql ? QStringList({ "a", "b" }) : QStringList({ "A", "B" }));
        QCOMPARE(bed->form->Pointer().MousePointer(), 0);
    }

    // A typed name is one identifier, whatever quote characters it holds:
    // MySQL takes it as it is; Oracle refuses any name with a double quote,
    // and that refusal is reported like any other.
    void typedQuotesCannotEndTheName_data()
    {
        QTest::addColumn<bool>("mysql");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("refusal"); // empty: renamed
        QTest::newRow("MySQL") << true << "x`; DROP TABLE `b"
                               << "";
        QTest::newRow("Oracle") << false << "x\" TO \"Y"
                                << "ORA-25716: The identifier contains a double quotation mark";
    }
    void typedQuotesCannotEndTheName()
    {
        QFETCH(bool, mysql);
        QFETCH(QString, typed);
        QFETCH(QString, refusal);
        bed->createMySQLTables({ "a", "b" });
        bed->createOracleTables({ "A", "B" });
        bed->listBoth();
        list(mysql).SetSelected(0, true);
        bed->dialogs().answerInput({ typed });
        press(mysql);
        const QStringList reports = bed->dialogs().reports();
        if (refusal.isEmpty()) {
            QCOMPARE(reports, QStringList());
        } else {
            QCOMPARE(reports.size(), 1);
            QVERIFY2(reports[0].contains(refusal), qPrintable(reports[0]));
            QVERIFY(reports[0].endsWith(reportTail("PushButton7_Click", 120)));
        }
        const QString first = mysql ? "a" : "A", second = mysql ? "b" : "B";
        QCOMPARE(mysql ? bed->mysqlTables() : bed->oracleTables(),
            refusal.isEmpty() ? QStringList({ second, typed }) : QStringList({ first, second }));
        // A refused rename leaves the real name in the list.
        QCOMPARE(list(mysql).Items(),
            refusal.isEmpty() ? QStringList({ second, typed }) : QStringList({ first, second }));
    }
};

QTEST_MAIN(TestRenameTable)
#include "tst_rename_table.moc"

#include "login/form1.h"
#include "shell/busy_guard.h"
#include "window_bed.h"

#include <QTest>
#include <QTimer>

using tw::test::WindowBed;

// The MySQL drop yields at every entry. Whatever the user clicks meanwhile
// must wait: the drop walks the live selection, and a second action would
// work on lists and tables the drop is still changing.
class TestBusyReentry : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<WindowBed> bed;

private slots:
    void initTestCase() { bed = std::make_unique<WindowBed>(QStringLiteral("tw_reentry")); }
    void init() { bed->reset(); }

    void aClickDuringTheMySQLDropYieldIsIgnored_data()
    {
        QTest::addColumn<int>("button"); // 0: a click on the first MySQL entry
        QTest::newRow("MySQL Delete Table/s again") << 1;
        QTest::newRow("< Back") << 2;
        QTest::newRow("Send Table/s To Oracle") << 3;
        QTest::newRow("Send Table/s To MySQL") << 4;
        QTest::newRow("Oracle Delete Table/s") << 5;
        QTest::newRow("MySQL Rename Table") << 6;
        QTest::newRow("Oracle Rename Table") << 7;
        QTest::newRow("Oracle Select All") << 8;
        QTest::newRow("Oracle Deselect All") << 9;
        QTest::newRow("MySQL Select All") << 10;
        QTest::newRow("MySQL Deselect All") << 11;
        QTest::newRow("a click in the MySQL list") << 0;
    }
    void aClickDuringTheMySQLDropYieldIsIgnored()
    {
        QFETCH(int, button);
        bed->createMySQLTables({ "m0", "m1", "m2", "m3" });
        bed->createOracleTables({ "O0", "O1", "O2" });
        bed->listBoth();
        tw::tables::Form2& form = *bed->form;
        tw::test::select(*form.List1, { 1, 3 });
        tw::test::select(*form.List2, { 0, 2 });
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        bool fired = false;
        bool busyWhenFired = false;
        QTimer::singleShot(0, &form, [&] {
            fired = true;
            busyWhenFired = tw::shell::BusyGuard::Busy();
            if (button == 0)
                QTest::mouseClick(form.List1->viewport(), Qt::LeftButton, {},
                    form.List1->visualItemRect(form.List1->item(0)).center());
            else
                QTest::mouseClick(form.PushButton[button], Qt::LeftButton);
        });
        form.PushButton1_Click();

        QVERIFY(fired);
        QVERIFY(busyWhenFired);
        QCOMPARE(bed->mysqlChanges(), QStringList({ "DROP TABLE `m3`", "DROP TABLE `m1`" }));
        QCOMPARE(form.List1->Items(), QStringList({ "m0", "m2" }));
        QCOMPARE(form.List1->SelCount(), 0);
        QCOMPARE(form.List2->Items(), QStringList({ "O0", "O1", "O2" }));
        QCOMPARE(form.List2->SelCount(), 2);
        QVERIFY(form.List2->Selected(0) && form.List2->Selected(2));
        QCOMPARE(bed->oracleTables(), QStringList({ "O0", "O1", "O2" }));
        QCOMPARE(bed->mysqlTables(), QStringList({ "m0", "m2" }));
        QVERIFY(bed->dialogs().shown.isEmpty());
        QVERIFY(form.isVisible());
        QVERIFY(!bed->loginWindow.isVisible());
        QCOMPARE(form.Pointer().MousePointer(), 0);
    }

    // The login window's database actions wait too: "Next >" would refill
    // the list under the walk, a connection test would answer with a message.
    void loginWindowActionsWaitForTheDrop_data()
    {
        QTest::addColumn<int>("button");
        QTest::newRow("MySQL Test Connection") << 1;
        QTest::newRow("Next >") << 2;
        QTest::newRow("Oracle Test Connection") << 3;
    }
    void loginWindowActionsWaitForTheDrop()
    {
        QFETCH(int, button);
        tw::login::Form1 form1(bed->dialogs());
        const tw::db::LoginDetails& d = bed->login.details;
        const QString values[] = { {}, d.oracleSid, d.oracleUser, d.oraclePassword, d.mysqlServer,
            d.mysqlUser, d.mysqlPassword, d.mysqlDatabase, d.mysqlPort };
        for (int n = 1; n <= 8; ++n)
            form1.Text[n]->setText(values[n]);
        bed->createMySQLTables({ "m0", "m1", "m2" });
        form1.PushButton2_Click();
        tw::tables::Form2& form2 = form1.TablesWindow();
        QVERIFY(form2.isVisible());
        form2.List1->SetSelected(1, true);
        bed->log.mark();

        bool busyWhenFired = false;
        QTimer::singleShot(0, &form2, [&] {
            busyWhenFired = tw::shell::BusyGuard::Busy();
            QTest::mouseClick(form1.PushButton[button], Qt::LeftButton);
        });
        form2.PushButton1_Click();

        QVERIFY(busyWhenFired);
        QCOMPARE(bed->mysqlConnects(), 1); // the drop's own connection only
        QCOMPARE(bed->mysqlChanges(), QStringList { "DROP TABLE `m1`" });
        QCOMPARE(form2.List1->Items(), QStringList({ "m0", "m2" }));
        QVERIFY(bed->dialogs().shown.isEmpty());
        QVERIFY(form2.isVisible());
    }

    // After the drop the guard is gone: the same click now works.
    void theGuardEndsWithTheDrop()
    {
        bed->createMySQLTables({ "m0", "m1" });
        bed->listBoth();
        bed->form->List1->SetSelected(1, true);
        bed->form->PushButton1_Click();
        QVERIFY(!tw::shell::BusyGuard::Busy());
        QTest::mouseClick(bed->form->PushButton[10], Qt::LeftButton);
        QCOMPARE(bed->form->List1->SelCount(), 1);
    }
};

QTEST_MAIN(TestBusyReentry)
#include "tst_busy_reentry.moc"

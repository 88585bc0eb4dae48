#include "login/form1.h"
#include "shell/program_folder.h"
#include "shell/shutdown.h"
#include "shell/twips.h"
#include "window_bed.h"

#include <QFile>
#include <QTest>

using tw::shell::Dialogs;
using tw::shell::TwipsRect;
using tw::test::WindowBed;

class TestTablesWindow : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<WindowBed> bed;

private slots:
    void initTestCase() { bed = std::make_unique<WindowBed>(QStringLiteral("tw_window")); }
    void init() { bed->reset(); }

    // The hand pointer is taken only when "HAND-M.CUR" lies next to the
    // program; either way loading says nothing.
    void loadingSetsTitleAndIconAndShowsNoMessage()
    {
        QCOMPARE(bed->form->windowTitle(),
            QStringLiteral("Palomir Tablewright Studio for Two Databases"));
        QVERIFY(!bed->form->windowIcon().isNull());
        QCOMPARE(bed->form->Pointer().HasMouseIcon(), QFile::exists(tw::shell::HandPointerPath()));
        QVERIFY(bed->dialogs().shown.isEmpty());
        QCOMPARE(bed->form->List1->ListCount(), 0);
        QCOMPARE(bed->form->List2->ListCount(), 0);
    }

    void controlsSitWhereTheLayoutPutsThem_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("frame");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("10") << 10 << "Frame2"
                            << "Select All" << TwipsRect(240, 2100, 1600, 405);
        QTest::newRow("11") << 11 << "Frame2"
                            << "Deselect All" << TwipsRect(1960, 2100, 1600, 405);
        QTest::newRow("3") << 3 << "Frame2"
                           << "Send Table/s To Oracle" << TwipsRect(240, 2600, 3300, 405);
        QTest::newRow("1") << 1 << "Frame2"
                           << "Delete Table/s" << TwipsRect(240, 3100, 3300, 405);
        QTest::newRow("6") << 6 << "Frame2"
                           << "Rename Table" << TwipsRect(240, 3600, 3300, 405);
        QTest::newRow("8") << 8 << "Frame1"
                           << "Select All" << TwipsRect(240, 2100, 1600, 405);
        QTest::newRow("9") << 9 << "Frame1"
                           << "Deselect All" << TwipsRect(1960, 2100, 1600, 405);
        QTest::newRow("4") << 4 << "Frame1"
                           << "Send Table/s To MySQL" << TwipsRect(240, 2600, 3300, 405);
        QTest::newRow("5") << 5 << "Frame1"
                           << "Delete Table/s" << TwipsRect(240, 3100, 3300, 405);
        QTest::newRow("7") << 7 << "Frame1"
                           << "Rename Table" << TwipsRect(240, 3600, 3300, 405);
        QTest::newRow("2") << 2 << "Form2"
                           << "< Back" << TwipsRect(120, 4980, 3840, 405);
        QTest::newRow("12") << 12 << "Form2"
                            << "Help" << TwipsRect(4080, 4980, 3840, 405);
    }
    void controlsSitWhereTheLayoutPutsThem()
    {
        QFETCH(int, number);
        QFETCH(QString, frame);
        QFETCH(QString, caption);
        QFETCH(QRect, geometry);
        const QPushButton* b = bed->form->PushButton[number];
        QCOMPARE(b->text(), caption);
        QCOMPARE(b->parentWidget()->objectName(), frame);
        QCOMPARE(b->geometry(), geometry);
        QVERIFY(b->font().bold());
    }

    void selectAllAndDeselectAllTouchOnlyTheirListsSelection_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("mysqlList");
        QTest::addColumn<bool>("selects");
        QTest::addColumn<QStringList>("entries");
        const QStringList three = { "a", "b", "c" };
        QTest::newRow("MySQL Select All, full") << 10 << true << true << three;
        QTest::newRow("MySQL Deselect All, full") << 11 << true << false << three;
        QTest::newRow("Oracle Select All, full") << 8 << false << true << three;
        QTest::newRow("Oracle Deselect All, full") << 9 << false << false << three;
        QTest::newRow("MySQL Select All, empty") << 10 << true << true << QStringList();
        QTest::newRow("Oracle Deselect All, empty") << 9 << false << false << QStringList();
    }
    void selectAllAndDeselectAllTouchOnlyTheirListsSelection()
    {
        QFETCH(int, button);
        QFETCH(bool, mysqlList);
        QFETCH(bool, selects);
        QFETCH(QStringList, entries);
        tw::tables::TableListBox& mine = mysqlList ? *bed->form->List1 : *bed->form->List2;
        tw::tables::TableListBox& other = mysqlList ? *bed->form->List2 : *bed->form->List1;
        for (const QString& e : entries) {
            mine.AddItem(e);
            other.AddItem(e);
        }
        if (!entries.isEmpty()) {
            mine.SetSelected(1, true);
            mine.SetListIndex(2);
            other.SetSelected(0, true);
            other.SetListIndex(1);
        }
        QTest::mouseClick(bed->form->PushButton[button], Qt::LeftButton);

        QCOMPARE(mine.SelCount(), selects ? entries.size() : 0);
        QCOMPARE(mine.Items(), entries);
        QCOMPARE(mine.ListIndex(), entries.isEmpty() ? -1 : 2);
        QCOMPARE(other.SelCount(), entries.isEmpty() ? 0 : 1);
        QCOMPARE(other.ListIndex(), entries.isEmpty() ? -1 : 1);
        QVERIFY(bed->dialogs().shown.isEmpty());
    }

    void helpShowsTheContactMessageAndTouchesNoDatabase()
    {
        bed->form->PushButton12_Click();
        QTest::mouseClick(bed->form->PushButton[12], Qt::LeftButton);
        QCOMPARE(bed->dialogs().shown.size(), 2);
        const QString prefix = QStringLiteral("Questions? Please contact Team Vantorell at ");
        QVERIFY(bed->dialogs().shown[0].text.startsWith(prefix));
        QVERIFY(bed->dialogs().shown[0].text.size() > prefix.size());
        QCOMPARE(bed->dialogs().shown[1].text, bed->dialogs().shown[0].text);
        QCOMPARE(bed->dialogs().shown[0].title, QString());
        QCOMPARE(bed->dialogs().shown[0].buttons, Dialogs::OkOnly);
        QCOMPARE(bed->dialogs().shown[0].icon, Dialogs::NoIcon);
        QCOMPARE(bed->mysqlConnects(), 0);
    }

    void closingTheWindowEndsTheProgram()
    {
        bool ended = false;
        tw::shell::SetEndProgramHandler([&] { ended = true; });
        bed->form->show();
        bed->form->close();
        tw::shell::SetEndProgramHandler(nullptr);
        QVERIFY(ended);
    }

    void backThenNextShowsFreshListsWithNothingSelected()
    {
        tw::login::Form1 form1(bed->dialogs());
        const tw::db::LoginDetails& d = bed->login.details;
        const QString values[] = { {}, d.oracleSid, d.oracleUser, d.oraclePassword, d.mysqlServer,
            d.mysqlUser, d.mysqlPassword, d.mysqlDatabase, d.mysqlPort };
        for (int n = 1; n <= 8; ++n)
            form1.Text[n]->setText(values[n]);
        bed->createMySQLTables({ "a", "b" });
        bed->createOracleTables({ "A", "B" });
        form1.show();
        form1.PushButton2_Click(); // "Next >"
        tw::tables::Form2& form2 = form1.TablesWindow();
        QVERIFY(form2.isVisible());
        QCOMPARE(form2.List1->Items(), QStringList({ "a", "b" }));
        form2.PushButton10_Click();
        form2.PushButton8_Click();

        QTest::mouseClick(form2.PushButton[2], Qt::LeftButton); // "< Back"
        QVERIFY(form1.isVisible());
        QVERIFY(!form2.isVisible());
        QCOMPARE(form2.List1->SelCount(), 2); // kept while hidden
        QCOMPARE(form2.List2->SelCount(), 2);

        bed->createMySQLTables({ "c" });
        bed->createOracleTables({ "C" });
        form1.PushButton2_Click();
        QCOMPARE(&form1.TablesWindow(), &form2); // shown again, not rebuilt
        QVERIFY(form2.isVisible());
        QVERIFY(!form1.isVisible());
        QCOMPARE(form2.List1->Items(), QStringList({ "a", "b", "c" }));
        QCOMPARE(form2.List2->Items(), QStringList({ "A", "B", "C" }));
        QCOMPARE(form2.List1->SelCount(), 0);
        QCOMPARE(form2.List2->SelCount(), 0);
        QVERIFY(bed->dialogs().shown.isEmpty());
    }
};

QTEST_MAIN(TestTablesWindow)
#include "tst_tables_window.moc"

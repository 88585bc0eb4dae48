#include "login/form1.h"
#include "login_fixture.h"
#include "shell/shutdown.h"
#include "support/general_log.h"
#include "support/scripted_dialogs.h"
#include "support/testbed.h"
#include "tables/form2.h"

#include <QTest>

using namespace tw;
using test::ScriptedDialogs;
using test::Testbed;

namespace {
const QString success = QStringLiteral("Connection successful.");
const QString mysqlFailed
    = QStringLiteral("Could not connect. Please check with your administrator. Make sure you are "
                     "allowed to connect to your "
                     "database remotely and not just through web-based control panels.");
const QString oracleFailed
    = QStringLiteral("Could not connect. Please check with your administrator.");

void fill(login::Form1& form, const db::LoginDetails& d)
{
    form.Text[1]->setText(d.oracleSid);
    form.Text[2]->setText(d.oracleUser);
    form.Text[3]->setText(d.oraclePassword);
    form.Text[4]->setText(d.mysqlServer);
    form.Text[5]->setText(d.mysqlUser);
    form.Text[6]->setText(d.mysqlPassword);
    form.Text[7]->setText(d.mysqlDatabase);
    form.Text[8]->setText(d.mysqlPort);
}
} // namespace

class TestForm1Actions : public QObject {
    Q_OBJECT
private:
    QString m_db;
    QString m_oracleUser;
    db::LoginDetails good() const { return Testbed::instance().login(m_db, m_oracleUser); }

private slots:
    void initTestCase()
    {
        Testbed& bed = Testbed::instance();
        m_db = bed.freshMySQLDatabase(QStringLiteral("tw_form1"));
        bed.mysql(QStringLiteral("CREATE TABLE t1(a INT); CREATE TABLE t2(a INT);"), m_db);
        m_oracleUser = bed.freshOracleUser(QStringLiteral("FORMONE"));
        bed.oracle(m_oracleUser, QStringLiteral("CREATE TABLE \"ORA1\"(\"A\" INT)"));
        test::emptyStore();
    }

    void testConnectionTellsSuccessOrFailureButNeverTheDriversText_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        QTest::newRow("MySQL good") << 1 << ""
                                    << "" << success;
        QTest::newRow("MySQL wrong password") << 1 << "Text6"
                                              << "wrong" << mysqlFailed;
        QTest::newRow("MySQL wrong port") << 1 << "Text8"
                                          << "1" << mysqlFailed;
        QTest::newRow("MySQL missing driver text") << 1 << "Text7"
                                                   << "no_such_db" << mysqlFailed;
        QTest::newRow("Oracle good") << 3 << ""
                                     << "" << success;
        QTest::newRow("Oracle wrong password") << 3 << "Text3"
                                               << "wrong" << oracleFailed;
        QTest::newRow("Oracle unknown SID") << 3 << "Text1"
                                            << "NOSUCH" << oracleFailed;
    }
    void testConnectionTellsSuccessOrFailureButNeverTheDriversText()
    {
        QFETCH(int, button);
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, message);
        ScriptedDialogs dialogs;
        login::Form1 form(dialogs);
        fill(form, good());
        if (!field.isEmpty())
            form.findChild<QLineEdit*>(field)->setText(value);
        QList<int> pointerWhileShown;
        dialogs.onShow = [&](const ScriptedDialogs::Shown&) {
            pointerWhileShown << form.Pointer().MousePointer();
        };
        QTest::mouseClick(form.PushButton[button], Qt::LeftButton);
        QCOMPARE(dialogs.texts(), QStringList { message });
        QCOMPARE(dialogs.shown[0].title, QString());
        QCOMPARE(dialogs.shown[0].icon, ScriptedDialogs::NoIcon);
        QCOMPARE(pointerWhileShown, QList<int> { 11 });
        QCOMPARE(form.Pointer().MousePointer(), 0);
        QVERIFY(dialogs.reports().isEmpty());
        QVERIFY(!form.HasTablesWindow());
    }

    void nextWithAFailingMySQLLoginDoesNotContactOracle()
    {
        ScriptedDialogs dialogs;
        login::Form1 form(dialogs);
        db::LoginDetails d = good();
        d.mysqlPassword = QStringLiteral("wrong");
        // An Oracle SID that would fail loudly if tried shows nothing either;
        // what tells is that the tables window never comes.
        fill(form, d);
        const int oracleBefore = Testbed::instance().oracleLogons(m_oracleUser);
        form.show();
        QTest::mouseClick(form.PushButton[2], Qt::LeftButton);
        QVERIFY(dialogs.shown.isEmpty());
        QVERIFY(!form.HasTablesWindow());
        QCOMPARE(Testbed::instance().oracleLogons(m_oracleUser), oracleBefore);
        QVERIFY(form.isVisible());
        QCOMPARE(form.Pointer().MousePointer(), 0);
    }

    void nextConnectsTwiceToMySQLAndShowsBothLists()
    {
        ScriptedDialogs dialogs;
        login::Form1 form(dialogs);
        fill(form, good());
        form.show();
        test::GeneralLog log(Testbed::instance().generalLogPath());
        const int oracleBefore = Testbed::instance().oracleLogons(m_oracleUser);
        QTest::mouseClick(form.PushButton[2], Qt::LeftButton);
        QVERIFY(dialogs.shown.isEmpty());
        // One connection for each test and one for each listing.
        QCOMPARE(Testbed::instance().oracleLogons(m_oracleUser), oracleBefore + 2);
        const QString session = QStringLiteral("root@127.0.0.1 on ") + m_db;
        QCOMPARE(log.connects(session), 2);
        // The program sends "SHOW TABLES;"; MariaDB's driver prepares
        // statements that return rows and drops the final ';' for that.
        QCOMPARE(log.queries(session), QStringList { "SHOW TABLES" });
        tables::Form2& tables = form.TablesWindow();
        QVERIFY(tables.isVisible());
        QVERIFY(!form.isVisible());
        QCOMPARE(tables.List1->Items(), (QStringList { "t1", "t2" }));
        QCOMPARE(tables.List2->Items(), QStringList { "ORA1" });
    }

    void aFailingListingIsReportedAndTheTablesWindowStillOpens()
    {
        ScriptedDialogs dialogs;
        login::Form1 form(dialogs);
        fill(form, good());
        form.show();
        QTest::mouseClick(form.PushButton[2], Qt::LeftButton);
        tables::Form2& tables = form.TablesWindow();
        QCOMPARE(tables.List1->Items(), (QStringList { "t1", "t2" }));
        tables.hide();
        form.show();
        form.Text[7]->clear(); // no database: SHOW TABLES is refused
        QTest::mouseClick(form.PushButton[2], Qt::LeftButton);
        QCOMPARE(dialogs.reports().size(), 1);
        const QString report = dialogs.reports().first();
        QVERIFY2(report.contains(QStringLiteral("No database selected")), qPrintable(report));
        QVERIFY2(report.contains(QStringLiteral(
                     "\r\nin Palomirdual2017/04/05.Form1.PushButton2_Click at line 106\r\r")),
            qPrintable(report));
        QVERIFY(tables.isVisible());
        QVERIFY(!form.isVisible());
        QCOMPARE(tables.List1->Items(), (QStringList { "t1", "t2" }));
        QCOMPARE(form.Pointer().MousePointer(), 0);
    }

    void backThenNextShowsFreshListsWithNothingSelected()
    {
        ScriptedDialogs dialogs;
        login::Form1 form(dialogs);
        fill(form, good());
        form.show();
        QTest::mouseClick(form.PushButton[2], Qt::LeftButton);
        tables::Form2& tables = form.TablesWindow();
        tables.List1->SetSelected(0, true);
        tables.List2->SetSelected(0, true);
        QTest::mouseClick(tables.PushButton[2], Qt::LeftButton); // "< Back"
        QVERIFY(form.isVisible());
        QVERIFY(!tables.isVisible());
        Testbed::instance().mysql(QStringLiteral("CREATE TABLE t3(a INT);"), m_db);
        QTest::mouseClick(form.PushButton[2], Qt::LeftButton);
        QCOMPARE(tables.List1->Items(), (QStringList { "t1", "t2", "t3" }));
        QCOMPARE(tables.List1->SelCount(), 0);
        QCOMPARE(tables.List2->SelCount(), 0);
        QCOMPARE(&form.TablesWindow(), &tables);
        Testbed::instance().mysql(QStringLiteral("DROP TABLE t3;"), m_db);
    }

    void closingEitherWindowEndsTheProgram()
    {
        int ended = 0;
        shell::SetEndProgramHandler([&] { ++ended; });
        ScriptedDialogs dialogs;
        login::Form1 form(dialogs);
        form.show();
        form.close();
        QCOMPARE(ended, 1);
        tables::Form2& tables = form.TablesWindow();
        tables.show();
        tables.close();
        QCOMPARE(ended, 2);
        shell::SetEndProgramHandler(nullptr);
    }
};

QTEST_MAIN(TestForm1Actions)
#include "tst_form1_actions.moc"

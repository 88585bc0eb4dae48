#include "login/form1.h"
#include "login_fixture.h"
#include "shell/app_title.h"
#include "support/general_log.h"
#include "support/scripted_dialogs.h"
#include "support/testbed.h"
#include "tables/form2.h"

#include <QTest>

using namespace tw;
using test::ScriptedDialogs;
using test::Testbed;

class TestForm1Startup : public QObject {
    Q_OBJECT
private:
    QString m_db;
    QString m_oracleUser;
    db::LoginDetails good() const { return Testbed::instance().login(m_db, m_oracleUser); }

private slots:
    void initTestCase()
    {
        Testbed& bed = Testbed::instance();
        m_db = bed.freshMySQLDatabase(QStringLiteral("tw_startup"));
        bed.mysql(
            QStringLiteral(
                "CREATE TABLE zeta(a INT); CREATE TABLE Alpha(a INT); CREATE TABLE middle(a INT);"),
            m_db);
        m_oracleUser = bed.freshOracleUser(QStringLiteral("STARTUP"));
        bed.oracle(m_oracleUser, QStringLiteral("CREATE TABLE \"EMP\"(\"A\" INT)"));
        bed.oracle(m_oracleUser, QStringLiteral("CREATE TABLE \"DEPT\"(\"A\" INT)"));
    }
    void init() { test::emptyStore(); }

    void firstStartShowsTheDefaultsAndTheLoginWindow()
    {
        ScriptedDialogs dialogs;
        login::Form1 form(dialogs);
        form.Form_Load();
        const QStringList expected { "", "", "", "localhost", "", "", "", "3306" };
        for (int n = 1; n <= 8; ++n)
            QCOMPARE(form.Text[n]->text(), expected[n - 1]);
        QVERIFY(!form.HasTablesWindow());
        QVERIFY(dialogs.shown.isEmpty());
        QCOMPARE(
            form.windowTitle(), QStringLiteral("Palomir Tablewright Studio for Two Databases"));
        QCOMPARE(shell::ApplicationTitle(), QStringLiteral("Palomir Tablewright Studio for Two"));
        QVERIFY(!form.windowIcon().isNull());
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QCOMPARE(QApplication::focusWidget(), form.Text[1]);
    }

    void savedDetailsThatReachBothOpenTheTablesWindow()
    {
        test::saveLogin(good());
        const int oracleBefore = Testbed::instance().oracleLogons(m_oracleUser);
        ScriptedDialogs dialogs;
        login::Form1 form(dialogs);
        form.Form_Load();
        QVERIFY(dialogs.shown.isEmpty());
        QVERIFY(form.HasTablesWindow());
        // Oracle first at start, then "Next >": its test and its listing.
        QCOMPARE(Testbed::instance().oracleLogons(m_oracleUser), oracleBefore + 3);
        tables::Form2& tables = form.TablesWindow();
        QVERIFY(tables.isVisible());
        QVERIFY(!form.isVisible());
        QCOMPARE(tables.List1->Items(), (QStringList { "Alpha", "middle", "zeta" }));
        QCOMPARE(tables.List2->Items(), (QStringList { "DEPT", "EMP" }));
        QCOMPARE(tables.List1->ListIndex(), 0);
        QCOMPARE(tables.List2->ListIndex(), 0);
        QCOMPARE(tables.List1->SelCount(), 0);
        QCOMPARE(form.Pointer().MousePointer(), 0);
        QCOMPARE(
            tables.windowTitle(), QStringLiteral("Palomir Tablewright Studio for Two Databases"));
    }

    void workingOracleButFailingMySQLStaysOnTheLoginWindowSilently()
    {
        db::LoginDetails d = good();
        d.mysqlPassword = QStringLiteral("wrong");
        test::saveLogin(d);
        ScriptedDialogs dialogs;
        login::Form1 form(dialogs);
        form.Form_Load();
        QVERIFY(dialogs.shown.isEmpty());
        QVERIFY(!form.HasTablesWindow());
        QCOMPARE(form.Text[6]->text(), QStringLiteral("wrong"));
    }

    void failingOracleMeansMySQLIsNeverContacted()
    {
        db::LoginDetails d = good();
        d.oraclePassword = QStringLiteral("wrong");
        test::saveLogin(d);
        test::GeneralLog log(Testbed::instance().generalLogPath());
        const int oracleBefore = Testbed::instance().oracleLogons(m_oracleUser);
        ScriptedDialogs dialogs;
        login::Form1 form(dialogs);
        form.Form_Load();
        QVERIFY(dialogs.shown.isEmpty());
        QVERIFY(!form.HasTablesWindow());
        QCOMPARE(Testbed::instance().oracleLogons(m_oracleUser), oracleBefore + 1);
        QCOMPARE(log.connects(QStringLiteral("root@127.0.0.1 on ") + m_db), 0);
    }

    void everyKeystrokeIsStoredAndAClearedFieldStaysEmpty()
    {
        ScriptedDialogs dialogs;
        {
            login::Form1 form(dialogs);
            form.Form_Load();
            form.show();
            QTest::keyClicks(form.Text[6], QStringLiteral("s3cr"));
            QCOMPARE(shell::GetSetting(
                         shell::MakerName(), shell::ProductName(), QStringLiteral("MySQLPassword")),
                QStringLiteral("s3cr"));
            QTest::keyClicks(form.Text[6], QStringLiteral("et"));
            QCOMPARE(shell::GetSetting(
                         shell::MakerName(), shell::ProductName(), QStringLiteral("MySQLPassword")),
                QStringLiteral("s3cret"));
            form.Text[4]->clear();
            form.Text[8]->setFocus();
            QTest::keyClick(form.Text[8], Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(form.Text[8], Qt::Key_Backspace);
            QCOMPARE(form.Text[8]->text(), QString());
        }
        login::Form1 again(dialogs);
        again.Form_Load();
        QCOMPARE(again.Text[4]->text(), QString());
        QCOMPARE(again.Text[8]->text(), QString());
        QCOMPARE(again.Text[6]->text(), QStringLiteral("s3cret"));
        QCOMPARE(again.Text[6]->echoMode(), QLineEdit::Password);
        QCOMPARE(again.Text[3]->echoMode(), QLineEdit::Password);
        QVERIFY(!again.Text[3]->testAttribute(Qt::WA_InputMethodEnabled));
    }

    // One report at start; the fields show their defaults, and what is
    // typed is not saved: the folder is neither written nor made private.
    void aFolderWhereTheSettingsFileBelongsIsReportedOnceAndLeftAlone()
    {
        const QString path = shell::SettingsFilePath(shell::MakerName());
        QVERIFY(QDir().mkpath(path));
        const QFile::Permissions mode = QFile::permissions(path);
        QVERIFY(mode & QFile::ExeOwner);
        ScriptedDialogs dialogs;
        login::Form1 form(dialogs);
        form.Form_Load();
        form.show();
        QTest::keyClicks(form.Text[2], QStringLiteral("scott"));
        QCOMPARE(dialogs.shown.size(), 1);
        const QString report = dialogs.reports().value(0);
        QVERIFY2(report.contains(path + QStringLiteral(" is not a file")), qPrintable(report));
        QVERIFY2(
            report.contains(QStringLiteral("Form1.Form_Load at line 128\r\r")), qPrintable(report));
        QCOMPARE(form.Text[4]->text(), QStringLiteral("localhost"));
        QVERIFY(QFileInfo(path).isDir());
        QCOMPARE(QFile::permissions(path), mode);
        QCOMPARE(QDir(path).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
        test::emptyStore();
    }

    void fieldsSelectTheirTextOnFocusExceptServerAndDatabase()
    {
        ScriptedDialogs dialogs;
        login::Form1 form(dialogs);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        for (int n = 1; n <= 8; ++n)
            form.Text[n]->setText(QStringLiteral("value %1").arg(n));
        for (int n = 1; n <= 8; ++n) {
            form.Text[n]->deselect();
            form.Text[n]->setCursorPosition(0);
            form.PushButton[2]->setFocus();
            form.Text[n]->setFocus(Qt::MouseFocusReason);
            const bool selectsAll = n != 4 && n != 7;
            QCOMPARE(
                form.Text[n]->selectedText().size() == form.Text[n]->text().size(), selectsAll);
        }
    }

    void tabOrderFollowsTheLayout()
    {
        ScriptedDialogs dialogs;
        login::Form1 form(dialogs);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.Text[1]->setFocus();
        const QStringList expected { "PushButton6", "Text2", "Text3", "PushButton3", "PushButton7",
            "Text4", "Text8", "Text5", "Text6", "Text7", "PushButton1", "PushButton4",
            "PushButton2", "Text1" };
        QStringList seen;
        for (int i = 0; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            seen << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(seen, expected);
    }

    void theLayoutFollowsTheTwipsTableAtNinetySixDpi()
    {
        ScriptedDialogs dialogs;
        login::Form1 form(dialogs);
        const qreal px = QGuiApplication::primaryScreen()->logicalDotsPerInchX() / 1440.0;
        auto twips = [&](int t) { return int(std::lround(t * px)); };
        QCOMPARE(form.size(), QSize(twips(8040), twips(6135)));
        QCOMPARE(form.Frame2->geometry(), QRect(twips(120), twips(2610), twips(7800), twips(2865)));
        QCOMPARE(form.Text[8]->geometry(), QRect(twips(6480), twips(360), twips(1080), twips(345)));
        QCOMPARE(form.PushButton[2]->geometry(),
            QRect(twips(120), twips(5610), twips(7800), twips(405)));
        // Labels sit on the same line as their fields.
        for (auto [label, field] : { std::pair { 2, 1 }, { 1, 2 }, { 4, 3 }, { 5, 4 }, { 8, 8 },
                 { 3, 5 }, { 7, 6 }, { 6, 7 } }) {
            QCOMPARE(form.Label[label]->parentWidget(), form.Text[field]->parentWidget());
            QVERIFY(std::abs(form.Label[label]->geometry().center().y()
                        - form.Text[field]->geometry().center().y())
                <= 2);
        }
        QVERIFY(form.minimumSize() == form.maximumSize());
        QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(form.PushButton[2]->font().pointSizeF(), 11.25);
        QVERIFY(form.Text[1]->font().bold());
        QVERIFY(!form.PushButton[2]->isDefault() && !form.PushButton[2]->autoDefault());
    }
};

QTEST_MAIN(TestForm1Startup)
#include "tst_form1_startup.moc"

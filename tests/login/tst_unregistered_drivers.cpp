#include "db/connect.h"
#include "login/form1.h"
#include "support/scripted_dialogs.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tw;

// A machine where neither driver name is registered: the connection tests
// fail with their own messages and nothing else.
class TestUnregisteredDrivers : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_etc;

private slots:
    void initTestCase()
    {
        QVERIFY(m_etc.isValid());
        for (const char* name : { "/odbcinst.ini", "/odbc.ini" }) {
            QFile f(m_etc.path() + QLatin1String(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        // Before the first ODBC call: the driver manager reads this once.
        qputenv("ODBCSYSINI", QFile::encodeName(m_etc.path()));
        qputenv("ODBCINSTINI", "odbcinst.ini");
    }

    void bothTestsAnswerWithTheirCouldNotConnectText_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("message");
        QTest::newRow("MySQL")
            << 1
            << "Could not connect. Please check with your administrator. Make sure you are "
               "allowed to connect to your database remotely and not just through "
               "web-based control panels.";
        QTest::newRow("Oracle") << 3 << "Could not connect. Please check with your administrator.";
    }
    void bothTestsAnswerWithTheirCouldNotConnectText()
    {
        QFETCH(int, button);
        QFETCH(QString, message);
        test::ScriptedDialogs dialogs;
        login::Form1 form(dialogs);
        form.Text[1]->setText(QStringLiteral("ZEDA"));
        form.Text[2]->setText(QStringLiteral("SCOTT"));
        form.Text[4]->setText(QStringLiteral("127.0.0.1"));
        QTest::mouseClick(form.PushButton[button], Qt::LeftButton);
        QCOMPARE(dialogs.texts(), QStringList { message });
        QVERIFY(dialogs.reports().isEmpty());
        QCOMPARE(form.Pointer().MousePointer(), 0);
    }

    void startUpStaysOnTheLoginWindow()
    {
        test::ScriptedDialogs dialogs;
        login::Form1 form(dialogs);
        form.Form_Load();
        QVERIFY(!db::ConnectOracle(form));
        QVERIFY(!db::ConnectMySQL(form));
        QVERIFY(!form.HasTablesWindow());
        QVERIFY(dialogs.shown.isEmpty());
    }
};

QTEST_MAIN(TestUnregisteredDrivers)
#include "tst_unregistered_drivers.moc"

#include "login/form1.h"
#include "login/help_texts.h"
#include "support/scripted_dialogs.h"

#include <QTest>

using namespace tw;

class TestHelpTexts : public QObject {
    Q_OBJECT
private slots:
    void theMySQLHelpIsExact()
    {
        QCOMPARE(login::MySQLHelpText(),
            QStringLiteral("If you cannot establish connection to your database with this program, "
                           "please go to: \r\r"
                           "https://downloads.mysql.com/archives/gui/\r\r"
                           "Download and install the MySQL GUI Tools. Use the MySQL Query Browser. "
                           "Try to connect to "
                           "the same database (with the same login information you are using "
                           "here). This will determine if "
                           "the login you are using is correct.\r\r"
                           " Finally, make sure your host allows a direct connection to your MySQL "
                           "database -- not a web "
                           "based connection, for example."));
    }

    void theSidHelpKeepsItsIndentationAndLineEnds()
    {
        QCOMPARE(login::SidHelpText(),
            QStringLiteral(
                "This software works with Oracle 9i or higher.\r\r"
                "The SID is used to identify a particular database. The SID is usually defined in "
                "the "
                "TNSNAMES.ORA file. The TNSNAMES.ORA file found in my Oracle 9i folder looks "
                "like:\r\n\r\n"
                "ZEDA =\r\n"
                " (DESCRIPTION =\r\n"
                "   (ADDRESS_LIST =\r\n"
                "     (ADDRESS = (PROTOCOL = TCP)(HOST = dbserver.example.com)(PORT = 1521))\r\n"
                "   )\r\n"
                "   (CONNECT_DATA =\r\n"
                "     (SID = ZEDA)\r\n"
                "   )\r\n"
                " )\r\n\r\n"
                "Therefore, my SID would be ZEDA"));
    }

    void theHelpButtonsShowTheirTextsWithTheApplicationTitle_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("text");
        QTest::newRow("MySQL Help") << 4 << login::MySQLHelpText();
        QTest::newRow("SID ?") << 6 << login::SidHelpText();
        QTest::newRow("Oracle Help")
            << 7 << "This software does not support the CLOB and NLOB data type in Oracle.";
    }
    void theHelpButtonsShowTheirTextsWithTheApplicationTitle()
    {
        QFETCH(int, button);
        QFETCH(QString, text);
        test::ScriptedDialogs dialogs;
        login::Form1 form(dialogs);
        QTest::mouseClick(form.PushButton[button], Qt::LeftButton);
        QCOMPARE(dialogs.shown.size(), 1);
        QCOMPARE(dialogs.shown[0].text, text);
        QCOMPARE(dialogs.shown[0].title, QString());
        QCOMPARE(dialogs.shown[0].buttons, test::ScriptedDialogs::OkOnly);
        QCOMPARE(dialogs.shown[0].icon, test::ScriptedDialogs::NoIcon);
    }
};

QTEST_MAIN(TestHelpTexts)
#include "tst_help_texts.moc"

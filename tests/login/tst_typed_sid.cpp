#include "login/form1.h"
#include "login_fixture.h"
#include "support/scripted_dialogs.h"
#include "support/testbed.h"
#include "tables/form2.h"

#include <QTest>

using namespace tw;
using test::ScriptedDialogs;
using test::Testbed;

namespace {
// The SID typed in the login window. The bed's own SID holds the same user
// with other tables, and TWO_TASK points there: a driver that reads only
// DBQ, as Oracle's does, goes there unless the typed SID reaches it.
const QString typedSid = QStringLiteral("YARO");
const QString user = QStringLiteral("TYPED");

void selectOnly(tables::TableListBox& list, const QString& name)
{
    list.clearSelection();
    const int i = int(list.Items().indexOf(name));
    QVERIFY2(i >= 0, qPrintable(name));
    list.SetSelected(i, true);
    list.SetListIndex(i);
}
} // namespace

class TestTypedSid : public QObject {
    Q_OBJECT

    Testbed& bed = Testbed::instance();
    QString m_db;
    db::LoginDetails m_login;
    qsizetype m_logons = 0;

    QStringList tables(const QString& sid = QString())
    {
        QStringList t = bed.oracle(user, QStringLiteral("SELECT table_name FROM user_tables"),
            nullptr, sid.isEmpty() ? typedSid : sid);
        t.sort();
        return t;
    }
    // Every logon since init() went to the typed SID, and there was one.
    void verifyOnlyTheTypedSidWasReached()
    {
        const QStringList sids = bed.oracleLogonSids(user).mid(m_logons);
        QVERIFY(!sids.isEmpty());
        QCOMPARE(sids, QStringList(sids.size(), typedSid));
    }

private slots:
    void initTestCase()
    {
        qputenv("TWO_TASK", bed.value(QStringLiteral("TW_ORACLE_SID")).toUtf8());
        m_db = bed.freshMySQLDatabase(QStringLiteral("tw_typed_sid"));
        m_login = bed.login(m_db, user);
        m_login.oracleSid = typedSid;
    }

    void init()
    {
        bed.mysql(
            QStringLiteral("DROP TABLE IF EXISTS from_mysql, ONLY_IN_YARO;"
                           "CREATE TABLE from_mysql(a INT); INSERT INTO from_mysql VALUES(1);"),
            m_db);
        bed.freshOracleUser(user);
        bed.freshOracleUser(user, typedSid);
        for (const char* t : { "BOTH", "ONLY_IN_ZEDA" })
            bed.oracle(
                user, QStringLiteral("CREATE TABLE \"%1\"(\"A\" INT)").arg(QLatin1String(t)));
        for (const char* t : { "BOTH", "ONLY_IN_YARO" })
            bed.oracle(user, QStringLiteral("CREATE TABLE \"%1\"(\"A\" INT)").arg(QLatin1String(t)),
                nullptr, typedSid);
        bed.oracle(
            user, QStringLiteral("INSERT INTO \"ONLY_IN_YARO\" VALUES(7)"), nullptr, typedSid);
        test::emptyStore();
        m_logons = bed.oracleLogonSids(user).size();
    }

    void oracleTestConnectionReachesTheTypedSid()
    {
        ScriptedDialogs dialogs;
        login::Form1 form(dialogs);
        form.Text[1]->setText(m_login.oracleSid);
        form.Text[2]->setText(m_login.oracleUser);
        form.Text[3]->setText(m_login.oraclePassword);
        QTest::mouseClick(form.PushButton[3], Qt::LeftButton);
        QCOMPARE(dialogs.texts(), QStringList { QStringLiteral("Connection successful.") });
        verifyOnlyTheTypedSidWasReached();
    }

    // Start-up tests both logins and runs "Next >", which lists the tables.
    void startUpAndNextListTheTypedSid()
    {
        test::saveLogin(m_login);
        ScriptedDialogs dialogs;
        login::Form1 form(dialogs);
        form.Form_Load();
        QVERIFY(form.HasTablesWindow());
        QCOMPARE(form.TablesWindow().List2->Items(), (QStringList { "BOTH", "ONLY_IN_YARO" }));
        QVERIFY(dialogs.shown.isEmpty());
        verifyOnlyTheTypedSidWasReached();
    }

    void everyOracleActionOfTheTablesWindowReachesTheTypedSid_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("selected"); // in the Oracle list, else in the MySQL list
        QTest::addColumn<QStringList>("typedAfter");
        QTest::addColumn<QStringList>("mysqlAfter");
        const QStringList both { "BOTH", "ONLY_IN_YARO" };
        const QStringList mine { "from_mysql" };
        QTest::newRow("drop") << 5 << "BOTH" << QStringList { "ONLY_IN_YARO" } << mine;
        QTest::newRow("rename") << 7 << "BOTH" << QStringList { "ONLY_IN_YARO", "RENAMED" } << mine;
        QTest::newRow("send to Oracle")
            << 3 << "" << QStringList { "BOTH", "ONLY_IN_YARO", "from_mysql" } << mine;
        QTest::newRow("send to MySQL")
            << 4 << "ONLY_IN_YARO" << both << QStringList { "ONLY_IN_YARO", "from_mysql" };
    }
    void everyOracleActionOfTheTablesWindowReachesTheTypedSid()
    {
        QFETCH(int, button);
        QFETCH(QString, selected);
        QFETCH(QStringList, typedAfter);
        QFETCH(QStringList, mysqlAfter);
        test::saveLogin(m_login);
        ScriptedDialogs dialogs;
        login::Form1 form(dialogs);
        form.Form_Load();
        QVERIFY(form.HasTablesWindow());
        tables::Form2& window = form.TablesWindow();
        if (selected.isEmpty())
            selectOnly(*window.List1, QStringLiteral("from_mysql"));
        else
            selectOnly(*window.List2, selected);
        dialogs.answerInput({ QStringLiteral("RENAMED") });
        QTest::mouseClick(window.PushButton[button], Qt::LeftButton);
        QCOMPARE(dialogs.reports(), QStringList());
        QCOMPARE(tables(), typedAfter);
        QCOMPARE(tables(bed.value(QStringLiteral("TW_ORACLE_SID"))),
            (QStringList { "BOTH", "ONLY_IN_ZEDA" }));
        QStringList mysql = bed.mysql(QStringLiteral("SHOW TABLES;"), m_db);
        mysql.sort();
        QCOMPARE(mysql, mysqlAfter);
        if (button == 4)
            QCOMPARE(bed.mysql(QStringLiteral("SELECT A FROM ONLY_IN_YARO;"), m_db),
                QStringList { "7" });
        verifyOnlyTheTypedSidWasReached();
    }
};

QTEST_MAIN(TestTypedSid)
#include "tst_typed_sid.moc"

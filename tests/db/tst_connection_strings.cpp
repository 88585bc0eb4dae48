#include "db/connect.h"
#include "db/connection.h"
#include "db/connection_strings.h"
#include "odbc/error.h"
#include "support/general_log.h"
#include "support/testbed.h"

#include <QTest>

using namespace tw::db;
using namespace tw::odbc;
using tw::test::Testbed;

class TestConnectionStrings : public QObject {
    Q_OBJECT
private:
    // A user of this test's own, so that connections of test programs running
    // beside it never count here.
    LoginDetails good() const
    {
        LoginDetails d = Testbed::instance().login(m_db, QStringLiteral("SCOTT"));
        d.mysqlUser = QStringLiteral("tw_connstr");
        d.mysqlPassword = QStringLiteral("connstr pw");
        return d;
    }
    // The server ends a thread a moment after the client's quit arrives.
    static bool noConnectionsOf(const QString& user)
    {
        for (int i = 0; i < 100; ++i) {
            if (Testbed::instance().mysqlConnectionsOf(user) == 0)
                return true;
            QTest::qWait(20);
        }
        return false;
    }
    QString m_db;

private slots:
    void initTestCase()
    {
        m_db = Testbed::instance().freshMySQLDatabase(QStringLiteral("tw_connstr"));
        Testbed::instance().mysql(
            QStringLiteral("DROP USER IF EXISTS 'tw_connstr'@'127.0.0.1';"
                           "CREATE USER 'tw_connstr'@'127.0.0.1' IDENTIFIED BY 'connstr pw';"
                           "GRANT ALL ON `tw_connstr`.* TO 'tw_connstr'@'127.0.0.1';"));
    }

    void firstRunStringsAreExact()
    {
        LoginDetails first;
        first.mysqlServer = QStringLiteral("localhost");
        first.mysqlPort = QStringLiteral("3306");
        QCOMPARE(MySQLConnectionString(first),
            QStringLiteral("DRIVER={MySQL ODBC 5.1 "
                           "Driver};SERVER=localhost;USER=;DATABASE=;PASSWORD=;PORT=3306;"));
        QCOMPARE(OracleConnectionString(first),
            QStringLiteral("Driver={Microsoft ODBC for Oracle};Server=;Uid=;Pwd=;DBQ=;"));
    }

    void fieldsGoInTheirPlacesWithBlanksKept()
    {
        LoginDetails d;
        d.oracleSid = QStringLiteral(" ZEDA ");
        d.oracleUser = QStringLiteral("scott");
        d.oraclePassword = QStringLiteral("ti ger");
        d.mysqlServer = QStringLiteral("db.example ");
        d.mysqlUser = QStringLiteral(" u");
        d.mysqlPassword = QStringLiteral("p w");
        d.mysqlDatabase = QStringLiteral("shop");
        d.mysqlPort = QString();
        QCOMPARE(MySQLConnectionString(d),
            QStringLiteral("DRIVER={MySQL ODBC 5.1 Driver};SERVER=db.example ;USER= "
                           "u;DATABASE=shop;PASSWORD=p w;PORT=;"));
        QCOMPARE(OracleConnectionString(d),
            QStringLiteral("Driver={Microsoft ODBC for Oracle};Server= ZEDA ;Uid=scott;Pwd=ti "
                           "ger;DBQ= ZEDA ;"));
    }

    void valuesThatWouldChangeTheStringGoInBraces_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("written");
        QTest::newRow("plain") << "secret"
                               << "secret";
        QTest::newRow("equals sign stays") << "a=b"
                                           << "a=b";
        QTest::newRow("semicolon") << "a;b"
                                   << "{a;b}";
        QTest::newRow("open brace") << "{x"
                                    << "{{x}";
        QTest::newRow("close brace doubled") << "x}"
                                             << "{x}}}";
        QTest::newRow("smuggled attribute") << "x;DATABASE=mysql"
                                            << "{x;DATABASE=mysql}";
        QTest::newRow("empty") << ""
                               << "";
    }
    void valuesThatWouldChangeTheStringGoInBraces()
    {
        QFETCH(QString, value);
        QFETCH(QString, written);
        QCOMPARE(connectionStringValue(value), written);
        LoginDetails d;
        d.mysqlPassword = value;
        QVERIFY(MySQLConnectionString(d).contains(
            QStringLiteral(";PASSWORD=") + written + QStringLiteral(";PORT=")));
        d.oracleSid = value;
        QVERIFY(OracleConnectionString(d).startsWith(
            QStringLiteral("Driver={Microsoft ODBC for Oracle};Server=") + written + u';'));
        QVERIFY(OracleConnectionString(d).endsWith(QStringLiteral(";DBQ=") + written + u';'));
    }

    void connectMySQLAnswersTrueForAGoodLogin() { QVERIFY(ConnectMySQL(FixedLogin(good()))); }

    void connectMySQLAnswersFalseForEveryBadLogin_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::newRow("wrong password") << "password"
                                        << "nope";
        QTest::newRow("wrong port") << "port"
                                    << "1";
        QTest::newRow("port not a number") << "port"
                                           << "abc";
        QTest::newRow("unknown database") << "database"
                                          << "no_such_db";
        QTest::newRow("unknown user") << "user"
                                      << "nobody";
    }
    void connectMySQLAnswersFalseForEveryBadLogin()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        LoginDetails d = good();
        if (field == QLatin1String("password"))
            d.mysqlPassword = value;
        else if (field == QLatin1String("port"))
            d.mysqlPort = value;
        else if (field == QLatin1String("database"))
            d.mysqlDatabase = value;
        else
            d.mysqlUser = value;
        QVERIFY(!ConnectMySQL(FixedLogin(d)));
        QVERIFY(noConnectionsOf(QStringLiteral("tw_connstr")));
    }

    void connectMySQLLeavesNoConnectionOpen()
    {
        tw::test::GeneralLog log(Testbed::instance().generalLogPath());
        QVERIFY(ConnectMySQL(FixedLogin(good())));
        QVERIFY(ConnectMySQL(FixedLogin(good())));
        QVERIFY(noConnectionsOf(QStringLiteral("tw_connstr")));
        QCOMPARE(log.connects(QStringLiteral("tw_connstr@127.0.0.1")), 2);
    }

    void theDriverHonoursABracedPassword()
    {
        Testbed& bed = Testbed::instance();
        bed.mysql(QStringLiteral("DROP USER IF EXISTS 'semi'@'127.0.0.1';"
                                 "CREATE USER 'semi'@'127.0.0.1' IDENTIFIED BY 'pa;ss{w}rd=1';"
                                 "GRANT ALL ON `%1`.* TO 'semi'@'127.0.0.1';")
                      .arg(m_db));
        LoginDetails d = good();
        d.mysqlUser = QStringLiteral("semi");
        d.mysqlPassword = QStringLiteral("pa;ss{w}rd=1");
        QVERIFY(ConnectMySQL(FixedLogin(d)));
        d.mysqlPassword = QStringLiteral("pa");
        QVERIFY(!ConnectMySQL(FixedLogin(d)));
    }

    void aRefusedLoginRaisesTheDriversText()
    {
        LoginDetails d = good();
        d.mysqlPassword = QStringLiteral("wrong");
        Connection c;
        try {
            c.Open(MySQLConnectionString(d));
            QFAIL("Open succeeded with a wrong password");
        } catch (const DbError& e) {
            QVERIFY2(
                e.description().contains(QStringLiteral("Access denied for user 'tw_connstr'")),
                qPrintable(e.description()));
            QCOMPARE(e.sqlState(), QStringLiteral("28000"));
            QCOMPARE(e.nativeError(), 1045);
        }
        QVERIFY(!c.isOpen());
    }

    void connectionStateErrorsAreRaised()
    {
        Connection c;
        QVERIFY_THROWS_EXCEPTION(DbError, c.Close());
        QVERIFY_THROWS_EXCEPTION(DbError, c.Execute(QStringLiteral("SELECT 1")));
        c.Open(MySQLConnectionString(good()));
        QVERIFY_THROWS_EXCEPTION(DbError, c.Open(MySQLConnectionString(good())));
        c.Close();
        QVERIFY(!c.isOpen());
    }
};

QTEST_GUILESS_MAIN(TestConnectionStrings)
#include "tst_connection_strings.moc"

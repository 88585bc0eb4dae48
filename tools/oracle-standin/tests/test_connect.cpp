// Logging on through unixODBC: connection strings, users, SIDs and the
// errors Oracle gives for each way of failing.

#include "standin_fixture.h"

#include <QTest>

using namespace standintest;

class TestConnect : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Only the cases that mean to may fall back on the client's default service.
        qunsetenv("TWO_TASK");
        m_world = std::make_unique<World>();
        QCOMPARE(m_world->admin({ "create-user", "ZEDA", "odd", "p;w}d =x" }), 0);
    }

    void logon_data()
    {
        QTest::addColumn<QString>("connectionString");
        QTest::addColumn<QString>("state"); // empty: must connect
        QTest::addColumn<int>("native");
        QTest::addColumn<QString>("message");

        const QString ok;
        QTest::newRow("upper-case user")
            << World::connectionString("ZEDA", "SCOTT", "tiger") << ok << 0 << ok;
        QTest::newRow("lower-case user")
            << World::connectionString("ZEDA", "scott", "tiger") << ok << 0 << ok;
        QTest::newRow("lower-case SID")
            << World::connectionString("zeda", "Scott", "tiger") << ok << 0 << ok;
        QTest::newRow("keys in any case, braced values")
            << "DRIVER={Microsoft ODBC for Oracle};dbq={ZEDA};UID=scott;PWD={tiger}" << ok << 0
            << ok;
        QTest::newRow("braced password with ; } and =")
            << "Driver={Microsoft ODBC for Oracle};DBQ=ZEDA;Uid=odd;Pwd={p;w}}d =x};" << ok << 0
            << ok;
        QTest::newRow("first of a repeated key wins")
            << "Driver={Microsoft ODBC for Oracle};DBQ=ZEDA;Uid=scott;Uid=odd;Pwd=tiger;" << ok << 0
            << ok;
        QTest::newRow("unbraced password keeps its blank")
            << "Driver={Microsoft ODBC for Oracle};DBQ=ZEDA;Uid=scott;Pwd=tiger ;"
            << "28000" << 1017
            << "[Oracle][ODBC][Ora]ORA-01017: invalid username/password; logon denied";
        QTest::newRow("wrong password")
            << World::connectionString("ZEDA", "SCOTT", "Tiger") << "28000" << 1017
            << "[Oracle][ODBC][Ora]ORA-01017: invalid username/password; logon denied";
        QTest::newRow("unknown user")
            << World::connectionString("ZEDA", "ADAMS", "tiger") << "28000" << 1017
            << "[Oracle][ODBC][Ora]ORA-01017: invalid username/password; logon denied";
        QTest::newRow("quoted user is case-sensitive")
            << World::connectionString("ZEDA", "\"scott\"", "tiger") << "28000" << 1017
            << "[Oracle][ODBC][Ora]ORA-01017: invalid username/password; logon denied";
        QTest::newRow("empty password")
            << World::connectionString("ZEDA", "SCOTT", "") << "28000" << 1005
            << "[Oracle][ODBC][Ora]ORA-01005: null password given; logon denied";
        QTest::newRow("unknown SID")
            << World::connectionString("NOSUCH", "SCOTT", "tiger") << "08001" << 12154
            << "[Oracle][ODBC][Ora]ORA-12154: TNS:could not resolve the connect identifier "
               "specified";
        QTest::newRow("empty SID, first run")
            << World::connectionString("", "", "") << "08001" << 12162
            << "[Oracle][ODBC][Ora]ORA-12162: TNS:net service name is incorrectly specified";
        // Oracle's driver knows DBQ only; Server is Microsoft's driver's keyword.
        QTest::newRow("Server alone is not read")
            << "Driver={Microsoft ODBC for Oracle};Server=ZEDA;Uid=scott;Pwd=tiger;"
            << "08001" << 12162
            << "[Oracle][ODBC][Ora]ORA-12162: TNS:net service name is incorrectly specified";
        QTest::newRow("DBQ, not Server, names the SID")
            << "Driver={Microsoft ODBC for Oracle};Server=ZEDA;Uid=scott;Pwd=tiger;DBQ=NOSUCH;"
            << "08001" << 12154
            << "[Oracle][ODBC][Ora]ORA-12154: TNS:could not resolve the connect identifier "
               "specified";
        QTest::newRow("SID that is a path")
            << World::connectionString("../data/ZEDA", "SCOTT", "tiger") << "08001" << 12154
            << "[Oracle][ODBC][Ora]ORA-12154: TNS:could not resolve the connect identifier "
               "specified";
    }

    void logon()
    {
        QFETCH(QString, connectionString);
        QFETCH(QString, state);
        QFETCH(int, native);
        QFETCH(QString, message);
        Connection c;
        const SQLRETURN rc = c.open(connectionString);
        if (state.isEmpty()) {
            QVERIFY2(SQL_SUCCEEDED(rc), qPrintable(c.diag().message));
            // The session belongs to the upper-cased user.
            Statement s(c);
            QVERIFY(SQL_SUCCEEDED(s.exec("SELECT table_name FROM user_tables")));
            return;
        }
        QCOMPARE(rc, SQLRETURN(SQL_ERROR));
        const Diag d = c.diag();
        QCOMPARE(d.state, state);
        QCOMPARE(d.native, native);
        QCOMPARE(d.message, message);
    }

    // Without a service name the client goes where TWO_TASK points, and
    // only an attempt that got that far reaches a listener (and its log).
    void twoTaskStandsInForAMissingName()
    {
        const QString noName
            = "Driver={Microsoft ODBC for Oracle};Server=NOSUCH;Uid=scott;Pwd=tiger;";
        QFile log(m_world->dataDir() + "/listener.log");
        const qint64 before = log.size();
        {
            Connection c;
            QCOMPARE(c.open(noName), SQLRETURN(SQL_ERROR));
            QCOMPARE(c.diag().native, 12162);
        }
        QCOMPARE(log.size(), before);
        qputenv("TWO_TASK", "zeda");
        Connection reached;
        const SQLRETURN rc = reached.open(noName);
        Connection named;
        const SQLRETURN rcNamed = named.open(World::connectionString("NOSUCH", "scott", "tiger"));
        qunsetenv("TWO_TASK");
        QVERIFY2(SQL_SUCCEEDED(rc), qPrintable(reached.diag().message));
        QCOMPARE(rcNamed, SQLRETURN(SQL_ERROR));
        QCOMPARE(named.diag().native, 12154);
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(
            log.readAll().mid(before), QByteArray("zeda\tscott\tok\nNOSUCH\tscott\tORA-12154\n"));
    }

    void timeoutsAreAccepted()
    {
        // The transfers set both timeouts before opening and a command timeout after.
        Connection c;
        QCOMPARE(SQLSetConnectAttr(
                     c.handle(), SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(5000), 0),
            SQLRETURN(SQL_SUCCESS));
        QCOMPARE(SQLSetConnectAttr(c.handle(), SQL_ATTR_CONNECTION_TIMEOUT,
                     reinterpret_cast<SQLPOINTER>(5000), 0),
            SQLRETURN(SQL_SUCCESS));
        QVERIFY(SQL_SUCCEEDED(c.open("SCOTT", "tiger")));
        SQLUINTEGER timeout = 0;
        QVERIFY(SQL_SUCCEEDED(
            SQLGetConnectAttr(c.handle(), SQL_ATTR_CONNECTION_TIMEOUT, &timeout, 0, nullptr)));
        QCOMPARE(timeout, SQLUINTEGER(5000));
        Statement s(c);
        QCOMPARE(SQLSetStmtAttr(
                     s.handle(), SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(5000), 0),
            SQLRETURN(SQL_SUCCESS));
        SQLULEN query = 0;
        QVERIFY(
            SQL_SUCCEEDED(SQLGetStmtAttr(s.handle(), SQL_ATTR_QUERY_TIMEOUT, &query, 0, nullptr)));
        QCOMPARE(query, SQLULEN(5000));
    }

    void connectThroughDsn()
    {
        // SQLConnect with a DSN that names the driver's section.
        QFile ini(m_world->iniDir() + "/odbc.ini");
        QVERIFY(ini.open(QIODevice::WriteOnly));
        // Oracle's driver keeps the service name of a DSN under ServerName.
        ini.write("[zeda]\nDriver = Microsoft ODBC for Oracle\nServerName = ZEDA\n");
        ini.close();
        Connection c;
        const std::u16string dsn = u"zeda", user = u"scott", pwd = u"tiger";
        auto w = [](const std::u16string& s) { return (SQLWCHAR*)s.c_str(); };
        QVERIFY(SQL_SUCCEEDED(
            SQLConnectW(c.handle(), w(dsn), SQL_NTS, w(user), SQL_NTS, w(pwd), SQL_NTS)));
        SQLWCHAR name[64] = {};
        SQLSMALLINT length = 0;
        QVERIFY(SQL_SUCCEEDED(SQLGetInfoW(c.handle(), SQL_USER_NAME, name, sizeof name, &length)));
        QCOMPARE(QString::fromUtf16(reinterpret_cast<const char16_t*>(name)), QString("SCOTT"));
        SQLDisconnect(c.handle());
    }

    void unicodeAfterAnAnsiConnect()
    {
        // Connected through the ANSI entry point, wide statements and wide
        // reads must still carry text the C locale cannot spell.
        qunsetenv("LANG");
        qunsetenv("LC_ALL");
        Connection c;
        const QByteArray cs = World::connectionString("ZEDA", "scott", "tiger").toUtf8();
        QVERIFY(SQL_SUCCEEDED(SQLDriverConnect(c.handle(), nullptr, (SQLCHAR*)cs.constData(),
            SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT)));
        const QString text = QString::fromUtf8("ä表😀");
        QVERIFY(run(c, "CREATE TABLE \"" + text + "\"(\"C\" VARCHAR2(20))"));
        QVERIFY(run(c, "INSERT INTO \"" + text + "\" VALUES('" + text + "')"));
        {
            Statement s(c);
            QVERIFY(SQL_SUCCEEDED(s.exec("SELECT * FROM \"" + text + "\"")));
            QCOMPARE(s.rows(), QStringList { text });
        }
        // The statement is freed before the connection it belongs to ends.
        SQLDisconnect(c.handle());
    }

    void driverAnswersAsOracle()
    {
        Connection c;
        QVERIFY(SQL_SUCCEEDED(c.open("SCOTT", "tiger")));
        char name[64] = {};
        QVERIFY(SQL_SUCCEEDED(SQLGetInfo(c.handle(), SQL_DBMS_NAME, name, sizeof name, nullptr)));
        QCOMPARE(QString(name), QString("Oracle"));
        SQLUSMALLINT length = 0;
        QVERIFY(SQL_SUCCEEDED(SQLGetInfo(c.handle(), SQL_MAX_TABLE_NAME_LEN, &length, 0, nullptr)));
        QCOMPARE(length, SQLUSMALLINT(128));
    }

private:
    std::unique_ptr<World> m_world;
};

QTEST_GUILESS_MAIN(TestConnect)
#include "test_connect.moc"

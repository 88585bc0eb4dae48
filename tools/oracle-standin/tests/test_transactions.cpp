// Manual commit through unixODBC: with SQL_ATTR_AUTOCOMMIT off the rows a
// session inserts are its own until a commit; each way of ending the
// transaction either publishes them or drops them.
//
// Ending by disconnecting: ODBC's SQLDisconnect reference refuses while a
// transaction is open (25000) and leaves the connection open; OCI's
// OCISessionEnd (Oracle Call Interface Programmer's Guide) commits it
// implicitly; the Oracle Database ODBC driver's documentation does not say
// what its SQLDisconnect does. The stand-in rolls back, as closing an
// SQLite connection does and as node-oracledb documents for a released
// connection: no row lands that the program did not commit.
//
// DDL commits first (SQLGetInfo SQL_TXN_CAPABLE is SQL_TC_DDL_COMMIT), even
// when it then fails; ALTER SESSION is not DDL and commits nothing.

#include "standin_fixture.h"

#include <QTest>

using namespace standintest;

class TestTransactions : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_world = std::make_unique<World>();
        m_other = std::make_unique<Connection>();
        QVERIFY(SQL_SUCCEEDED(m_other->open("SCOTT", "tiger")));
    }

    void init() { QVERIFY(run(*m_other, "CREATE TABLE \"TX\"(\"C\" VARCHAR2(10))")); }

    void cleanup()
    {
        Statement(*m_other).exec("DROP TABLE \"TX\"");
        Statement(*m_other).exec("DROP TABLE \"TY\"");
    }

    void autocommitIsTheDefault()
    {
        Connection c;
        QVERIFY(SQL_SUCCEEDED(c.open("SCOTT", "tiger")));
        SQLUINTEGER autocommit = 0;
        QCOMPARE(SQLGetConnectAttr(c.handle(), SQL_ATTR_AUTOCOMMIT, &autocommit, 0, nullptr),
            SQLRETURN(SQL_SUCCESS));
        QCOMPARE(autocommit, SQLUINTEGER(SQL_AUTOCOMMIT_ON));
        QVERIFY(run(c, "INSERT INTO \"TX\" VALUES('x')"));
        QCOMPARE(tableRows(*m_other, "TX"), QStringList { "x" });
    }

    void endings_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::addColumn<bool>("kept");
        QTest::newRow("SQLEndTran commit on the connection") << "dbc commit" << true;
        QTest::newRow("SQLEndTran commit on the environment") << "env commit" << true;
        QTest::newRow("COMMIT") << "COMMIT" << true;
        QTest::newRow("autocommit turned back on") << "autocommit" << true;
        QTest::newRow("DDL") << "CREATE TABLE \"TY\"(\"C\" INT)" << true;
        QTest::newRow("DDL that fails") << "DROP TABLE \"NOPE\"" << true;
        QTest::newRow("SQLEndTran rollback on the connection") << "dbc rollback" << false;
        QTest::newRow("SQLEndTran rollback on the environment") << "env rollback" << false;
        QTest::newRow("ROLLBACK WORK") << "ROLLBACK WORK" << false;
        QTest::newRow("disconnect") << "disconnect" << false;
        QTest::newRow("ALTER SESSION, then disconnect")
            << "ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY'" << false;
    }

    void endings()
    {
        QFETCH(QString, ending);
        QFETCH(bool, kept);
        Connection c;
        QVERIFY(SQL_SUCCEEDED(c.open("SCOTT", "tiger")));
        QCOMPARE(c.setAutocommit(false), SQLRETURN(SQL_SUCCESS));
        QVERIFY(run(c, "INSERT INTO \"TX\" VALUES('x')"));
        QVERIFY(run(c, "INSERT INTO \"TX\" VALUES('y')"));
        QCOMPARE(tableRows(c, "TX"), (QStringList { "x", "y" }));
        QCOMPARE(tableRows(*m_other, "TX"), QStringList());

        SQLRETURN rc = SQL_SUCCESS;
        const SQLSMALLINT completion = ending.endsWith("commit") ? SQL_COMMIT : SQL_ROLLBACK;
        if (ending.startsWith("dbc"))
            rc = SQLEndTran(SQL_HANDLE_DBC, c.handle(), completion);
        else if (ending.startsWith("env"))
            rc = SQLEndTran(SQL_HANDLE_ENV, c.environment(), completion);
        else if (ending == "autocommit")
            rc = c.setAutocommit(true);
        else if (ending != "disconnect")
            Statement(c).exec(ending); // a DDL that fails commits all the same
        QVERIFY(SQL_SUCCEEDED(rc));
        const QStringList expected = kept ? QStringList { "x", "y" } : QStringList();
        if (ending == "disconnect" || ending.startsWith("ALTER"))
            QCOMPARE(c.disconnect(), SQLRETURN(SQL_SUCCESS));
        else
            QCOMPARE(tableRows(c, "TX"), expected);
        QCOMPARE(tableRows(*m_other, "TX"), expected);
    }

private:
    std::unique_ptr<World> m_world;
    std::unique_ptr<Connection> m_other;
};

QTEST_GUILESS_MAIN(TestTransactions)
#include "test_transactions.moc"

// The admin command's three forms, and that what it does is what the driver sees.

#include "standin_fixture.h"

#include <QTest>

using namespace standintest;

class TestAdmin : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { m_world = std::make_unique<World>(); }

    void commands_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err"); // checked as a prefix

        const QString none;
        QTest::newRow("create-sid") << QStringList { "create-sid", "OTHER" } << 0 << none << none;
        QTest::newRow("create-sid again") << QStringList { "create-sid", "ZEDA" } << 1 << none
                                          << "oracle-standin-admin: a database already exists";
        QTest::newRow("create-user in new SID")
            << QStringList { "create-user", "OTHER", "blake", "Secret" } << 0 << none << none;
        QTest::newRow("create-user twice")
            << QStringList { "create-user", "ZEDA", "scott", "x" } << 1 << none
            << "ORA-01920: user name 'SCOTT' conflicts with another user or role name";
        QTest::newRow("create-user in missing SID")
            << QStringList { "create-user", "NOPE", "a", "b" } << 1 << none
            << "ORA-12154: TNS:could not resolve the connect identifier specified";
        QTest::newRow("sql create") << QStringList { "sql", "ZEDA", "SCOTT",
            "CREATE TABLE \"DEMO\"(\"N\" NUMBER,\"S\" VARCHAR2(20),\"D\" DATE)" }
                                    << 0 << none << none;
        QTest::newRow("sql insert") << QStringList { "sql", "ZEDA", "scott",
            "INSERT INTO \"DEMO\" VALUES('1.5', 'one', '02-JAN-24')" }
                                    << 0 << none << none;
        QTest::newRow("sql insert NULLs") << QStringList { "sql", "ZEDA", "SCOTT",
            "INSERT INTO \"DEMO\" VALUES('2', NULL, NULL)" }
                                          << 0 << none << none;
        QTest::newRow("sql select")
            << QStringList { "sql", "ZEDA", "SCOTT", "SELECT * FROM \"DEMO\"" } << 0
            << "1.5\tone\t2024-01-02 00:00:00\n2\t\t\n"
            << none;
        QTest::newRow("sql listing")
            << QStringList { "sql", "ZEDA", "SCOTT", "SELECT table_name FROM user_tables" } << 0
            << "DEMO\n"
            << none;
        QTest::newRow("sql error")
            << QStringList { "sql", "ZEDA", "SCOTT", "SELECT * FROM \"NOPE\"" } << 1 << none
            << "ORA-00942: table or view does not exist";
        QTest::newRow("sql as missing user")
            << QStringList { "sql", "ZEDA", "NOBODY", "SELECT * FROM \"DEMO\"" } << 1 << none
            << "ORA-01918: user 'NOBODY' does not exist";
        QTest::newRow("sql in other SID sees nothing")
            << QStringList { "sql", "OTHER", "BLAKE", "SELECT table_name FROM user_tables" } << 0
            << none << none;
        QTest::newRow("unknown command")
            << QStringList { "drop-sid", "ZEDA" } << 2 << none << "usage:";
        QTest::newRow("missing argument")
            << QStringList { "create-user", "ZEDA", "X" } << 2 << none << "usage:";
    }

    void commands()
    {
        // The rows build on each other: they run in order in one data directory.
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QString gotOut, gotErr;
        QCOMPARE(m_world->admin(args, &gotOut, &gotErr), exitCode);
        QCOMPARE(gotOut, out);
        QVERIFY2(gotErr.startsWith(err), qPrintable(gotErr));
    }

    void driverSeesWhatAdminDid()
    {
        Connection c;
        QVERIFY(SQL_SUCCEEDED(c.open("blake", "Secret", "other")));
        QVERIFY(run(c, "CREATE TABLE \"FROM_ODBC\"(\"X\" VARCHAR2(3))"));
        QVERIFY(run(c, "INSERT INTO \"FROM_ODBC\" VALUES('abc')"));
        QString out;
        QCOMPARE(
            m_world->admin({ "sql", "OTHER", "BLAKE", "SELECT * FROM \"FROM_ODBC\"" }, &out), 0);
        QCOMPARE(out, QString("abc\n"));
        // Passwords are case-sensitive.
        Connection wrong;
        QCOMPARE(wrong.open("blake", "secret", "other"), SQLRETURN(SQL_ERROR));
        QCOMPARE(wrong.diag().native, 1017);
    }

private:
    std::unique_ptr<World> m_world;
};

QTEST_GUILESS_MAIN(TestAdmin)
#include "test_admin.moc"

// The statement trace: with ORACLE_STANDIN_TRACE naming a file, every
// SQLExecDirect and every SQLExecute appends one line, "call TAB sets TAB
// statement", the statement with backslashes, line feeds, carriage returns
// and tabs escaped, so that a test can compare what a program printed with
// what it ran.

#include "standin_fixture.h"

#include <QFile>
#include <QTest>

using namespace standintest;

class TestTrace : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { m_world = std::make_unique<World>(); }

    void linesPerExecution()
    {
        const QString path = m_world->dataDir() + "/trace.log";
        Connection c;
        QVERIFY(SQL_SUCCEEDED(c.open("SCOTT", "tiger")));
        qputenv("ORACLE_STANDIN_TRACE", path.toUtf8());
        const QString create = "CREATE TABLE \"TR\"(\n\t\"A\" VARCHAR2(10)\r\n)";
        QVERIFY(run(c, create));
        QVERIFY(run(c, "INSERT INTO \"TR\" VALUES('a\\b')"));
        Statement s(c);
        QCOMPARE(s.prepare("INSERT INTO \"TR\" VALUES(?)"), SQLRETURN(SQL_SUCCESS));
        char values[3][4] = { "x", "y", "z" };
        SQLLEN lengths[3] = { SQL_NTS, SQL_NTS, SQL_NTS };
        QCOMPARE(s.setAttr(SQL_ATTR_PARAMSET_SIZE, SQLULEN(3)), SQLRETURN(SQL_SUCCESS));
        QCOMPARE(SQLBindParameter(s.handle(), 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 10, 0,
                     values, 4, lengths),
            SQLRETURN(SQL_SUCCESS));
        QCOMPARE(SQLExecute(s.handle()), SQLRETURN(SQL_SUCCESS));
        QCOMPARE(SQLExecute(s.handle()), SQLRETURN(SQL_SUCCESS));
        Statement refused(c);
        QCOMPARE(refused.exec("SELECT * FROM \"NOPE\""), SQLRETURN(SQL_ERROR));
        qunsetenv("ORACLE_STANDIN_TRACE");
        QVERIFY(run(c, "DROP TABLE \"TR\""));

        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(f.readAll()).split('\n');
        QCOMPARE(lines,
            (QStringList { "SQLExecDirect\t1\tCREATE TABLE \"TR\"(\\n\\t\"A\" VARCHAR2(10)\\r\\n)",
                "SQLExecDirect\t1\tINSERT INTO \"TR\" VALUES('a\\\\b')",
                "SQLExecute\t3\tINSERT INTO \"TR\" VALUES(?)",
                "SQLExecute\t3\tINSERT INTO \"TR\" VALUES(?)",
                "SQLExecDirect\t1\tSELECT * FROM \"NOPE\"", "" }));
    }

private:
    std::unique_ptr<World> m_world;
};

QTEST_GUILESS_MAIN(TestTrace)
#include "test_trace.moc"

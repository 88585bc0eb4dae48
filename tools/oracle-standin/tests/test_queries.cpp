// SELECT through unixODBC as Oracle answers it: WHERE with Oracle's
// implicit conversions and three-valued logic, ORDER BY under
// NLS_SORT=BINARY, DISTINCT, OFFSET/FETCH, COUNT, the functions, the
// description of expression columns, markers, and Oracle's errors.

#include "standin_fixture.h"

#include <QTest>

using namespace standintest;

class TestQueries : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_world = std::make_unique<World>();
        m_c = std::make_unique<Connection>();
        QVERIFY(SQL_SUCCEEDED(m_c->open("SCOTT", "tiger")));
        QVERIFY(run(*m_c,
            "CREATE TABLE Q(ID NUMBER(10) PRIMARY KEY, NAME VARCHAR2(20), AMT NUMBER(8,2), D "
            "DATE, C CHAR(3))"));
        for (const char* values :
            { "1, 'b', 10.5, DATE '2024-01-02', 'x'", "2, 'a', -3, DATE '2023-05-06', 'yy'",
                "3, 'B', 10.25, TIMESTAMP '2024-01-02 10:00:00', NULL", "4, 'é', NULL, NULL, 'x'",
                "5, NULL, 100, DATE '1999-12-31', 'zzz'" })
            QVERIFY(run(*m_c, QString("INSERT INTO Q VALUES(%1)").arg(values)));
    }

    void rows_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("expected");
        auto row = [](const char* name, const char* sql, QStringList expected) {
            QTest::newRow(name) << QString(sql) << expected;
        };
        row("number comparison", "SELECT ID FROM Q WHERE AMT > 10 ORDER BY ID", { "1", "3", "5" });
        row("text converted to number", "SELECT ID FROM Q WHERE AMT > '10.3' ORDER BY ID",
            { "1", "5" });
        row("text compared by bytes", "SELECT ID, NAME FROM Q WHERE NAME > 'a' ORDER BY ID",
            { "1|b", "4|é" });
        row("text by NLS date format", "SELECT ID FROM Q WHERE D = '02-JAN-24'", { "1" });
        row("CHAR and literal blank-padded", "SELECT ID FROM Q WHERE C = 'x' ORDER BY ID",
            { "1", "4" });
        row("NOT of unknown is unknown", "SELECT ID FROM Q WHERE NOT (AMT > 10)", { "2" });
        row("OR with IS NULL", "SELECT ID FROM Q WHERE AMT > 10 OR NAME IS NULL ORDER BY ID",
            { "1", "3", "5" });
        row("NOT IN", "SELECT ID FROM Q WHERE NAME IS NOT NULL AND ID NOT IN (1, 2) ORDER BY ID",
            { "3", "4" });
        row("NOT IN with a NULL", "SELECT ID FROM Q WHERE ID NOT IN (1, NULL)", {});
        row("BETWEEN", "SELECT ID FROM Q WHERE ID BETWEEN 2 AND 4 ORDER BY ID", { "2", "3", "4" });
        row("NOT BETWEEN", "SELECT ID FROM Q WHERE ID NOT BETWEEN 2 AND 4 ORDER BY ID",
            { "1", "5" });
        row("LIKE one character", "SELECT ID FROM Q WHERE NAME LIKE '_' ORDER BY ID",
            { "1", "2", "3", "4" });
        row("LIKE with ESCAPE", "SELECT 1 FROM DUAL WHERE 'a_b' LIKE 'a\\_b' ESCAPE '\\'", { "1" });
        row("escaped _ is no wildcard", "SELECT 1 FROM DUAL WHERE 'axb' LIKE 'a\\_b' ESCAPE '\\'",
            {});
        row("ORDER BY text: bytes, NULL last", "SELECT ID FROM Q ORDER BY NAME",
            { "3", "2", "1", "4", "5" });
        row("DESC puts NULL first", "SELECT ID FROM Q ORDER BY NAME DESC",
            { "5", "4", "1", "2", "3" });
        row("NULLS FIRST", "SELECT ID FROM Q ORDER BY NAME NULLS FIRST",
            { "5", "3", "2", "1", "4" });
        row("numbers by value", "SELECT ID FROM Q ORDER BY AMT DESC NULLS LAST",
            { "5", "1", "3", "2", "4" });
        row("dates in time", "SELECT ID FROM Q ORDER BY D, ID", { "5", "2", "1", "3", "4" });
        row("by alias and position", "SELECT ID, NAME AS N FROM Q WHERE ID < 4 ORDER BY N",
            { "3|B", "2|a", "1|b" });
        row("position", "SELECT NAME, ID FROM Q WHERE ID < 3 ORDER BY 2 DESC", { "a|2", "b|1" });
        row("NLSSORT binary",
            "SELECT ID FROM Q WHERE NAME IS NOT NULL ORDER BY NLSSORT(NAME, "
            "'NLS_SORT=BINARY') DESC",
            { "4", "1", "2", "3" });
        row("DISTINCT", "SELECT DISTINCT C FROM Q ORDER BY C", { "x  ", "yy ", "zzz", "<null>" });
        row("COUNT", "SELECT COUNT(*), COUNT(AMT) FROM Q", { "5|4" });
        row("COUNT of nothing", "SELECT COUNT(*) FROM Q WHERE ID > 10", { "0" });
        row("OFFSET and FETCH",
            "SELECT ID FROM Q ORDER BY ID DESC OFFSET 1 ROWS FETCH FIRST 2 ROWS ONLY",
            { "4", "3" });
        row("FETCH FIRST ROW", "SELECT ID FROM Q ORDER BY ID FETCH FIRST ROW ONLY", { "1" });
        row("functions of a row",
            "SELECT MOD(AMT, 3), LENGTH(NAME), UPPER(NAME), LOWER('ÀB'), SUBSTR(NAME, 1, 1) FROM "
            "Q WHERE ID = 4",
            { "<null>|1|É|àb|é" });
        row("MOD keeps the dividend's sign",
            "SELECT MOD(-11, 4), MOD(11, -4), MOD(10.5, 3), MOD(5, 0) FROM DUAL", { "-3|3|1.5|5" });
        row("SUBSTR positions",
            "SELECT SUBSTR('abcdef', -3, 2), SUBSTR('abcdef', 0, 2), "
            "SUBSTR('abcdef', 3), SUBSTR('abc', 5) FROM DUAL",
            { "de|ab|cdef|<null>" });
        row("NVL and TO_CHAR",
            "SELECT NVL(NAME, 'none'), TO_CHAR(D, 'YYYY-MM-DD HH24:MI'), TO_CHAR(0.5) FROM Q "
            "WHERE ID = 5",
            { "none|1999-12-31 00:00|.5" });
        row("TO_DATE with a mask",
            "SELECT ID FROM Q WHERE D = TO_DATE('2024-01-02 10', 'YYYY-MM-DD HH24')", { "3" });
        row("qualified columns and aliases",
            "SELECT q.ID AS \"Id\", q.NAME n FROM Q q WHERE q.ID = 2", { "2|a" });
        row("t.*", "SELECT t.* FROM Q t WHERE ID = 1", { "1|b|10.5|2024-01-02 00:00:00|x  " });
        row("ORA_HASH in range", "SELECT COUNT(*) FROM Q WHERE ORA_HASH(ID, 7) BETWEEN 0 AND 7",
            { "5" });
        row("ORA_HASH of equal values",
            "SELECT 1 FROM DUAL WHERE ORA_HASH(5) = ORA_HASH(5.0) AND ORA_HASH('a', 99, 3) = "
            "ORA_HASH('a', 99, 3)",
            { "1" });
    }

    void rows()
    {
        QFETCH(QString, sql);
        QFETCH(QStringList, expected);
        Statement s(*m_c);
        QVERIFY2(SQL_SUCCEEDED(s.exec(sql)), qPrintable(s.diag().message));
        QCOMPARE(s.rows(), expected);
    }

    void errors_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("message");
        auto error = [](const char* sql, const char* message) {
            QTest::newRow(sql) << QString(sql) << QString(message);
        };
        error("SELECT NOPE FROM Q", "ORA-00904: \"NOPE\": invalid identifier");
        error("SELECT x.ID FROM Q", "ORA-00904: \"X\".\"ID\": invalid identifier");
        error("SELECT FOO(ID) FROM Q", "ORA-00904: \"FOO\": invalid identifier");
        error("SELECT MOD(ID) FROM Q", "ORA-00909: invalid number of arguments");
        error("SELECT ID, COUNT(*) FROM Q", "ORA-00937: not a single-group group function");
        error(
            "SELECT ID FROM Q WHERE COUNT(*) > 1", "ORA-00934: group function is not allowed here");
        error("SELECT ID FROM Q WHERE NAME = 1", "ORA-01722: invalid number");
        error("SELECT ID FROM Q WHERE D = 5",
            "ORA-00932: inconsistent datatypes: expected DATE got NUMBER");
        error("SELECT ID FROM Q ORDER BY 3",
            "ORA-01785: ORDER BY item must be the number of a SELECT-list expression");
        error("SELECT DISTINCT NAME FROM Q ORDER BY ID", "ORA-01791: not a SELECTed expression");
        error("SELECT ID FROM Q GROUP BY ID", "ORA-03001: unimplemented feature");
        error("SELECT ID FROM Q, DUAL", "ORA-03001: unimplemented feature");
        error("SELECT ID + 1 FROM Q", "ORA-03001: unimplemented feature");
        error("SELECT ID FROM Q WHERE ID", "ORA-00920: invalid relational operator");
        error("SELECT ID FROM Q WHERE NAME LIKE 'a' ESCAPE 'xy'",
            "ORA-01425: escape character must be character string of length 1");
        error("SELECT ID FROM Q ORDER BY", "ORA-00936: missing expression");
        error("SELECT ID FROM Q WHERE ID < > 1", "ORA-00936: missing expression");
        error("SELECT ID FROM Q WHERE ID = 1 ORDER ID", "ORA-00924: missing BY keyword");
        error("SELECT ID Q", "ORA-00923: FROM keyword not found where expected");
        error("ALTER SESSION SET NLS_SORT = GERMAN", "ORA-03001: unimplemented feature");
    }

    void errors()
    {
        QFETCH(QString, sql);
        QFETCH(QString, message);
        // Faults of the statement come at execute, faults of a row's value
        // (a text that is no number) when the row is fetched, as with Oracle.
        Statement s(*m_c);
        const SQLRETURN rc = s.exec(sql);
        if (SQL_SUCCEEDED(rc))
            QCOMPARE(SQLFetch(s.handle()), SQLRETURN(SQL_ERROR));
        QCOMPARE(s.diag().message, "[Oracle][ODBC][Ora]" + message);
    }

    // Expression columns are named as Oracle names them and described as
    // their type is: COUNT(*) is a NUMBER, a literal a CHAR of its length.
    void describesExpressions()
    {
        Statement t(*m_c);
        QVERIFY(SQL_SUCCEEDED(t.exec("SELECT ID, 'abc' AS L, mod(ID, 2) FROM Q")));
        const struct {
            const char* name;
            SQLSMALLINT type;
            SQLULEN size;
        } expected[]
            = { { "ID", SQL_DECIMAL, 10 }, { "L", SQL_CHAR, 3 }, { "MOD(ID,2)", SQL_DECIMAL, 38 } };
        for (int i = 0; i < 3; ++i) {
            SQLWCHAR name[64];
            SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
            SQLULEN size = 0;
            QCOMPARE(SQLDescribeColW(t.handle(), SQLUSMALLINT(i + 1), name, 64, &nameLength, &type,
                         &size, &digits, &nullable),
                SQLRETURN(SQL_SUCCESS));
            QCOMPARE(QString::fromUtf16(reinterpret_cast<const char16_t*>(name), nameLength),
                QString(expected[i].name));
            QCOMPARE(type, expected[i].type);
            QCOMPARE(size, expected[i].size);
        }
        Statement count(*m_c);
        QVERIFY(SQL_SUCCEEDED(count.exec("SELECT COUNT(*) FROM Q")));
        SQLWCHAR name[64];
        SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        QCOMPARE(SQLDescribeColW(
                     count.handle(), 1, name, 64, &nameLength, &type, &size, &digits, &nullable),
            SQLRETURN(SQL_SUCCESS));
        QCOMPARE(QString::fromUtf16(reinterpret_cast<const char16_t*>(name), nameLength),
            QString("COUNT(*)"));
        QCOMPARE(type, SQLSMALLINT(SQL_DECIMAL));
        QCOMPARE(size, SQLULEN(38));
        QCOMPARE(count.rows(), QStringList { "5" });
    }

    // A bound text is a VARCHAR2: against a CHAR column it compares without
    // blank-padding, as Oracle compares a bind.
    void markers()
    {
        Statement s(*m_c);
        QCOMPARE(s.prepare("SELECT ID FROM Q WHERE C = ? OR ID = ? ORDER BY ID"),
            SQLRETURN(SQL_SUCCESS));
        SQLWCHAR text[8] = {};
        SQLLEN textLength = SQL_NTS;
        SQLINTEGER id = 5;
        QCOMPARE(SQLBindParameter(s.handle(), 1, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR, 3, 0,
                     text, sizeof text, &textLength),
            SQLRETURN(SQL_SUCCESS));
        QCOMPARE(SQLBindParameter(s.handle(), 2, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0,
                     &id, 0, nullptr),
            SQLRETURN(SQL_SUCCESS));
        const struct {
            const char16_t* value;
            QStringList ids;
        } cases[] = { { u"x", { "5" } }, { u"x  ", { "1", "4", "5" } } };
        for (const auto& c : cases) {
            std::char_traits<char16_t>::copy(reinterpret_cast<char16_t*>(text), c.value,
                std::char_traits<char16_t>::length(c.value) + 1);
            QCOMPARE(SQLExecute(s.handle()), SQLRETURN(SQL_SUCCESS));
            QCOMPARE(s.rows(), c.ids);
            s.close();
        }
    }

    // ORA_HASH gives one value for one input in any session and any process.
    void hashIsStable()
    {
        const QString sql = "SELECT ORA_HASH('Tablewright', 1000000, 7) FROM DUAL";
        Connection other;
        QVERIFY(SQL_SUCCEEDED(other.open("SCOTT", "tiger")));
        Statement a(*m_c), b(other);
        QVERIFY(SQL_SUCCEEDED(a.exec(sql)) && SQL_SUCCEEDED(b.exec(sql)));
        const QStringList first = a.rows();
        QCOMPARE(b.rows(), first);
        QString out;
        QCOMPARE(m_world->admin({ "sql", "ZEDA", "SCOTT", sql }, &out), 0);
        QCOMPARE(QStringList { out.trimmed() }, first);
        QVERIFY(first.value(0).toLongLong() <= 1000000);
    }

private:
    std::unique_ptr<World> m_world;
    std::unique_ptr<Connection> m_c;
};

QTEST_GUILESS_MAIN(TestQueries)
#include "test_queries.moc"

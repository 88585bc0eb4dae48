// The statements the program sends to Oracle, their results and the errors
// Oracle gives, through unixODBC; plus sharing between connections and users.

#include "standin_fixture.h"

#include <QElapsedTimer>
#include <QTest>

using namespace standintest;

class TestStatements : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_world = std::make_unique<World>();
        QCOMPARE(m_world->admin({ "create-user", "ZEDA", "ADAMS", "wood" }), 0);
        m_scott = std::make_unique<Connection>();
        QVERIFY(SQL_SUCCEEDED(m_scott->open("scott", "tiger")));
        QVERIFY(run(*m_scott, "CREATE TABLE \"T\"(\"C\" VARCHAR(5),\"D\" INT)"));
        QVERIFY(run(*m_scott, "CREATE TABLE \"TAKEN\"(\"C\" INT)"));
    }

    void errors_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("state");
        QTest::addColumn<int>("native");
        QTest::addColumn<QString>("text");

        QTest::newRow("missing table") << "SELECT * FROM \"NOPE\""
                                       << "42S02" << 942 << "table or view does not exist";
        QTest::newRow("quoted name is case-sensitive")
            << "SELECT * FROM \"t\""
            << "42S02" << 942 << "table or view does not exist";
        QTest::newRow("trailing semicolon") << "SELECT * FROM \"T\";"
                                            << "42000" << 911 << "invalid character";
        QTest::newRow("other statement") << "TRUNCATE TABLE \"T\""
                                         << "42000" << 900 << "invalid SQL statement";
        QTest::newRow("empty statement") << ""
                                         << "42000" << 900 << "invalid SQL statement";
        QTest::newRow("name taken")
            << "CREATE TABLE \"TAKEN\"(\"X\" INT)"
            << "42S01" << 955 << "name is already used by an existing object";
        QTest::newRow("duplicate column") << "CREATE TABLE \"U\"(\"A\" INT,\"A\" DATE)"
                                          << "42S21" << 957 << "duplicate column name";
        QTest::newRow("VARCHAR2 too long")
            << "CREATE TABLE \"U\"(\"A\" VARCHAR2(4001))"
            << "42000" << 910 << "specified length too long for its datatype";
        QTest::newRow("NCHAR too long")
            << "CREATE TABLE \"U\"(\"A\" NCHAR(1001))"
            << "42000" << 910 << "specified length too long for its datatype";
        QTest::newRow("unknown type") << "CREATE TABLE \"U\"(\"A\" WIBBLE)"
                                      << "42000" << 902 << "invalid datatype";
        QTest::newRow("name of 129 bytes")
            << "CREATE TABLE \"" + QString(129, 'N') + "\"(\"A\" INT)"
            << "42000" << 972 << "identifier is too long";
        QTest::newRow("missing parenthesis") << "CREATE TABLE \"U\"(\"A\" INT"
                                             << "42000" << 907 << "missing right parenthesis";
        QTest::newRow("unterminated string")
            << "INSERT INTO \"T\" VALUES('x"
            << "42000" << 1756 << "quoted string not properly terminated";
        QTest::newRow("too few values") << "INSERT INTO \"T\" VALUES('x')"
                                        << "21S01" << 947 << "not enough values";
        QTest::newRow("too many values") << "INSERT INTO \"T\" VALUES('x', '1', '2')"
                                         << "21S01" << 913 << "too many values";
        QTest::newRow("insert into missing table")
            << "INSERT INTO \"NOPE\" VALUES('x')"
            << "42S02" << 942 << "table or view does not exist";
        QTest::newRow("drop missing table") << "DROP TABLE \"NOPE\""
                                            << "42S02" << 942 << "table or view does not exist";
        QTest::newRow("rename missing table") << "RENAME \"NOPE\" TO \"X\""
                                              << "42S02" << 4043 << "object NOPE does not exist";
        QTest::newRow("rename onto taken name")
            << "RENAME \"T\" TO \"TAKEN\""
            << "42S01" << 955 << "name is already used by an existing object";
        QTest::newRow("unknown session setting")
            << "ALTER SESSION SET NLS_WIBBLE = 'x'"
            << "42000" << 2248 << "invalid option for ALTER SESSION";
        QTest::newRow("bad date format") << "ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-QQ'"
                                         << "42000" << 1821 << "date format not recognized";
        QTest::newRow("unknown column") << "SELECT \"Z\" FROM \"T\""
                                        << "42S22" << 904 << "\"Z\": invalid identifier";
        // A quoted name may not hold a double quote, however written. The
        // text is Oracle's own, listed as DIA-25716 in its error reference:
        // https://docs.oracle.com/en/error-help/db/dia-25716
        QTest::newRow("double quote inside a name")
            << "CREATE TABLE \"a\"\"b\"(\"c\" INT)"
            << "42000" << 25716 << "The identifier contains a double quotation mark (\") character";
        QTest::newRow("double quote inside a renamed name")
            << "RENAME \"T\" TO \"x\"\" TO \"\"Y\""
            << "42000" << 25716 << "The identifier contains a double quotation mark (\") character";
        QTest::newRow("literal of 4,001 bytes")
            << "INSERT INTO \"T\" VALUES('" + QString(4001, 'x') + "', NULL)"
            << "42000" << 1704 << "string literal too long";
    }

    void errors()
    {
        QFETCH(QString, sql);
        QFETCH(QString, state);
        QFETCH(int, native);
        QFETCH(QString, text);
        Statement s(*m_scott);
        QCOMPARE(s.exec(sql), SQLRETURN(SQL_ERROR));
        const Diag d = s.diag();
        QCOMPARE(d.state, state);
        QCOMPARE(d.native, native);
        QCOMPARE(d.message,
            QString("[Oracle][ODBC][Ora]ORA-%1: %2").arg(native, 5, 10, QChar('0')).arg(text));
    }

    void statementsOfTheProgram()
    {
        // Exactly as the transfer builds them: no blank after the commas of
        // CREATE TABLE, every value a quoted literal, NULL for empty values.
        Connection c;
        QVERIFY(SQL_SUCCEEDED(c.open("SCOTT", "tiger")));
        QVERIFY(run(c, "ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD HH24:MI:SS'"));
        QVERIFY(run(c, "ALTER SESSION SET NLS_TIMESTAMP_FORMAT = 'YYYY-MM-DD HH24:MI:SS.FF'"));
        QVERIFY(run(c, "ALTER SESSION SET NLS_NUMERIC_CHARACTERS = '.,'"));
        Statement s(c);
        QVERIFY(SQL_SUCCEEDED(s.exec("CREATE TABLE \"orders\"(\"C\" VARCHAR(2000),\"D\" INT,\"E\" "
                                     "DATE,\"F\" FLOAT,\"G\" BLOB)")));
        QCOMPARE(s.rowCount(), SQLLEN(0));
        QVERIFY(SQL_SUCCEEDED(s.exec(
            "INSERT INTO \"orders\" VALUES('1', NULL, '2024-05-01 13:45:07', '2.5', 'CAFE')")));
        QCOMPARE(s.rowCount(), SQLLEN(1));
        QVERIFY(run(c, "INSERT INTO \"orders\" VALUES('O''Brien', '7', NULL, '-1e3', NULL)"));
        QVERIFY(SQL_SUCCEEDED(s.exec("SELECT * FROM \"orders\"")));
        QCOMPARE(s.rowCount(), SQLLEN(-1));
        QCOMPARE(s.rows(),
            QStringList(
                { "1|<null>|2024-05-01 13:45:07|2.5|CAFE", "O'Brien|7|<null>|-1000|<null>" }));
        QVERIFY(SQL_SUCCEEDED(s.exec("RENAME \"orders\" TO \"Orders 2\"")));
        QCOMPARE(s.rowCount(), SQLLEN(0));
        QVERIFY(SQL_SUCCEEDED(s.exec("SELECT * FROM \"Orders 2\"")));
        QCOMPARE(s.rows().size(), 2);
        QVERIFY(SQL_SUCCEEDED(s.exec("DROP TABLE \"Orders 2\"")));
        QCOMPARE(s.rowCount(), SQLLEN(0));
        QCOMPARE(s.exec("SELECT * FROM \"Orders 2\""), SQLRETURN(SQL_ERROR));
    }

    void names_data()
    {
        QTest::addColumn<QString>("create");
        QTest::addColumn<QString>("select");
        QTest::addColumn<QString>("listed");

        QTest::newRow("unquoted is upper-cased") << "CREATE TABLE lower_t(a INT)"
                                                 << "SELECT * FROM \"LOWER_T\""
                                                 << "LOWER_T";
        QTest::newRow("quoted keeps case") << "CREATE TABLE \"Mixed\"(\"a\" INT)"
                                           << "SELECT * FROM \"Mixed\""
                                           << "Mixed";
        QTest::newRow("single quote and blank inside") << "CREATE TABLE \"O'Hara x\"(\"c\" INT)"
                                                       << "SELECT * FROM \"O'Hara x\""
                                                       << "O'Hara x";
        QTest::newRow("blanks and non-Latin") << "CREATE TABLE \"Zürich ÿ 表\"(\"ä\" INT)"
                                              << "SELECT * FROM \"Zürich ÿ 表\""
                                              << "Zürich ÿ 表";
        QTest::newRow("128 bytes") << "CREATE TABLE \"" + QString(128, 'L') + "\"(A INT)"
                                   << "SELECT * FROM " + QString(128, 'L') << QString(128, 'L');
    }

    void names()
    {
        QFETCH(QString, create);
        QFETCH(QString, select);
        QFETCH(QString, listed);
        QVERIFY(run(*m_scott, create));
        Statement s(*m_scott);
        QVERIFY2(SQL_SUCCEEDED(s.exec(select)), qPrintable(s.diag().message));
        QVERIFY(SQL_SUCCEEDED(s.exec("SELECT table_name FROM user_tables")));
        QVERIFY2(s.rows().contains(listed), qPrintable(listed));
    }

    void listingHasOneColumn()
    {
        Statement s(*m_scott);
        QVERIFY(SQL_SUCCEEDED(s.exec("SELECT table_name FROM user_tables")));
        QCOMPARE(s.columnCount(), SQLSMALLINT(1));
        SQLWCHAR name[32];
        SQLSMALLINT length = 0, type = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        QVERIFY(SQL_SUCCEEDED(
            SQLDescribeColW(s.handle(), 1, name, 32, &length, &type, &size, &digits, &nullable)));
        QCOMPARE(QString::fromUtf16(reinterpret_cast<const char16_t*>(name), length),
            QString("TABLE_NAME"));
        QCOMPARE(type, SQLSMALLINT(SQL_VARCHAR));
        QCOMPARE(s.rowCount(), SQLLEN(-1));
    }

    void twoConnectionsSeeEachOther()
    {
        Connection a, b;
        QVERIFY(SQL_SUCCEEDED(a.open("SCOTT", "tiger")));
        QVERIFY(SQL_SUCCEEDED(b.open("SCOTT", "tiger")));
        QVERIFY(run(a, "CREATE TABLE \"SHARED\"(\"N\" INT)"));
        QVERIFY(run(b, "INSERT INTO \"SHARED\" VALUES('41')"));
        QVERIFY(run(a, "INSERT INTO \"SHARED\" VALUES('42')"));
        Statement sb(b);
        QVERIFY(SQL_SUCCEEDED(sb.exec("SELECT table_name FROM user_tables")));
        QVERIFY(sb.rows().contains("SHARED"));
        QVERIFY(SQL_SUCCEEDED(sb.exec("SELECT * FROM \"SHARED\"")));
        QCOMPARE(sb.rows(), QStringList({ "41", "42" }));
        QVERIFY(run(b, "DROP TABLE \"SHARED\""));
        Statement sa(a);
        QCOMPARE(sa.exec("SELECT * FROM \"SHARED\""), SQLRETURN(SQL_ERROR));
        QCOMPARE(sa.diag().native, 942);
    }

    // The program reads all rows of a SELECT and drops the table on the same
    // connection before it frees the statement.
    void dropAfterReadingAllRows()
    {
        QVERIFY(run(*m_scott, "CREATE TABLE \"READ\"(\"N\" INT)"));
        QVERIFY(run(*m_scott, "INSERT INTO \"READ\" VALUES('1')"));
        Statement s(*m_scott);
        QVERIFY(SQL_SUCCEEDED(s.exec("SELECT * FROM \"READ\"")));
        QVERIFY(s.fetch());
        QVERIFY(!s.fetch());
        QVERIFY(run(*m_scott, "DROP TABLE \"READ\""));
        // The cursor itself stays open until closed, as before.
        SQLCHAR again[] = "SELECT * FROM \"T\"";
        QCOMPARE(SQLExecDirect(s.handle(), again, SQL_NTS), SQLRETURN(SQL_ERROR));
        QCOMPARE(s.diag().state, QString("24000"));
        QCOMPARE(SQLFreeStmt(s.handle(), SQL_CLOSE), SQLRETURN(SQL_SUCCESS));
    }

    // A half-read cursor keeps the rows of its execute and lets every other
    // statement write, on its own connection and on another.
    void writersWhileCursorOpen()
    {
        Connection b;
        QVERIFY(SQL_SUCCEEDED(b.open("SCOTT", "tiger")));
        QVERIFY(run(*m_scott, "CREATE TABLE \"HALF\"(\"N\" INT)"));
        QVERIFY(run(*m_scott, "INSERT INTO \"HALF\" VALUES('1')"));
        QVERIFY(run(*m_scott, "INSERT INTO \"HALF\" VALUES('2')"));
        Statement s(*m_scott);
        QVERIFY(SQL_SUCCEEDED(s.exec("SELECT * FROM \"HALF\"")));
        QVERIFY(s.fetch());
        QCOMPARE(s.text(1), QString("1"));
        QElapsedTimer timer;
        timer.start();
        QVERIFY(run(b, "INSERT INTO \"HALF\" VALUES('3')"));
        QVERIFY(run(*m_scott, "INSERT INTO \"HALF\" VALUES('4')"));
        QVERIFY(run(*m_scott, "CREATE TABLE \"BESIDE\"(\"N\" INT)"));
        QVERIFY(run(*m_scott, "DROP TABLE \"BESIDE\""));
        QVERIFY(timer.elapsed() < 5000);
        Statement sb(b);
        QVERIFY(SQL_SUCCEEDED(sb.exec("SELECT * FROM \"HALF\"")));
        QCOMPARE(sb.rows(), QStringList({ "1", "2", "3", "4" }));
        QVERIFY(s.fetch());
        QCOMPARE(s.text(1), QString("2"));
        QVERIFY(!s.fetch());
        QVERIFY(run(b, "DROP TABLE \"HALF\""));
    }

    // SQL_ATTR_MAX_ROWS cuts a streamed result as it cut a held one.
    void maxRowsLimitsTheCursor()
    {
        QVERIFY(run(*m_scott, "CREATE TABLE \"MANY\"(\"N\" INT)"));
        for (int i = 1; i <= 5; ++i)
            QVERIFY(run(*m_scott, QString("INSERT INTO \"MANY\" VALUES('%1')").arg(i)));
        Statement s(*m_scott);
        QVERIFY(SQL_SUCCEEDED(
            SQLSetStmtAttr(s.handle(), SQL_ATTR_MAX_ROWS, reinterpret_cast<SQLPOINTER>(3), 0)));
        QVERIFY(SQL_SUCCEEDED(s.exec("SELECT * FROM \"MANY\"")));
        QCOMPARE(s.rows(), QStringList({ "1", "2", "3" }));
        QVERIFY(run(*m_scott, "DROP TABLE \"MANY\""));
    }

    void twoUsersDoNot()
    {
        Connection adams;
        QVERIFY(SQL_SUCCEEDED(adams.open("adams", "wood")));
        Statement s(adams);
        QVERIFY(SQL_SUCCEEDED(s.exec("SELECT table_name FROM user_tables")));
        QCOMPARE(s.rows(), QStringList());
        QCOMPARE(s.exec("SELECT * FROM \"T\""), SQLRETURN(SQL_ERROR));
        QCOMPARE(s.diag().native, 942);
        // The same name in another schema is another table.
        QVERIFY(run(adams, "CREATE TABLE \"T\"(\"OTHER\" DATE)"));
        QVERIFY(SQL_SUCCEEDED(s.exec("SELECT table_name FROM user_tables")));
        QCOMPARE(s.rows(), QStringList({ "T" }));
        Statement mine(*m_scott);
        QVERIFY(SQL_SUCCEEDED(mine.exec("SELECT * FROM \"T\"")));
        SQLWCHAR name[16];
        SQLSMALLINT length = 0;
        QVERIFY(SQL_SUCCEEDED(SQLDescribeColW(
            mine.handle(), 1, name, 16, &length, nullptr, nullptr, nullptr, nullptr)));
        QCOMPARE(QString::fromUtf16(reinterpret_cast<const char16_t*>(name), length), QString("C"));
        QVERIFY(run(adams, "DROP TABLE \"T\""));
    }

    void sessionSettingsBelongToTheirConnection()
    {
        Connection iso, plain;
        QVERIFY(SQL_SUCCEEDED(iso.open("SCOTT", "tiger")));
        QVERIFY(SQL_SUCCEEDED(plain.open("SCOTT", "tiger")));
        QVERIFY(run(iso, "CREATE TABLE \"DATES\"(\"D\" DATE)"));
        QVERIFY(run(iso, "ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD HH24:MI:SS'"));
        QVERIFY(run(iso, "INSERT INTO \"DATES\" VALUES('2024-05-01 10:00:00')"));
        Statement s(plain);
        QCOMPARE(
            s.exec("INSERT INTO \"DATES\" VALUES('2024-05-01 10:00:00')"), SQLRETURN(SQL_ERROR));
        QCOMPARE(s.diag().native, 1843);
        QVERIFY(run(plain, "INSERT INTO \"DATES\" VALUES('01-MAY-24')"));
        QVERIFY(SQL_SUCCEEDED(s.exec("SELECT * FROM \"DATES\"")));
        QCOMPARE(s.rows(), QStringList({ "2024-05-01 10:00:00", "2024-05-01 00:00:00" }));
        QVERIFY(run(plain, "DROP TABLE \"DATES\""));
    }

private:
    std::unique_ptr<World> m_world;
    std::unique_ptr<Connection> m_scott;
};

QTEST_GUILESS_MAIN(TestStatements)
#include "test_statements.moc"

// The catalog functions (SQLPrimaryKeys, SQLColumns) and what SQLGetFunctions
// and SQLGetInfo say about them, through unixODBC. Result set shapes follow
// Microsoft's ODBC reference ("SQLPrimaryKeys Function", "SQLColumns
// Function", "Arguments in Catalog Functions"); the values come from what
// Oracle's dictionary holds for each column (ALL_TAB_COLUMNS: TYPE_NAME as
// DATA_TYPE, e.g. "TIMESTAMP(9)"; precision and scale as declared) and the
// Oracle ODBC driver's rule that with SQL_ATTR_METADATA_ID off an argument
// is taken literally, its case significant ("Supported Functionality").

#include "standin_fixture.h"

#include <QTest>

using namespace standintest;

namespace {

std::u16string wide(const QString& s)
{
    return s.toStdU16String();
}

SQLWCHAR* w(std::u16string& s)
{
    return reinterpret_cast<SQLWCHAR*>(s.data());
}

// Null QStrings stand for null pointers.
SQLRETURN columns(Statement& s, const QString& schema, const QString& table, const QString& column)
{
    std::u16string a = wide(schema), b = wide(table), c = wide(column);
    return SQLColumnsW(s.handle(), nullptr, 0, schema.isNull() ? nullptr : w(a), SQL_NTS,
        table.isNull() ? nullptr : w(b), SQL_NTS, column.isNull() ? nullptr : w(c), SQL_NTS);
}

// Chosen columns of every row, joined with '|'.
QStringList pick(Statement& s, std::initializer_list<int> wanted)
{
    QStringList out;
    while (s.fetch()) {
        QStringList cells;
        for (const int i : wanted)
            cells << s.text(i).value_or("<null>");
        out << cells.join('|');
    }
    return out;
}

} // namespace

class TestCatalog : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_world = std::make_unique<World>();
        QCOMPARE(m_world->admin({ "create-user", "ZEDA", "ADAMS", "wood" }), 0);
        m_c = std::make_unique<Connection>();
        QVERIFY(SQL_SUCCEEDED(m_c->open("SCOTT", "tiger")));
        QVERIFY(run(*m_c,
            "CREATE TABLE \"Keyed\"(\"B\" INT, \"A\" VARCHAR2(10), CONSTRAINT \"Pk\" PRIMARY KEY "
            "(\"A\", \"B\"))"));
        QVERIFY(run(*m_c, "CREATE TABLE \"CAT_A\"(X INT, Y INT)"));
        QVERIFY(run(*m_c, "CREATE TABLE \"CATXA\"(X INT)"));
        QVERIFY(run(*m_c, "CREATE TABLE \"Käse_1\"(\"ü\" INT)"));
        Connection adams;
        QVERIFY(SQL_SUCCEEDED(adams.open("ADAMS", "wood")));
        QVERIFY(run(adams, "CREATE TABLE \"Keyed\"(\"C\" INT PRIMARY KEY)"));
    }

    // The ANSI entry point, its column names, types and order.
    void primaryKeysResultSet()
    {
        Statement s(*m_c);
        QVERIFY(SQL_SUCCEEDED(SQLPrimaryKeys(
            s.handle(), nullptr, 0, (SQLCHAR*)"SCOTT", SQL_NTS, (SQLCHAR*)"Keyed", SQL_NTS)));
        QCOMPARE(s.columnCount(), SQLSMALLINT(6));
        const char* names[]
            = { "TABLE_CAT", "TABLE_SCHEM", "TABLE_NAME", "COLUMN_NAME", "KEY_SEQ", "PK_NAME" };
        const SQLSMALLINT types[]
            = { SQL_VARCHAR, SQL_VARCHAR, SQL_VARCHAR, SQL_VARCHAR, SQL_DECIMAL, SQL_VARCHAR };
        const SQLSMALLINT nullable[] = { SQL_NULLABLE, SQL_NO_NULLS, SQL_NO_NULLS, SQL_NO_NULLS,
            SQL_NO_NULLS, SQL_NULLABLE };
        for (SQLUSMALLINT i = 1; i <= 6; ++i) {
            SQLCHAR name[32];
            SQLSMALLINT length = 0, type = 0, digits = 0, canBeNull = 0;
            SQLULEN size = 0;
            QVERIFY(SQL_SUCCEEDED(SQLDescribeCol(
                s.handle(), i, name, 32, &length, &type, &size, &digits, &canBeNull)));
            QCOMPARE(
                QString::fromLatin1(reinterpret_cast<char*>(name), length), QString(names[i - 1]));
            QCOMPARE(type, types[i - 1]);
            QCOMPARE(canBeNull, nullable[i - 1]);
        }
        // Rows in key order, KEY_SEQ readable as the SMALLINT ODBC calls it.
        QStringList rows;
        while (s.fetch()) {
            SQLSMALLINT seq = 0;
            SQLLEN indicator = 0;
            QVERIFY(SQL_SUCCEEDED(
                SQLGetData(s.handle(), 5, SQL_C_SSHORT, &seq, sizeof seq, &indicator)));
            rows << QString("%1|%2|%3|%4|%5|%6")
                        .arg(s.text(1).value_or("<null>"), *s.text(2), *s.text(3), *s.text(4))
                        .arg(seq)
                        .arg(*s.text(6));
        }
        QCOMPARE(rows, QStringList({ "<null>|SCOTT|Keyed|A|1|Pk", "<null>|SCOTT|Keyed|B|2|Pk" }));
    }

    void primaryKeysArguments_data()
    {
        QTest::addColumn<QString>("schema"); // null: a null pointer
        QTest::addColumn<QString>("table");
        QTest::addColumn<bool>("metadataId");
        QTest::addColumn<QStringList>("columns");

        const QStringList both { "A", "B" };
        QTest::newRow("schema left out") << QString() << "Keyed" << false << both;
        QTest::newRow("own schema") << "SCOTT"
                                    << "Keyed" << false << both;
        QTest::newRow("case is significant") << "scott"
                                             << "Keyed" << false << QStringList();
        QTest::newRow("identifiers are folded") << "scott"
                                                << "\"Keyed\"" << true << both;
        QTest::newRow("folded to upper case") << "SCOTT"
                                              << "keyed" << true << QStringList();
        QTest::newRow("no pattern here") << "SCOTT"
                                         << "Key%" << false << QStringList();
        QTest::newRow("other user's table is not visible") << "ADAMS"
                                                           << "Keyed" << false << QStringList();
        QTest::newRow("table without key") << QString() << "CAT_A" << false << QStringList();
        QTest::newRow("no such table") << QString() << "NOPE" << false << QStringList();
    }

    void primaryKeysArguments()
    {
        QFETCH(QString, schema);
        QFETCH(QString, table);
        QFETCH(bool, metadataId);
        QFETCH(QStringList, columns);
        Statement s(*m_c);
        QVERIFY(SQL_SUCCEEDED(SQLSetStmtAttr(s.handle(), SQL_ATTR_METADATA_ID,
            reinterpret_cast<SQLPOINTER>(SQLULEN(metadataId ? SQL_TRUE : SQL_FALSE)), 0)));
        std::u16string a = wide(schema), b = wide(table);
        QVERIFY(SQL_SUCCEEDED(SQLPrimaryKeysW(
            s.handle(), nullptr, 0, schema.isNull() ? nullptr : w(a), SQL_NTS, w(b), SQL_NTS)));
        QCOMPARE(pick(s, { 4 }), columns);
    }

    void columnsDescribeDeclaredTypes_data()
    {
        QTest::addColumn<QString>("declaration");
        // DATA_TYPE|TYPE_NAME|COLUMN_SIZE|BUFFER_LENGTH|DECIMAL_DIGITS|NUM_PREC_RADIX|
        // NULLABLE|COLUMN_DEF|SQL_DATA_TYPE|SQL_DATETIME_SUB|CHAR_OCTET_LENGTH|IS_NULLABLE
        QTest::addColumn<QString>("row");

        const QString text = "%1|%2|%3|%4|<null>|<null>|%5|<null>|%1|<null>|%4|%6";
        auto character = [&](const char* decl, int type, const char* name, int size, int octets,
                             bool notNull) {
            QTest::newRow(decl) << decl
                                << text.arg(type)
                                       .arg(name)
                                       .arg(size)
                                       .arg(octets)
                                       .arg(notNull ? 0 : 1)
                                       .arg(notNull ? "NO" : "YES");
        };
        character("VARCHAR2(20)", SQL_VARCHAR, "VARCHAR2", 20, 20, false);
        character("VARCHAR2(10 CHAR) NOT NULL", SQL_VARCHAR, "VARCHAR2", 10, 40, true);
        character("NVARCHAR2(10)", SQL_WVARCHAR, "NVARCHAR2", 10, 20, false);
        character("CHAR(3)", SQL_CHAR, "CHAR", 3, 3, false);
        character("NCHAR(5)", SQL_WCHAR, "NCHAR", 5, 10, false);
        character("CLOB", SQL_LONGVARCHAR, "CLOB", 2147483647, 2147483647, false);
        character("RAW(16)", SQL_VARBINARY, "RAW", 16, 16, false);
        character("BLOB", SQL_LONGVARBINARY, "BLOB", 2147483647, 2147483647, false);
        character("LONG RAW", SQL_LONGVARBINARY, "LONG RAW", 2147483647, 2147483647, false);

        // Numbers: the declared precision and scale; none for NUMBER and the floats.
        QTest::newRow("NUMBER") << "NUMBER"
                                << "3|NUMBER|38|40|<null>|10|1|<null>|3|<null>|<null>|YES";
        QTest::newRow("NUMBER(10) NOT NULL") << "NUMBER(10) NOT NULL"
                                             << "3|NUMBER|10|12|0|10|0|<null>|3|<null>|<null>|NO";
        QTest::newRow("NUMBER(12,4)") << "NUMBER(12,4)"
                                      << "3|NUMBER|12|14|4|10|1|<null>|3|<null>|<null>|YES";
        QTest::newRow("NUMBER(5,-2)") << "NUMBER(5,-2)"
                                      << "3|NUMBER|5|9|-2|10|1|<null>|3|<null>|<null>|YES";
        QTest::newRow("NUMBER(*,2)") << "NUMBER(*,2)"
                                     << "3|NUMBER|38|40|2|10|1|<null>|3|<null>|<null>|YES";
        QTest::newRow("FLOAT(63)") << "FLOAT(63)"
                                   << "8|FLOAT|63|8|<null>|2|1|<null>|8|<null>|<null>|YES";
        QTest::newRow("BINARY_FLOAT")
            << "BINARY_FLOAT"
            << "7|BINARY_FLOAT|7|4|<null>|10|1|<null>|7|<null>|<null>|YES";
        QTest::newRow("BINARY_DOUBLE")
            << "BINARY_DOUBLE"
            << "8|BINARY_DOUBLE|15|8|<null>|10|1|<null>|8|<null>|<null>|YES";
        // Dates: SQL_DATETIME with its subcode, the fraction's digits.
        QTest::newRow("DATE") << "DATE"
                              << "93|DATE|19|16|0|<null>|1|<null>|9|3|<null>|YES";
        QTest::newRow("TIMESTAMP(9) NOT NULL")
            << "TIMESTAMP(9) NOT NULL"
            << "93|TIMESTAMP(9)|29|16|9|<null>|0|<null>|9|3|<null>|NO";
        QTest::newRow("TIMESTAMP(0)") << "TIMESTAMP(0)"
                                      << "93|TIMESTAMP(0)|19|16|0|<null>|1|<null>|9|3|<null>|YES";
        // Oracle's driver has no ODBC interval types: text, with the
        // precisions in TYPE_NAME and the fraction's digits in DECIMAL_DIGITS.
        QTest::newRow("INTERVAL DAY(3) TO SECOND(0)")
            << "INTERVAL DAY(3) TO SECOND(0)"
            << "12|INTERVAL DAY(3) TO SECOND(0)|13|13|0|<null>|1|<null>|12|<null>|13|YES";
        // Defaults as written.
        QTest::newRow("number default") << "INT DEFAULT -5"
                                        << "3|NUMBER|38|40|0|10|1|-5|3|<null>|<null>|YES";
        QTest::newRow("text default") << "VARCHAR2(5) DEFAULT 'it''s' NOT NULL"
                                      << "12|VARCHAR2|5|5|<null>|<null>|0|'it''s'|12|<null>|5|NO";
        QTest::newRow("TO_DATE default")
            << "DATE DEFAULT TO_DATE('2024-01-02', 'YYYY-MM-DD')"
            << "93|DATE|19|16|0|<null>|1|TO_DATE('2024-01-02', 'YYYY-MM-DD')|9|3|<null>|YES";
        QTest::newRow("INTERVAL default")
            << "INTERVAL DAY TO SECOND DEFAULT INTERVAL '1 0:0:0' DAY TO SECOND"
            << "12|INTERVAL DAY(2) TO SECOND(6)|19|19|6|<null>|1|INTERVAL '1 0:0:0' DAY(2) TO "
               "SECOND(6)|12|<null>|19|YES";
    }

    void columnsDescribeDeclaredTypes()
    {
        QFETCH(QString, declaration);
        QFETCH(QString, row);
        QVERIFY(run(*m_c, "CREATE TABLE \"COLS\"(\"C\" " + declaration + ")"));
        Statement s(*m_c);
        QVERIFY(SQL_SUCCEEDED(columns(s, "SCOTT", "COLS", QString())));
        QCOMPARE(s.columnCount(), SQLSMALLINT(18));
        QCOMPARE(pick(s, { 5, 6, 7, 8, 9, 10, 11, 13, 14, 15, 16, 18 }), QStringList { row });
        s.close();
        QVERIFY(run(*m_c, "DROP TABLE \"COLS\""));
    }

    void columnsPatterns_data()
    {
        QTest::addColumn<QString>("schema");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QStringList>("found"); // TABLE.COLUMN ORDINAL

        QTest::newRow("one table")
            << "SCOTT"
            << "CAT\\_A" << QString() << QStringList { "CAT_A.X 1", "CAT_A.Y 2" };
        QTest::newRow("underscore is any character")
            << "SCOTT"
            << "CAT_A"
            << "X" << QStringList { "CAT_A.X 1", "CATXA.X 1" };
        QTest::newRow("escaped underscore")
            << QString() << "CAT\\_%" << QString() << QStringList { "CAT_A.X 1", "CAT_A.Y 2" };
        QTest::newRow("column pattern") << "SCOTT"
                                        << "%"
                                        << "_"
                                        << QStringList { "CAT_A.X 1", "CAT_A.Y 2", "CATXA.X 1",
                                               "Keyed.A 2", "Keyed.B 1", "Käse_1.ü 1" };
        QTest::newRow("non-Latin names") << "SCOTT"
                                         << "K_se\\_%"
                                         << "%" << QStringList { "Käse_1.ü 1" };
        QTest::newRow("case is significant") << "SCOTT"
                                             << "cat_a" << QString() << QStringList();
        QTest::newRow("other schema") << "ADAMS"
                                      << "%" << QString() << QStringList();
        QTest::newRow("empty schema: none") << ""
                                            << "%" << QString() << QStringList();
    }

    void columnsPatterns()
    {
        QFETCH(QString, schema);
        QFETCH(QString, table);
        QFETCH(QString, column);
        QFETCH(QStringList, found);
        Statement s(*m_c);
        QVERIFY(SQL_SUCCEEDED(columns(s, schema, table, column)));
        QStringList got;
        for (const QString& r : pick(s, { 3, 4, 17 })) {
            const QStringList p = r.split('|');
            got << p[0] + "." + p[1] + " " + p[2];
        }
        got.sort();
        found.sort();
        QCOMPARE(got, found);
    }

    // The driver manager answers SQLGetFunctions from the entry points the
    // driver has; the catalog functions it lacks must stay unreported.
    void getFunctionsAndInfo()
    {
        const std::pair<SQLUSMALLINT, SQLUSMALLINT> functions[]
            = { { SQL_API_SQLPRIMARYKEYS, SQL_TRUE }, { SQL_API_SQLCOLUMNS, SQL_TRUE },
                  { SQL_API_SQLFOREIGNKEYS, SQL_TRUE }, { SQL_API_SQLSTATISTICS, SQL_TRUE },
                  { SQL_API_SQLTABLES, SQL_FALSE } };
        for (const auto& [function, supported] : functions) {
            SQLUSMALLINT got = 99;
            QVERIFY(SQL_SUCCEEDED(SQLGetFunctions(m_c->handle(), function, &got)));
            QVERIFY2(got == supported, qPrintable(QString::number(function)));
        }
        SQLUINTEGER bits = 0;
        QVERIFY(SQL_SUCCEEDED(
            SQLGetInfo(m_c->handle(), SQL_CREATE_TABLE, &bits, sizeof bits, nullptr)));
        QCOMPARE(bits
                & (SQL_CT_COLUMN_CONSTRAINT | SQL_CT_TABLE_CONSTRAINT
                    | SQL_CT_CONSTRAINT_NAME_DEFINITION | SQL_CT_COLUMN_DEFAULT),
            SQLUINTEGER(SQL_CT_COLUMN_CONSTRAINT | SQL_CT_TABLE_CONSTRAINT
                | SQL_CT_CONSTRAINT_NAME_DEFINITION | SQL_CT_COLUMN_DEFAULT));
        QCOMPARE(bits & SQL_CT_CONSTRAINT_DEFERRABLE, SQLUINTEGER(0));
        QVERIFY(SQL_SUCCEEDED(
            SQLGetInfo(m_c->handle(), SQL_DATETIME_LITERALS, &bits, sizeof bits, nullptr)));
        QCOMPARE(bits, SQLUINTEGER(SQL_DL_SQL92_DATE | SQL_DL_SQL92_TIMESTAMP));
    }

private:
    std::unique_ptr<World> m_world;
    std::unique_ptr<Connection> m_c;
};

QTEST_GUILESS_MAIN(TestCatalog)
#include "test_catalog.moc"

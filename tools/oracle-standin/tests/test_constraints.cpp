// NOT NULL, PRIMARY KEY and DEFAULT in CREATE TABLE and what they do to
// INSERT, through unixODBC. Texts and numbers of the errors are Oracle's:
// Oracle Database Error Messages (ORA-00001, ORA-01400 "cannot insert NULL
// into ("USER"."TABLE"."COLUMN")", ORA-02260, ORA-02264, ORA-02269,
// ORA-02329, ORA-01450, ORA-01793) and the SQL Language Reference,
// "constraint" (NOT NULL inline only; a key column is NOT NULL; DEFAULT
// before the constraints).

#include "standin_fixture.h"

#include <QRegularExpression>
#include <QTest>

using namespace standintest;

namespace {

QString oraMessage(int native, const QString& text)
{
    return QString("[Oracle][ODBC][Ora]ORA-%1: %2").arg(native, 5, 10, QChar('0')).arg(text);
}

// The primary key as SQLPrimaryKeysW reports it: "NAME:COL1,COL2", or "".
QString primaryKey(const Connection& c, const QString& table)
{
    Statement s(c);
    const std::u16string name = table.toStdU16String();
    if (!SQL_SUCCEEDED(SQLPrimaryKeysW(s.handle(), nullptr, 0, nullptr, 0,
            const_cast<SQLWCHAR*>(reinterpret_cast<const SQLWCHAR*>(name.c_str())), SQL_NTS)))
        return "<error " + s.diag().message + ">";
    QString keyName;
    QStringList columns;
    while (s.fetch()) {
        keyName = s.text(6).value_or("<null>");
        columns << s.text(4).value_or("<null>");
    }
    return columns.isEmpty() ? QString() : keyName + ":" + columns.join(',');
}

// "NO"/"YES" per column, from SQLDescribeColW of SELECT *.
QString nullability(const Connection& c, const QString& table)
{
    Statement s(c);
    if (!SQL_SUCCEEDED(s.exec("SELECT * FROM \"" + table + "\"")))
        return "<error " + s.diag().message + ">";
    QStringList out;
    for (SQLUSMALLINT i = 1; i <= SQLUSMALLINT(s.columnCount()); ++i) {
        SQLSMALLINT nullable = -1;
        SQLDescribeColW(s.handle(), i, nullptr, 0, nullptr, nullptr, nullptr, nullptr, &nullable);
        out << (nullable == SQL_NO_NULLS ? "NO" : nullable == SQL_NULLABLE ? "YES" : "?");
    }
    return out.join(',');
}

} // namespace

class TestConstraints : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_world = std::make_unique<World>();
        m_c = std::make_unique<Connection>();
        QVERIFY(SQL_SUCCEEDED(m_c->open("SCOTT", "tiger")));
    }

    void cleanup()
    {
        for (const char* table : { "K", "K2", "R" })
            Statement(*m_c).exec(QString("DROP TABLE \"%1\"").arg(table));
    }

    void createTable_data()
    {
        QTest::addColumn<QString>("columns"); // inside CREATE TABLE "K"( ... )
        QTest::addColumn<QString>("key"); // as primaryKey() gives it; SYS_C names as a pattern
        QTest::addColumn<QString>("nulls"); // as nullability() gives it
        QTest::addColumn<int>("native"); // 0: accepted
        QTest::addColumn<QString>("text");

        auto ok = [](const char* name, const char* columns, const char* key, const char* nulls) {
            QTest::newRow(name) << columns << key << nulls << 0 << QString();
        };
        auto refused = [](const char* name, const QString& columns, int native, const char* text) {
            QTest::newRow(name) << columns << QString() << QString() << native << text;
        };
        ok("named table key",
            "A NUMBER(10) NOT NULL, B VARCHAR2(20), C DATE NULL, "
            "CONSTRAINT pk_k PRIMARY KEY (A, B)",
            "PK_K:A,B", "NO,NO,YES");
        ok("unnamed column key", "A INT PRIMARY KEY, B INT", "SYS_C00\\d{5,}:A", "NO,YES");
        ok("named column key, quoted", "A INT CONSTRAINT \"Pk k\" PRIMARY KEY, \"b\" INT NOT NULL",
            "Pk k:A", "NO,NO");
        ok("unnamed table key keeps its order", "A INT, B INT, PRIMARY KEY (B, A)",
            "SYS_C00\\d{5,}:B,A", "NO,NO");
        ok("named NOT NULL, default states",
            "A INT CONSTRAINT nn_a NOT NULL ENABLE VALIDATE, "
            "B INT PRIMARY KEY NOT DEFERRABLE INITIALLY IMMEDIATE",
            "SYS_C00\\d{5,}:B", "NO,NO");
        ok("DEFAULT before NOT NULL", "A INT DEFAULT 5 NOT NULL, B DATE DEFAULT NULL", "",
            "NO,YES");
        ok("a column called PRIMARY", "PRIMARY INT, KEY INT", "", "YES,YES");
        ok("unique keys leave NULL allowed", "A INT UNIQUE, B INT, C INT, UNIQUE (B, C)", "",
            "YES,YES,YES");
        ok("a CHECK leaves NULL allowed", "A INT, CHECK (A IS NOT NULL)", "", "YES");
        ok("clock defaults", "A DATE DEFAULT SYSDATE, B TIMESTAMP DEFAULT SYSTIMESTAMP", "",
            "YES,YES");

        refused("two column keys", "A INT PRIMARY KEY, B INT PRIMARY KEY", 2260,
            "table can have only one primary key");
        refused("column and table key", "A INT PRIMARY KEY, B INT, PRIMARY KEY (B)", 2260,
            "table can have only one primary key");
        refused("LOB key", "A CLOB PRIMARY KEY", 2329,
            "column of datatype LOB cannot be unique or a primary key");
        refused(
            "LONG key", "A LONG, PRIMARY KEY (A)", 2269, "key column cannot be of LONG datatype");
        refused(
            "key of an unknown column", "A INT, PRIMARY KEY (Z)", 904, "\"Z\": invalid identifier");
        refused("key column twice", "A INT, PRIMARY KEY (A, A)", 957, "duplicate column name");
        QString many;
        QStringList names;
        for (int i = 0; i < 33; ++i) {
            many += QString("C%1 INT, ").arg(i);
            names << QString("C%1").arg(i);
        }
        refused("33 key columns", many + "PRIMARY KEY (" + names.join(',') + ")", 1793,
            "maximum number of index columns is 32");
        refused("key too long", "A VARCHAR2(4000), B VARCHAR2(2500), PRIMARY KEY (A, B)", 1450,
            "maximum key length (6398) exceeded");
        refused("four bytes a character count",
            "A VARCHAR2(1000 CHAR), B VARCHAR2(700 CHAR), "
            "PRIMARY KEY (A, B)",
            1450, "maximum key length (6398) exceeded");
        refused("constraint name twice", "A INT CONSTRAINT x NOT NULL, B INT CONSTRAINT x NOT NULL",
            2264, "name already used by an existing constraint");
        refused(
            "DEFAULT after NOT NULL", "A INT NOT NULL DEFAULT 5", 907, "missing right parenthesis");
        refused("default of the wrong type", "A NUMBER DEFAULT DATE '2024-01-01'", 932,
            "inconsistent datatypes: expected NUMBER got DATE");
        // Accepted by Oracle, but not kept by the stand-in: refused, never ignored.
        refused(
            "REFERENCES of no table", "A INT REFERENCES T(A)", 942, "table or view does not exist");
        refused("disabled key", "A INT PRIMARY KEY DISABLE", 3001, "unimplemented feature");
        refused("computed default", "A VARCHAR2(30) DEFAULT USER", 3001, "unimplemented feature");
        refused("DEFAULT ON NULL", "A INT DEFAULT ON NULL 1", 3001, "unimplemented feature");
        refused("NULL and NOT NULL", "A INT NULL NOT NULL", 3001, "unimplemented feature");
    }

    void createTable()
    {
        QFETCH(QString, columns);
        QFETCH(QString, key);
        QFETCH(QString, nulls);
        QFETCH(int, native);
        QFETCH(QString, text);
        Statement s(*m_c);
        const SQLRETURN rc = s.exec("CREATE TABLE \"K\"(" + columns + ")");
        if (native) {
            QCOMPARE(rc, SQLRETURN(SQL_ERROR));
            QCOMPARE(s.diag().message, oraMessage(native, text));
            QCOMPARE(s.exec("SELECT * FROM \"K\""), SQLRETURN(SQL_ERROR)); // nothing was created
            return;
        }
        QVERIFY2(SQL_SUCCEEDED(rc), qPrintable(s.diag().message));
        const QString got = primaryKey(*m_c, "K");
        QVERIFY2(QRegularExpression("^" + key + "$").match(got).hasMatch(), qPrintable(got));
        QCOMPARE(nullability(*m_c, "K"), nulls);
    }

    void insert_data()
    {
        QTest::addColumn<QString>("before"); // INSERTs separated by ';'
        QTest::addColumn<QString>("insert");
        QTest::addColumn<QString>("state"); // empty: accepted
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("rows"); // the table afterwards

        // "K"(ID NUMBER(5) key, NAME VARCHAR2(10) NOT NULL, QTY NUMBER DEFAULT 7 NOT NULL,
        //     MADE DATE DEFAULT DATE '2024-02-29', NOTE VARCHAR2(5))
        const QString nullInto = "cannot insert NULL into (\"SCOTT\".\"K\".\"%1\")";
        auto ok = [](const char* name, QString before, QString insert, QStringList rows) {
            QTest::newRow(name) << before << insert << QString() << QString() << rows;
        };
        auto refused = [](const char* name, QString before, QString insert, QString state,
                           int native, QString text, QStringList rows) {
            QTest::newRow(name) << before << insert << state << oraMessage(native, text) << rows;
        };
        ok("defaults fill left-out columns", "", "INSERT INTO \"K\"(ID, NAME) VALUES(1, 'a')",
            { "1|a|7|2024-02-29 00:00:00|<null>" });
        ok("DEFAULT in VALUES", "", "INSERT INTO \"K\" VALUES(2, 'b', DEFAULT, DEFAULT, DEFAULT)",
            { "2|b|7|2024-02-29 00:00:00|<null>" });
        ok("explicit NULL is not the default", "",
            "INSERT INTO \"K\" VALUES(3, 'c', 1, NULL, NULL)", { "3|c|1|<null>|<null>" });
        refused("NULL into NOT NULL", "", "INSERT INTO \"K\" VALUES(4, NULL, 1, NULL, NULL)",
            "23000", 1400, nullInto.arg("NAME"), {});
        refused("empty text is NULL", "", "INSERT INTO \"K\" VALUES(4, '', 1, NULL, NULL)", "23000",
            1400, nullInto.arg("NAME"), {});
        refused("left out, no default", "", "INSERT INTO \"K\"(ID) VALUES(4)", "23000", 1400,
            nullInto.arg("NAME"), {});
        refused("NULL into a key column", "", "INSERT INTO \"K\"(ID, NAME) VALUES(NULL, 'x')",
            "23000", 1400, nullInto.arg("ID"), {});
        refused("DEFAULT of a NOT NULL column without one", "",
            "INSERT INTO \"K\" VALUES(4, DEFAULT, 1, NULL, NULL)", "23000", 1400,
            nullInto.arg("NAME"), {});
        refused("duplicate key", "INSERT INTO \"K\"(ID, NAME) VALUES(5, 'a')",
            "INSERT INTO \"K\"(ID, NAME) VALUES(5.0, 'b')", "23000", 1,
            "unique constraint (SCOTT.PK_K) violated", { "5|a|7|2024-02-29 00:00:00|<null>" });
        ok("keys differ after rounding to the column", "INSERT INTO \"K\"(ID, NAME) VALUES(6, 'a')",
            "INSERT INTO \"K\"(ID, NAME) VALUES(7.4, 'b')",
            { "6|a|7|2024-02-29 00:00:00|<null>", "7|b|7|2024-02-29 00:00:00|<null>" });
    }

    void insert()
    {
        QFETCH(QString, before);
        QFETCH(QString, insert);
        QFETCH(QString, state);
        QFETCH(QString, message);
        QFETCH(QStringList, rows);
        QVERIFY(run(*m_c,
            "CREATE TABLE \"K\"(ID NUMBER(5) CONSTRAINT pk_k PRIMARY KEY, NAME VARCHAR2(10) NOT "
            "NULL, QTY NUMBER DEFAULT 7 NOT NULL, MADE DATE DEFAULT DATE '2024-02-29', NOTE "
            "VARCHAR2(5))"));
        for (const QString& sql : before.split(';', Qt::SkipEmptyParts))
            QVERIFY(run(*m_c, sql));
        Statement s(*m_c);
        const SQLRETURN rc = s.exec(insert);
        if (state.isEmpty()) {
            QVERIFY2(SQL_SUCCEEDED(rc), qPrintable(s.diag().message));
        } else {
            QCOMPARE(rc, SQLRETURN(SQL_ERROR));
            QCOMPARE(s.diag().state, state);
            QCOMPARE(s.diag().message, message);
        }
        QVERIFY(SQL_SUCCEEDED(s.exec("SELECT * FROM \"K\"")));
        QCOMPARE(s.rows(), rows);
    }

    // Constraint names are the schema's: a name is free again once its table
    // is dropped, and RENAME takes the constraints along.
    void constraintsFollowTheirTable()
    {
        QVERIFY(run(*m_c, "CREATE TABLE \"K\"(A INT CONSTRAINT pk_k PRIMARY KEY, B INT NOT NULL)"));
        Statement s(*m_c);
        QCOMPARE(s.exec("CREATE TABLE \"K2\"(A INT, CONSTRAINT pk_k PRIMARY KEY (A))"),
            SQLRETURN(SQL_ERROR));
        QCOMPARE(s.diag().message, oraMessage(2264, "name already used by an existing constraint"));

        QVERIFY(run(*m_c, "RENAME \"K\" TO \"R\""));
        QCOMPARE(primaryKey(*m_c, "R"), QString("PK_K:A"));
        QCOMPARE(primaryKey(*m_c, "K"), QString());
        QCOMPARE(nullability(*m_c, "R"), QString("NO,NO"));
        QVERIFY(run(*m_c, "INSERT INTO \"R\" VALUES(1, 1)"));
        QCOMPARE(s.exec("INSERT INTO \"R\" VALUES(1, 2)"), SQLRETURN(SQL_ERROR));
        QCOMPARE(s.diag().message, oraMessage(1, "unique constraint (SCOTT.PK_K) violated"));
        QCOMPARE(s.exec("INSERT INTO \"R\" VALUES(2, NULL)"), SQLRETURN(SQL_ERROR));
        QCOMPARE(
            s.diag().message, oraMessage(1400, "cannot insert NULL into (\"SCOTT\".\"R\".\"B\")"));

        QVERIFY(run(*m_c, "DROP TABLE \"R\" PURGE"));
        QVERIFY(run(*m_c, "CREATE TABLE \"K2\"(A INT, CONSTRAINT pk_k PRIMARY KEY (A))"));
        QCOMPARE(primaryKey(*m_c, "K2"), QString("PK_K:A"));
        // A table made again under the old name has no constraints left over.
        QVERIFY(run(*m_c, "CREATE TABLE \"R\"(A INT, B INT)"));
        QCOMPARE(primaryKey(*m_c, "R"), QString());
        QVERIFY(run(*m_c, "INSERT INTO \"R\" VALUES(1, NULL)"));
        QVERIFY(run(*m_c, "INSERT INTO \"R\" VALUES(1, NULL)"));
    }

    // Oracle's names for unnamed constraints come from one sequence and are
    // never given twice, not even after a drop.
    void generatedNamesAreNeverReused()
    {
        QVERIFY(run(*m_c, "CREATE TABLE \"K\"(A INT PRIMARY KEY)"));
        const QString first = primaryKey(*m_c, "K");
        QVERIFY(run(*m_c, "DROP TABLE \"K\""));
        QVERIFY(run(*m_c, "CREATE TABLE \"K\"(A INT NOT NULL, B INT PRIMARY KEY)"));
        const QString second = primaryKey(*m_c, "K");
        const QRegularExpression name("^SYS_C00(\\d+):");
        const auto a = name.match(first), b = name.match(second);
        QVERIFY2(a.hasMatch() && b.hasMatch(), qPrintable(first + " " + second));
        // The NOT NULL constraint took the number between the two keys'.
        QCOMPARE(b.captured(1).toLongLong(), a.captured(1).toLongLong() + 2);
    }

    // A session keeps the tables it looked up; another session's DDL must
    // still reach its next INSERT.
    void anotherSessionsTableIsSeenAtOnce()
    {
        QVERIFY(run(*m_c, "CREATE TABLE \"K\"(A INT)"));
        QVERIFY(run(*m_c, "INSERT INTO \"K\" VALUES(NULL)"));
        Connection other;
        QVERIFY(SQL_SUCCEEDED(other.open("SCOTT", "tiger")));
        QVERIFY(run(other, "DROP TABLE \"K\""));
        QVERIFY(run(other, "CREATE TABLE \"K\"(A INT NOT NULL)"));
        Statement s(*m_c);
        QCOMPARE(s.exec("INSERT INTO \"K\" VALUES(NULL)"), SQLRETURN(SQL_ERROR));
        QCOMPARE(s.diag().native, 1400);
        QVERIFY(run(other, "RENAME \"K\" TO \"R\""));
        QCOMPARE(s.exec("INSERT INTO \"K\" VALUES(1)"), SQLRETURN(SQL_ERROR));
        QCOMPARE(s.diag().native, 942);
    }

private:
    std::unique_ptr<World> m_world;
    std::unique_ptr<Connection> m_c;
};

QTEST_GUILESS_MAIN(TestConstraints)
#include "test_constraints.moc"

// UPDATE, DELETE and MERGE through unixODBC: rows changed and counted,
// refused statements undone whole with Oracle's errors, and parameter
// arrays that stop at a refused set as INSERT arrays do (test_array_dml).
//
// MERGE follows Oracle's SQL Language Reference: one source row may update
// several target rows; a target row that two source rows would update is
// ORA-30926; columns of the ON condition cannot be set (ORA-38104).

#include "standin_fixture.h"

#include <QTest>
#include <array>
#include <cstring>

using namespace standintest;

namespace {

const QStringList initialRows { "1|a|1", "2|b|2", "3|c|<null>" };

const char* upsert
    = "MERGE INTO M t USING (SELECT ? AS ID, ? AS NAME FROM DUAL) s ON (t.ID = s.ID) "
      "WHEN MATCHED THEN UPDATE SET t.NAME = s.NAME "
      "WHEN NOT MATCHED THEN INSERT (ID, NAME) VALUES (s.ID, s.NAME)";

// Integer and text columns of a parameter array, bound by column.
struct Sets {
    static constexpr int size = 4;
    std::array<SQLINTEGER, size> ids {};
    std::array<std::array<char, 8>, size> names {};
    std::array<SQLLEN, size> nameLengths {};
    std::array<SQLUSMALLINT, size> statuses {};
    SQLULEN processed = 0;

    void set(int i, int id, const char* name)
    {
        ids[std::size_t(i)] = id;
        std::strcpy(names[std::size_t(i)].data(), name ? name : "");
        nameLengths[std::size_t(i)] = name ? SQL_NTS : SQL_NULL_DATA;
    }
    // Binds names to marker `nameMarker` and ids to `idMarker`.
    bool bind(Statement& s, int nameMarker, int idMarker, int count)
    {
        return SQL_SUCCEEDED(s.setAttr(SQL_ATTR_PARAMSET_SIZE, SQLULEN(count)))
            && SQL_SUCCEEDED(s.setAttr(SQL_ATTR_PARAM_STATUS_PTR, statuses.data()))
            && SQL_SUCCEEDED(s.setAttr(SQL_ATTR_PARAMS_PROCESSED_PTR, &processed))
            && SQL_SUCCEEDED(SQLBindParameter(s.handle(), SQLUSMALLINT(idMarker), SQL_PARAM_INPUT,
                SQL_C_SLONG, SQL_INTEGER, 0, 0, ids.data(), 0, nullptr))
            && (nameMarker == 0
                || SQL_SUCCEEDED(
                    SQLBindParameter(s.handle(), SQLUSMALLINT(nameMarker), SQL_PARAM_INPUT,
                        SQL_C_CHAR, SQL_VARCHAR, 5, 0, names.data(), 8, nameLengths.data())));
    }
};

} // namespace

class TestDml : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { m_world = std::make_unique<World>(); }

    void init()
    {
        m_c = std::make_unique<Connection>();
        QVERIFY(SQL_SUCCEEDED(m_c->open("SCOTT", "tiger")));
        QVERIFY(run(*m_c,
            "CREATE TABLE M(ID NUMBER(10) CONSTRAINT M_PK PRIMARY KEY, NAME VARCHAR2(5) NOT NULL, "
            "N NUMBER)"));
        QVERIFY(run(*m_c, "CREATE TABLE S(ID NUMBER, NAME VARCHAR2(5))"));
        QVERIFY(run(*m_c, "INSERT INTO S VALUES(3, 'x')"));
        QVERIFY(run(*m_c, "INSERT INTO S VALUES(3, 'y')"));
        for (const char* v : { "1, 'a', 1", "2, 'b', 2", "3, 'c', NULL" })
            QVERIFY(run(*m_c, QString("INSERT INTO M VALUES(%1)").arg(v)));
    }

    void cleanup()
    {
        m_c.reset();
        Connection c;
        QVERIFY(SQL_SUCCEEDED(c.open("SCOTT", "tiger")));
        QVERIFY(run(c, "DROP TABLE M"));
        QVERIFY(run(c, "DROP TABLE S"));
    }

    void statements_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("count"); // SQLRowCount; -1 when refused
        QTest::addColumn<QString>("error");
        QTest::addColumn<QStringList>("after"); // the table, ordered by ID
        auto ok = [](const char* name, const char* sql, int count, QStringList after) {
            QTest::newRow(name) << QString(sql) << count << QString() << after;
        };
        auto refused = [](const char* name, const char* sql, const char* error) {
            QTest::newRow(name) << QString(sql) << -1 << QString(error) << initialRows;
        };
        ok("UPDATE with WHERE", "UPDATE M SET NAME = 'z' WHERE N > 1", 1,
            { "1|a|1", "2|z|2", "3|c|<null>" });
        ok("UPDATE with alias, every row", "UPDATE M m SET m.N = NULL, NAME = UPPER(m.NAME)", 3,
            { "1|A|<null>", "2|B|<null>", "3|C|<null>" });
        ok("UPDATE of no row", "UPDATE M SET N = 0 WHERE ID = 9", 0, initialRows);
        ok("DELETE with WHERE", "DELETE FROM M WHERE NAME LIKE 'b%' OR N IS NULL", 2, { "1|a|1" });
        ok("DELETE without FROM", "DELETE M", 3, {});
        ok("MERGE updates",
            "MERGE INTO M t USING (SELECT 2 AS ID, 'B' AS NAME FROM DUAL) s "
            "ON (t.ID = s.ID) WHEN MATCHED THEN UPDATE SET t.NAME = s.NAME",
            1, { "1|a|1", "2|B|2", "3|c|<null>" });
        ok("MERGE inserts, clauses swapped",
            "MERGE INTO M t USING (SELECT 7 ID, 'g' NAME FROM DUAL) s ON (t.ID = s.ID) "
            "WHEN NOT MATCHED THEN INSERT (t.ID, NAME) VALUES (s.ID, s.NAME) "
            "WHEN MATCHED THEN UPDATE SET t.NAME = s.NAME",
            1, { "1|a|1", "2|b|2", "3|c|<null>", "7|g|<null>" });
        ok("MERGE without WHEN MATCHED",
            "MERGE INTO M t USING (SELECT 1 ID FROM DUAL) s "
            "ON (t.ID = s.ID) WHEN NOT MATCHED THEN INSERT "
            "VALUES (s.ID, 'n', NULL)",
            0, initialRows);
        ok("one source row updates several rows",
            "MERGE INTO M t USING (SELECT 'w' W FROM DUAL) s ON (t.N >= 1) "
            "WHEN MATCHED THEN UPDATE SET t.NAME = s.W",
            2, { "1|w|1", "2|w|2", "3|c|<null>" });
        refused("NOT NULL", "UPDATE M SET NAME = NULL WHERE ID = 1",
            "ORA-01407: cannot update (\"SCOTT\".\"M\".\"NAME\") to NULL");
        refused("too long", "UPDATE M SET NAME = 'toolong' WHERE ID = 3",
            "ORA-12899: value too large for column \"SCOTT\".\"M\".\"NAME\" (actual: 7, maximum: "
            "5)");
        refused("a repeated key undoes the whole statement", "UPDATE M SET ID = 1",
            "ORA-00001: unique constraint (SCOTT.M_PK) violated");
        refused(
            "no such column", "UPDATE M SET NOPE = 1", "ORA-00904: \"NOPE\": invalid identifier");
        refused("a column set twice", "UPDATE M SET NAME = 'a', NAME = 'b'",
            "ORA-00957: duplicate column name");
        refused("text that is no number", "UPDATE M SET N = 'x' WHERE ID = 1",
            "ORA-01722: invalid number");
        refused("no such table", "DELETE FROM NOPE", "ORA-00942: table or view does not exist");
        refused("MERGE sets an ON column",
            "MERGE INTO M t USING (SELECT 1 ID FROM DUAL) s ON (t.ID = s.ID) "
            "WHEN MATCHED THEN UPDATE SET t.ID = s.ID",
            "ORA-38104: Columns referenced in the ON Clause cannot be updated: \"T\".\"ID\"");
        refused("MERGE inserts NULL into NOT NULL",
            "MERGE INTO M t USING (SELECT 9 ID FROM DUAL) s ON (t.ID = s.ID) "
            "WHEN NOT MATCHED THEN INSERT (ID) VALUES (s.ID)",
            "ORA-01400: cannot insert NULL into (\"SCOTT\".\"M\".\"NAME\")");
        refused("MERGE inserts a target column",
            "MERGE INTO M t USING (SELECT 8 ID FROM DUAL) s ON (t.ID = s.ID) "
            "WHEN NOT MATCHED THEN INSERT (ID, NAME) VALUES (s.ID, t.NAME)",
            "ORA-38102: Invalid column in the INSERT VALUES Clause: \"T\".\"NAME\"");
        refused("two source rows for one target row",
            "MERGE INTO M t USING S s ON (t.ID = s.ID) WHEN MATCHED THEN UPDATE SET t.NAME = "
            "s.NAME",
            "ORA-30926: unable to get a stable set of rows in the source tables");
        refused("ON without parentheses",
            "MERGE INTO M t USING S s ON t.ID = s.ID WHEN MATCHED THEN UPDATE SET t.NAME = 'q'",
            "ORA-00906: missing left parenthesis");
        refused("MERGE without WHEN", "MERGE INTO M t USING S s ON (t.ID = s.ID)",
            "ORA-00905: missing keyword");
    }

    void statements()
    {
        QFETCH(QString, sql);
        QFETCH(int, count);
        QFETCH(QString, error);
        QFETCH(QStringList, after);
        Statement s(*m_c);
        const SQLRETURN rc = s.exec(sql);
        if (error.isEmpty()) {
            QVERIFY2(SQL_SUCCEEDED(rc), qPrintable(s.diag().message));
            QCOMPARE(s.rowCount(), SQLLEN(count));
        } else {
            QCOMPARE(rc, SQLRETURN(SQL_ERROR));
            QCOMPARE(s.diag().message, "[Oracle][ODBC][Ora]" + error);
        }
        QCOMPARE(orderedRows(), after);
    }

    // An upsert of four sets with the third refused: the array stops there.
    // Without autocommit the sets before stay for the program to commit;
    // under autocommit the whole array is rolled back.
    void mergeArrays_data()
    {
        QTest::addColumn<bool>("autocommit");
        QTest::addColumn<bool>("refuseThird");
        QTest::addColumn<QStringList>("after");
        const QStringList all { "1|a|1", "2|B2|2", "3|c|<null>", "4|d|<null>", "5|e|<null>",
            "6|f|<null>" };
        QTest::newRow("all sets, autocommit") << true << false << all;
        QTest::newRow("refused set, autocommit") << true << true << initialRows;
        QTest::newRow("refused set, manual commit")
            << false << true << QStringList { "1|a|1", "2|B2|2", "3|c|<null>", "4|d|<null>" };
    }

    void mergeArrays()
    {
        QFETCH(bool, autocommit);
        QFETCH(bool, refuseThird);
        QFETCH(QStringList, after);
        QCOMPARE(m_c->setAutocommit(autocommit), SQLRETURN(SQL_SUCCESS));
        Statement s(*m_c);
        QCOMPARE(s.prepare(upsert), SQLRETURN(SQL_SUCCESS));
        Sets sets;
        sets.set(0, 2, "B2");
        sets.set(1, 4, "d");
        sets.set(2, 5, refuseThird ? nullptr : "e");
        sets.set(3, 6, "f");
        QVERIFY(sets.bind(s, 2, 1, Sets::size));
        const SQLRETURN rc = SQLExecute(s.handle());
        if (!refuseThird) {
            QCOMPARE(rc, SQLRETURN(SQL_SUCCESS));
            QCOMPARE(s.rowCount(), SQLLEN(4));
            QCOMPARE(sets.processed, SQLULEN(4));
        } else {
            QCOMPARE(rc, SQLRETURN(SQL_ERROR));
            QCOMPARE(sets.processed, SQLULEN(3));
            const std::array<SQLUSMALLINT, 4> statuses { SQL_PARAM_SUCCESS, SQL_PARAM_SUCCESS,
                SQL_PARAM_ERROR, SQL_PARAM_UNUSED };
            QCOMPARE(sets.statuses, statuses);
            const Diag d = s.diag();
            QCOMPARE(d.native, 1400);
            QCOMPARE(d.row, SQLLEN(3));
        }
        if (!autocommit)
            QCOMPARE(SQLEndTran(SQL_HANDLE_DBC, m_c->handle(), SQL_COMMIT), SQLRETURN(SQL_SUCCESS));
        Connection other;
        QVERIFY(SQL_SUCCEEDED(other.open("SCOTT", "tiger")));
        QCOMPARE(orderedRows(other), after);
    }

    // UPDATE and DELETE arrays count the rows of every set; a set that
    // matches no row is no error.
    void updateAndDeleteArrays()
    {
        Sets sets;
        sets.set(0, 1, "x");
        sets.set(1, 9, "y");
        sets.set(2, 3, "z");
        Statement u(*m_c);
        QCOMPARE(u.prepare("UPDATE M SET NAME = ? WHERE ID = ?"), SQLRETURN(SQL_SUCCESS));
        QVERIFY(sets.bind(u, 1, 2, 3));
        QCOMPARE(SQLExecute(u.handle()), SQLRETURN(SQL_SUCCESS));
        QCOMPARE(u.rowCount(), SQLLEN(2));
        QCOMPARE(orderedRows(), (QStringList { "1|x|1", "2|b|2", "3|z|<null>" }));
        Statement d(*m_c);
        QCOMPARE(d.prepare("DELETE FROM M WHERE ID = ?"), SQLRETURN(SQL_SUCCESS));
        QVERIFY(sets.bind(d, 0, 1, 3));
        QCOMPARE(SQLExecute(d.handle()), SQLRETURN(SQL_SUCCESS));
        QCOMPARE(d.rowCount(), SQLLEN(2));
        QCOMPARE(orderedRows(), QStringList { "2|b|2" });
    }

    // SET col = ? takes the column's type; other markers are VARCHAR2(4000).
    void describesMarkers()
    {
        Statement s(*m_c);
        QCOMPARE(s.prepare("UPDATE M SET N = ?, NAME = ? WHERE ID = ?"), SQLRETURN(SQL_SUCCESS));
        const struct {
            SQLSMALLINT type;
            SQLULEN size;
            SQLSMALLINT nullable;
        } expected[] = { { SQL_DECIMAL, 38, SQL_NULLABLE }, { SQL_VARCHAR, 5, SQL_NO_NULLS },
            { SQL_VARCHAR, 4000, SQL_NULLABLE } };
        for (int i = 0; i < 3; ++i) {
            SQLSMALLINT type = 0, digits = 0, nullable = 0;
            SQLULEN size = 0;
            QCOMPARE(
                SQLDescribeParam(s.handle(), SQLUSMALLINT(i + 1), &type, &size, &digits, &nullable),
                SQLRETURN(SQL_SUCCESS));
            QCOMPARE(type, expected[i].type);
            QCOMPARE(size, expected[i].size);
            QCOMPARE(nullable, expected[i].nullable);
        }
    }

private:
    QStringList orderedRows() const { return orderedRows(*m_c); }
    static QStringList orderedRows(const Connection& c)
    {
        Statement s(c);
        if (!SQL_SUCCEEDED(s.exec("SELECT * FROM M ORDER BY ID")))
            return { "<error " + s.diag().message + ">" };
        return s.rows();
    }

    std::unique_ptr<World> m_world;
    std::unique_ptr<Connection> m_c;
};

QTEST_GUILESS_MAIN(TestDml)
#include "test_dml.moc"

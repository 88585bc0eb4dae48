// What a full table definition does in the stand-in, through unixODBC:
// unique and foreign keys, indexes, identity columns, clock defaults and
// comments, how INSERT and DROP TABLE keep them, and how the data
// dictionary and SQLStatistics / SQLForeignKeys read them back. Error
// numbers and texts are Oracle's (Database Error Messages); the views'
// columns are those of Oracle Database Reference 19c.

#include "standin_fixture.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QTest>

using namespace standintest;

namespace {

// Runs the ';'-separated statements; the first failure as "ORA-nnnnn: text", or "".
QString outcome(const Connection& c, const QString& statements)
{
    for (const QString& sql : statements.split(';', Qt::SkipEmptyParts)) {
        Statement s(c);
        if (!SQL_SUCCEEDED(s.exec(sql.trimmed())))
            return s.diag().message.remove("[Oracle][ODBC][Ora]");
    }
    return {};
}

QStringList query(const Connection& c, const QString& sql)
{
    Statement s(c);
    if (!SQL_SUCCEEDED(s.exec(sql)))
        return { "<error " + s.diag().message + ">" };
    return s.rows();
}

std::u16string wide(const QString& s)
{
    return s.toStdU16String();
}

SQLWCHAR* w(std::u16string& s)
{
    return reinterpret_cast<SQLWCHAR*>(s.data());
}

} // namespace

class TestDefinitions : public QObject {
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
        for (const char* table : { "C", "P", "Q", "G", "N" })
            Statement(*m_c).exec(QString("DROP TABLE \"%1\" CASCADE CONSTRAINTS").arg(table));
    }

    // Each case: statements that must pass, then one whose outcome is checked.
    void ddl_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("error"); // "" for success
        const QString parent = "CREATE TABLE P(ID INT CONSTRAINT PK_P PRIMARY KEY, CODE "
                               "VARCHAR2(5), X INT, CONSTRAINT UK_P UNIQUE (CODE))";
        const QString rows = ";INSERT INTO P VALUES(1, 'a', 7);INSERT INTO P VALUES(2, 'b', 7)";
        const QString child = ";CREATE TABLE C(ID INT, PID INT CONSTRAINT FK_C REFERENCES P)";
        auto row = [](const char* name, QString before, QString statement, QString error) {
            QTest::newRow(name) << before << statement << error;
        };
        const QString long129 = QString(129, 'N'), long128 = QString(128, 'N');
        row("a name of 128 bytes", "",
            "CREATE TABLE N(" + long128 + " INT CONSTRAINT " + long128 + " UNIQUE)", "");
        row("a column name of 129 bytes", "", "CREATE TABLE N(" + long129 + " INT)",
            "ORA-00972: identifier is too long");
        row("an index name of 129 bytes", parent, "CREATE INDEX " + long129 + " ON P(X)",
            "ORA-00972: identifier is too long");
        row("a constraint name of 129 bytes", parent,
            "ALTER TABLE P ADD CONSTRAINT \"" + long129 + "\" CHECK (X > 0)",
            "ORA-00972: identifier is too long");
        row("constraint names are the schema's", parent,
            "CREATE TABLE Q(A INT CONSTRAINT UK_P UNIQUE)",
            "ORA-02264: name already used by an existing constraint");
        row("the same key twice", parent, "ALTER TABLE P ADD UNIQUE (CODE)",
            "ORA-02261: such unique or primary key already exists in the table");
        row("unique over repeated rows", parent + rows,
            "ALTER TABLE P ADD CONSTRAINT UK_X UNIQUE (X)",
            "ORA-02299: cannot validate (SCOTT.UK_X) - duplicate keys found");
        row("primary key over repeated rows",
            "CREATE TABLE Q(A INT);INSERT INTO Q VALUES(1);INSERT INTO Q VALUES(1)",
            "ALTER TABLE Q ADD CONSTRAINT PK_Q PRIMARY KEY (A)",
            "ORA-02437: cannot validate (SCOTT.PK_Q) - primary key violated");
        row("primary key over NULL", "CREATE TABLE Q(A INT);INSERT INTO Q VALUES(NULL)",
            "ALTER TABLE Q ADD PRIMARY KEY (A)",
            "ORA-01449: column contains NULL values; cannot alter to NOT NULL");
        row("foreign key over orphans",
            parent + rows + ";CREATE TABLE C(PID INT);INSERT INTO C VALUES(3)",
            "ALTER TABLE C ADD CONSTRAINT FK_C FOREIGN KEY (PID) REFERENCES P",
            "ORA-02298: cannot validate (SCOTT.FK_C) - parent keys not found");
        row("foreign key to a unique key", parent,
            "CREATE TABLE C(K VARCHAR2(5) REFERENCES P(CODE))", "");
        row("foreign key to no key", parent, "CREATE TABLE C(K INT REFERENCES P(X))",
            "ORA-02270: no matching unique or primary key for this column-list");
        row("foreign key to a table without a key", "CREATE TABLE Q(A INT)",
            "CREATE TABLE C(K INT REFERENCES Q)",
            "ORA-02268: referenced table does not have a primary key");
        row("foreign key of two columns to one", parent,
            "CREATE TABLE C(A INT, B INT, FOREIGN KEY (A, B) REFERENCES P(ID))",
            "ORA-02256: number of referencing columns must match referenced columns");
        row("foreign key of another type", parent, "CREATE TABLE C(K DATE REFERENCES P)",
            "ORA-02267: column type incompatible with referenced column type");
        row("dropping a parent", parent + child, "DROP TABLE P",
            "ORA-02449: unique/primary keys in table referenced by foreign keys");
        row("dropping a parent with its foreign keys", parent + child,
            "DROP TABLE P CASCADE CONSTRAINTS;INSERT INTO C VALUES(1, 99)", "");
        row("a table that refers to itself drops",
            "CREATE TABLE Q(A INT PRIMARY KEY, B INT REFERENCES Q)", "DROP TABLE Q", "");
        row("dropping a referenced key", parent + child, "ALTER TABLE P DROP CONSTRAINT PK_P",
            "ORA-02273: this unique/primary key is referenced by some foreign keys");
        row("dropping a referenced key with its foreign keys", parent + child,
            "ALTER TABLE P DROP CONSTRAINT PK_P CASCADE;INSERT INTO C VALUES(1, 99)", "");
        row("dropping no constraint", parent, "ALTER TABLE P DROP CONSTRAINT NOPE",
            "ORA-02443: Cannot drop constraint  - nonexistent constraint");
        row("dropping a key's index", parent, "DROP INDEX UK_P",
            "ORA-02429: cannot drop index used for enforcement of unique/primary key");
        row("dropping no index", parent, "DROP INDEX NOPE",
            "ORA-01418: specified index does not exist");
        row("an index on a key's columns", parent, "CREATE INDEX IX ON P(CODE)",
            "ORA-01408: such column list already indexed");
        row("a descending index on them", parent, "CREATE INDEX IX ON P(CODE DESC)", "");
        row("an index name twice", parent + ";CREATE INDEX IX ON P(X)",
            "CREATE INDEX IX ON P(X, ID)", "ORA-00955: name is already used by an existing object");
        row("an index named as a table", parent, "CREATE INDEX P ON P(X)", "");
        row("a unique index over repeated rows", parent + rows, "CREATE UNIQUE INDEX IX ON P(X)",
            "ORA-01452: cannot CREATE UNIQUE INDEX; duplicate keys found");
        row("an index of a LOB", "CREATE TABLE Q(A CLOB)", "CREATE INDEX IX ON Q(A)",
            "ORA-02327: cannot create index on expression with datatype LOB");
        row("an index of no table", "", "CREATE INDEX IX ON NOPE(A)",
            "ORA-00942: table or view does not exist");
        row("an identity of text", "", "CREATE TABLE G(A VARCHAR2(5) GENERATED AS IDENTITY)",
            "ORA-30675: identity column must be a numeric type");
        row("two identities", "",
            "CREATE TABLE G(A INT GENERATED AS IDENTITY, B INT GENERATED AS IDENTITY)",
            "ORA-30669: table can have only one identity column");
        row("an identity with a default", "",
            "CREATE TABLE G(A INT DEFAULT 1 GENERATED AS IDENTITY)",
            "ORA-30674: identity column cannot have a default value");
        row("modifying no identity", parent,
            "ALTER TABLE P MODIFY (X GENERATED BY DEFAULT AS IDENTITY (START WITH 5))",
            "ORA-30673: column to be modified is not an identity column");
        row("a timestamp default of a number", "", "CREATE TABLE G(A NUMBER DEFAULT SYSTIMESTAMP)",
            "ORA-00932: inconsistent datatypes: expected NUMBER got TIMESTAMP WITH TIME ZONE");
        row("a comment of no table", "", "COMMENT ON TABLE NOPE IS 'x'",
            "ORA-00942: table or view does not exist");
        row("a comment of no column", parent, "COMMENT ON COLUMN P.NOPE IS 'x'",
            "ORA-00904: \"NOPE\": invalid identifier");
        row("a check over rows that break it", parent + rows,
            "ALTER TABLE P ADD CONSTRAINT CK_X CHECK (X < 7)",
            "ORA-02293: cannot validate (SCOTT.CK_X) - check constraint violated");
        row("a check the rows keep", parent + rows, "ALTER TABLE P ADD CHECK (X <= 7 OR X IS NULL)",
            "");
        row("a column's check of another column", "", "CREATE TABLE Q(A INT CHECK (B > 0), B INT)",
            "ORA-02438: Column check constraint cannot reference other columns");
        row("a check of the clock", "", "CREATE TABLE Q(A DATE, CHECK (A > SYSDATE))",
            "ORA-02436: date or system variable wrongly specified in CHECK constraint");
        row("a check of no column", "", "CREATE TABLE Q(A INT, CHECK (B > 0))",
            "ORA-00904: \"B\": invalid identifier");
        row("an unkept ALTER TABLE", parent, "ALTER TABLE P ADD (Y INT)",
            "ORA-03001: unimplemented feature");
    }

    void ddl()
    {
        QFETCH(QString, before);
        QFETCH(QString, statement);
        QFETCH(QString, error);
        QCOMPARE(outcome(*m_c, before), QString());
        QCOMPARE(outcome(*m_c, statement), error);
    }

    // INSERT against a parent P and a child C: what each row meets.
    void inserts_data()
    {
        QTest::addColumn<QString>("insert");
        QTest::addColumn<QString>("error");
        auto row = [](const char* name, const char* insert, const char* error) {
            QTest::newRow(name) << insert << error;
        };
        row("a new key", "INSERT INTO P VALUES(3, 'c', NULL, NULL, 'z')", "");
        row("a repeated primary key", "INSERT INTO P VALUES(1, 'c', NULL, NULL, 'z')",
            "ORA-00001: unique constraint (SCOTT.PK_P) violated");
        row("a repeated unique key", "INSERT INTO P VALUES(3, 'a', NULL, NULL, 'z')",
            "ORA-00001: unique constraint (SCOTT.UK_CODE) violated");
        row("NULL keys never collide", "INSERT INTO P VALUES(3, NULL, NULL, NULL, 'z')", "");
        row("half-NULL keys collide", "INSERT INTO P VALUES(3, 'c', 1, NULL, 'z')",
            "ORA-00001: unique constraint (SCOTT.UK_AB) violated");
        row("all-NULL keys never collide", "INSERT INTO P VALUES(3, 'c', NULL, NULL, 'z')", "");
        row("a unique index", "INSERT INTO P VALUES(3, 'c', NULL, NULL, 'y')",
            "ORA-00001: unique constraint (SCOTT.IX_NOTE) violated");
        row("a child with its parent", "INSERT INTO C VALUES(10, 1, 'a', NULL)", "");
        row("a child without", "INSERT INTO C VALUES(10, 9, NULL, NULL)",
            "ORA-02291: integrity constraint (SCOTT.FK_C_ID) violated - parent key not found");
        row("a key with NULL refers to nothing", "INSERT INTO C VALUES(10, NULL, 'a', NULL)", "");
        row("a foreign key to a unique key", "INSERT INTO C VALUES(10, NULL, 'zz', NULL)",
            "ORA-02291: integrity constraint (SCOTT.FK_C_CODE) violated - parent key not found");
        row("a row that is its own parent", "INSERT INTO C VALUES(10, NULL, NULL, 10)", "");
        row("a row whose parent is missing", "INSERT INTO C VALUES(10, NULL, NULL, 11)",
            "ORA-02291: integrity constraint (SCOTT.FK_C_UP) violated - parent key not found");
        row("a check that holds", "INSERT INTO P VALUES(3, 'c', 5, 5, NULL)", "");
        row("a check that is unknown", "INSERT INTO P VALUES(3, 'c', NULL, 5, NULL)", "");
        row("a check that fails", "INSERT INTO P VALUES(3, 'c', 6, 5, NULL)",
            "ORA-02290: check constraint (SCOTT.CK_AB) violated");
    }

    void inserts()
    {
        QFETCH(QString, insert);
        QFETCH(QString, error);
        QCOMPARE(outcome(*m_c,
                     "CREATE TABLE P(ID INT CONSTRAINT PK_P PRIMARY KEY, CODE VARCHAR2(5) "
                     "CONSTRAINT UK_CODE UNIQUE, A INT, B INT, NOTE VARCHAR2(5), CONSTRAINT UK_AB "
                     "UNIQUE (A, B), CONSTRAINT CK_AB CHECK (A <= B));"
                     "CREATE UNIQUE INDEX IX_NOTE ON P(NOTE);"
                     "INSERT INTO P VALUES(1, 'a', 1, NULL, 'y');"
                     "INSERT INTO P VALUES(2, NULL, NULL, NULL, NULL);"
                     "CREATE TABLE C(ID INT PRIMARY KEY, PID INT, CODE VARCHAR2(5), UP INT, "
                     "CONSTRAINT FK_C_ID FOREIGN KEY (PID) REFERENCES P, CONSTRAINT FK_C_CODE "
                     "FOREIGN KEY (CODE) REFERENCES P(CODE) ON DELETE SET NULL, "
                     "CONSTRAINT FK_C_UP FOREIGN KEY (UP) REFERENCES C)"),
            QString());
        const QStringList parents = query(*m_c, "SELECT * FROM P");
        QCOMPARE(outcome(*m_c, insert), error);
        // A refused row leaves nothing behind.
        const QString table = insert.section(' ', 2, 2);
        const int added = error.isEmpty() ? 1 : 0;
        QCOMPARE(query(*m_c, "SELECT * FROM " + table).size(),
            (table == "P" ? parents.size() : 0) + added);
    }

    // UPDATE, DELETE and MERGE against a parent P with three children: what
    // each statement meets, and the children afterwards.
    void changes_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QStringList>("children"); // C1, C2 and C3 rows, C1's first
        const QStringList untouched { "C1:10|1", "C2:20|1", "C3:30|b" };
        auto row
            = [](const char* name, const char* statement, const char* error, QStringList children) {
                  QTest::newRow(name) << statement << error << children;
              };
        row("a check on update", "UPDATE P SET N = -1 WHERE ID = 1",
            "ORA-02290: check constraint (SCOTT.CK_N) violated", untouched);
        row("a repeated key on update", "UPDATE P SET CODE = 'c' WHERE ID = 1",
            "ORA-00001: unique constraint (SCOTT.UK_CODE) violated", untouched);
        row("a referred key keeps its value", "UPDATE P SET ID = 9 WHERE ID = 1",
            "ORA-02292: integrity constraint (SCOTT.FK1) violated - child record found", untouched);
        row("an unreferred key may change", "UPDATE P SET ID = 9 WHERE ID = 3", "", untouched);
        row("a child without a parent", "UPDATE C3 SET PCODE = 'q'",
            "ORA-02291: integrity constraint (SCOTT.FK3) violated - parent key not found",
            untouched);
        row("deleting a parent with children kept", "DELETE FROM P WHERE ID = 2",
            "ORA-02292: integrity constraint (SCOTT.FK3) violated - child record found", untouched);
        row("deleting cascades and sets NULL", "DELETE FROM P WHERE ID = 1", "",
            { "C2:20|<null>", "C3:30|b" });
        row("a merge that breaks a check",
            "MERGE INTO P USING (SELECT 3 AS ID FROM DUAL) S ON (P.ID = S.ID) WHEN MATCHED THEN "
            "UPDATE SET N = -5",
            "ORA-02290: check constraint (SCOTT.CK_N) violated", untouched);
        row("a merge that inserts a repeated key",
            "MERGE INTO P USING (SELECT 4 AS ID FROM DUAL) S ON (P.ID = S.ID) WHEN NOT MATCHED "
            "THEN INSERT (ID, CODE, N) VALUES (S.ID, 'a', 0)",
            "ORA-00001: unique constraint (SCOTT.UK_CODE) violated", untouched);
    }

    void changes()
    {
        QFETCH(QString, statement);
        QFETCH(QString, error);
        QFETCH(QStringList, children);
        QCOMPARE(outcome(*m_c,
                     "CREATE TABLE P(ID INT PRIMARY KEY, CODE VARCHAR2(3) CONSTRAINT UK_CODE "
                     "UNIQUE, N INT CONSTRAINT CK_N CHECK (N >= 0));"
                     "CREATE TABLE C1(ID INT, PID INT CONSTRAINT FK1 REFERENCES P ON DELETE "
                     "CASCADE);CREATE TABLE C2(ID INT, PID INT CONSTRAINT FK2 REFERENCES P ON "
                     "DELETE SET NULL);CREATE TABLE C3(ID INT, PCODE VARCHAR2(3) CONSTRAINT FK3 "
                     "REFERENCES P(CODE));INSERT INTO P VALUES(1, 'a', 1);INSERT INTO P VALUES(2, "
                     "'b', 2);INSERT INTO P VALUES(3, 'c', 3);INSERT INTO C1 VALUES(10, 1);INSERT "
                     "INTO C2 VALUES(20, 1);INSERT INTO C3 VALUES(30, 'b')"),
            QString());
        QCOMPARE(outcome(*m_c, statement), error);
        QStringList got;
        for (const char* child : { "C1", "C2", "C3" }) {
            for (const QString& r : query(*m_c, QString("SELECT * FROM ") + child))
                got << child + QString(":") + r;
        }
        QCOMPARE(got, children);
        for (const char* table : { "C1", "C2", "C3" })
            Statement(*m_c).exec(QString("DROP TABLE ") + table);
    }

    // A child record a SET NULL rule cannot empty refuses the delete.
    void setNullIntoNotNull()
    {
        QVERIFY(run(*m_c, "CREATE TABLE P(ID INT PRIMARY KEY)"));
        QVERIFY(run(*m_c, "CREATE TABLE C(PID INT NOT NULL REFERENCES P ON DELETE SET NULL)"));
        QVERIFY(run(*m_c, "INSERT INTO P VALUES(1)"));
        QVERIFY(run(*m_c, "INSERT INTO C VALUES(1)"));
        QCOMPARE(outcome(*m_c, "DELETE FROM P"),
            QString("ORA-01407: cannot update (\"SCOTT\".\"C\".\"PID\") to NULL"));
        QCOMPARE(tableRows(*m_c, "P"), QStringList { "1" });
    }

    // A refused row in a parameter array stops the array there and takes
    // its own row back, as Oracle's array DML does.
    void arrayStopsAtAnOrphan()
    {
        QVERIFY(run(*m_c, "CREATE TABLE P(ID INT PRIMARY KEY)"));
        QVERIFY(run(*m_c, "INSERT INTO P VALUES(1)"));
        QVERIFY(run(*m_c, "CREATE TABLE C(ID INT, PID INT REFERENCES P)"));
        Statement s(*m_c);
        QVERIFY(SQL_SUCCEEDED(s.prepare("INSERT INTO C VALUES(?, ?)")));
        SQLINTEGER ids[3] = { 1, 2, 3 }, pids[3] = { 1, 5, 1 };
        SQLUSMALLINT status[3] = {};
        QVERIFY(SQL_SUCCEEDED(s.setAttr(SQL_ATTR_PARAMSET_SIZE, SQLULEN(3))));
        QVERIFY(SQL_SUCCEEDED(s.setAttr(SQL_ATTR_PARAM_STATUS_PTR, status)));
        SQLBindParameter(
            s.handle(), 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, ids, 0, nullptr);
        SQLBindParameter(
            s.handle(), 2, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, pids, 0, nullptr);
        QCOMPARE(SQLExecute(s.handle()), SQLRETURN(SQL_ERROR));
        QCOMPARE(s.diag().native, 2291);
        QCOMPARE(s.diag().state, QString("23000"));
        QCOMPARE(s.diag().row, SQLLEN(2));
        QCOMPARE(status[1], SQLUSMALLINT(SQL_PARAM_ERROR));
        // Under autocommit the whole array is rolled back.
        QCOMPARE(tableRows(*m_c, "C"), QStringList());
        m_c->setAutocommit(false);
        QCOMPARE(SQLExecute(s.handle()), SQLRETURN(SQL_ERROR));
        QCOMPARE(tableRows(*m_c, "C"), QStringList { "1|1" });
        SQLEndTran(SQL_HANDLE_DBC, m_c->handle(), SQL_ROLLBACK);
        m_c->setAutocommit(true);
    }

    void identity_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("inserts"); // ';'-separated, into G(ID, V) or G(V)
        QTest::addColumn<QString>("error"); // of the last insert
        QTest::addColumn<QStringList>("ids");
        auto row
            = [](const char* name, const char* column, const char* inserts, const char* error,
                  QStringList ids) { QTest::newRow(name) << column << inserts << error << ids; };
        row("always is not updated", "ID NUMBER GENERATED ALWAYS AS IDENTITY",
            "INSERT INTO G(V) VALUES(1);UPDATE G SET ID = 5",
            "ORA-32796: cannot update a generated always identity column", { "1" });
        row("merged rows take the next value", "ID INT GENERATED ALWAYS AS IDENTITY",
            "INSERT INTO G(V) VALUES(1);MERGE INTO G USING (SELECT 2 AS V FROM DUAL) S ON (G.V = "
            "S.V) WHEN NOT MATCHED THEN INSERT (V) VALUES (S.V)",
            "", { "1", "2" });
        row("always", "ID NUMBER GENERATED ALWAYS AS IDENTITY",
            "INSERT INTO G(V) VALUES(1);INSERT INTO G VALUES(DEFAULT, 2);INSERT INTO G VALUES(9, "
            "3)",
            "ORA-32795: cannot insert into a generated always identity column", { "1", "2" });
        row("by default", "ID INT GENERATED BY DEFAULT AS IDENTITY (START WITH 10 INCREMENT BY 5)",
            "INSERT INTO G(V) VALUES(1);INSERT INTO G VALUES(3, 2);INSERT INTO G(V) VALUES(3);"
            "INSERT INTO G VALUES(NULL, 4)",
            "ORA-01400: cannot insert NULL into (\"SCOTT\".\"G\".\"ID\")", { "10", "3", "15" });
        row("by default on null", "ID INT GENERATED BY DEFAULT ON NULL AS IDENTITY",
            "INSERT INTO G VALUES(NULL, 1);INSERT INTO G VALUES(7, 2);INSERT INTO G(V) VALUES(3)",
            "", { "1", "7", "2" });
        row("counting down", "ID INT GENERATED AS IDENTITY (INCREMENT BY -2)",
            "INSERT INTO G(V) VALUES(1);INSERT INTO G(V) VALUES(2)", "", { "-1", "-3" });
        row("past its precision", "ID NUMBER(1) GENERATED AS IDENTITY (START WITH 9)",
            "INSERT INTO G(V) VALUES(1);INSERT INTO G(V) VALUES(2)",
            "ORA-01438: value larger than specified precision allowed for this column", { "9" });
        row("to its end", "ID INT GENERATED AS IDENTITY (MAXVALUE 2)",
            "INSERT INTO G(V) VALUES(1);INSERT INTO G(V) VALUES(2);INSERT INTO G(V) VALUES(3)",
            "ORA-08004: sequence ISEQ$$_\\d+.NEXTVAL exceeds MAXVALUE and cannot be instantiated",
            { "1", "2" });
        row("cycling", "ID INT GENERATED AS IDENTITY (MAXVALUE 2 CYCLE CACHE 2)",
            "INSERT INTO G(V) VALUES(1);INSERT INTO G(V) VALUES(2);INSERT INTO G(V) VALUES(3)", "",
            { "1", "2", "1" });
    }

    void identity()
    {
        QFETCH(QString, column);
        QFETCH(QString, inserts);
        QFETCH(QString, error);
        QFETCH(QStringList, ids);
        QVERIFY(run(*m_c, "CREATE TABLE G(" + column + ", V INT)"));
        const QString got = outcome(*m_c, inserts);
        QVERIFY2(QRegularExpression(
                     "^" + QRegularExpression::escape(error).replace("\\\\d\\+", "\\d+") + "$")
                     .match(got)
                     .hasMatch(),
            qPrintable(got));
        QStringList stored;
        for (const QString& r : query(*m_c, "SELECT ID FROM G"))
            stored << r;
        QCOMPARE(stored, ids);
    }

    // ALTER TABLE MODIFY moves the next value: past the column's highest
    // with START WITH LIMIT VALUE (as after a copy that wrote the ids), or to
    // a given one.
    void identityMoves()
    {
        QVERIFY(run(*m_c, "CREATE TABLE G(ID INT GENERATED ALWAYS AS IDENTITY, V INT)"));
        QVERIFY(run(*m_c, "ALTER TABLE G MODIFY (ID GENERATED BY DEFAULT AS IDENTITY)"));
        QVERIFY(run(*m_c, "INSERT INTO G VALUES(41, 0)"));
        QVERIFY(run(*m_c, "INSERT INTO G VALUES(40, 0)"));
        QVERIFY(run(*m_c,
            "ALTER TABLE G MODIFY (ID GENERATED BY DEFAULT AS IDENTITY (START WITH LIMIT VALUE))"));
        QVERIFY(run(*m_c, "INSERT INTO G(V) VALUES(1)"));
        QVERIFY(run(*m_c, "ALTER TABLE G MODIFY ID GENERATED ALWAYS AS IDENTITY (START WITH 100)"));
        QVERIFY(run(*m_c, "INSERT INTO G(V) VALUES(2)"));
        QCOMPARE(query(*m_c, "SELECT ID FROM G"), (QStringList { "41", "40", "42", "100" }));
        QCOMPARE(
            query(*m_c, "SELECT GENERATION_TYPE, IDENTITY_OPTIONS FROM USER_TAB_IDENTITY_COLS"),
            QStringList { "ALWAYS|START WITH: 100, INCREMENT BY: 1, MAX_VALUE: "
                          "9999999999999999999999999999, MIN_VALUE: 1, CYCLE_FLAG: N, CACHE_SIZE: "
                          "20, ORDER_FLAG: N, SCALE_FLAG: N, EXTEND_FLAG: N, SESSION_FLAG: N, "
                          "KEEP_VALUE: N" });
    }

    // SYSDATE and SYSTIMESTAMP defaults read the clock at each INSERT.
    void clockDefaults()
    {
        QVERIFY(run(*m_c,
            "CREATE TABLE N(K INT, D DATE DEFAULT SYSDATE, T TIMESTAMP(3) DEFAULT "
            "CURRENT_TIMESTAMP(3), U TIMESTAMP DEFAULT SYSTIMESTAMP, E DATE DEFAULT "
            "CURRENT_DATE)"));
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        QVERIFY(run(*m_c, "INSERT INTO N(K) VALUES(1)"));
        QVERIFY(run(*m_c, "INSERT INTO N VALUES(2, DEFAULT, DEFAULT, DEFAULT, DEFAULT)"));
        const QDateTime after = QDateTime::currentDateTime().addSecs(1);
        const QStringList rows = query(*m_c, "SELECT * FROM N");
        QCOMPARE(rows.size(), 2);
        for (const QString& r : rows) {
            const QStringList cells = r.split('|');
            for (int i = 1; i <= 4; ++i) {
                const QDateTime t = QDateTime::fromString(cells[i].left(19), "yyyy-MM-dd HH:mm:ss");
                QVERIFY2(t >= before && t <= after, qPrintable(r));
            }
            QVERIFY2(cells[2].size() == 23 && cells[1].size() == 19, qPrintable(r));
        }
        QCOMPARE(query(*m_c, "SELECT COLUMN_NAME, DATA_DEFAULT FROM USER_TAB_COLUMNS"),
            (QStringList { "K|<null>", "D|SYSDATE", "T|CURRENT_TIMESTAMP(3)", "U|SYSTIMESTAMP",
                "E|CURRENT_DATE" }));
    }

    // The dictionary reads the definitions back; RENAME keeps them with the
    // table, DROP TABLE takes them away.
    void dictionary_data()
    {
        QTest::addColumn<QString>("select");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("USER_TAB_COLUMNS")
            << "SELECT TABLE_NAME, COLUMN_NAME, DATA_TYPE, DATA_LENGTH, DATA_PRECISION, "
               "DATA_SCALE, "
               "NULLABLE, COLUMN_ID, DATA_DEFAULT, CHAR_LENGTH, CHAR_USED, IDENTITY_COLUMN FROM "
               "USER_TAB_COLUMNS"
            << QStringList { "C|ID|NUMBER|22|<null>|0|N|1|<null>|0|<null>|NO",
                   "C|PID|NUMBER|22|10|0|Y|2|<null>|0|<null>|NO",
                   "C|NOTE|VARCHAR2|40|<null>|<null>|Y|3|'-'|10|C|NO",
                   "Q|ID|NUMBER|22|10|0|N|1|\"SCOTT\".\"ISEQ$$_1\".nextval|0|<null>|YES",
                   "Q|CODE|CHAR|3|<null>|<null>|N|2|<null>|3|B|NO",
                   "Q|MADE|TIMESTAMP(6)|11|<null>|6|Y|3|SYSTIMESTAMP|0|<null>|NO" };
        QTest::newRow("ALL_CONSTRAINTS")
            << "SELECT OWNER, CONSTRAINT_NAME, CONSTRAINT_TYPE, TABLE_NAME, SEARCH_CONDITION, "
               "R_OWNER, R_CONSTRAINT_NAME, DELETE_RULE, STATUS, GENERATED, INDEX_NAME FROM "
               "ALL_CONSTRAINTS"
            << QStringList { "SCOTT|SYS_C00\\d+|P|C|<null>|<null>|<null>|<null>|ENABLED|GENERATED "
                             "NAME|SYS_C00\\d+",
                   "SCOTT|FK_C|R|C|<null>|SCOTT|PK_Q|CASCADE|ENABLED|USER NAME|<null>",
                   "SCOTT|PK_Q|P|Q|<null>|<null>|<null>|<null>|ENABLED|USER NAME|PK_Q",
                   "SCOTT|SYS_C00\\d+|C|Q|\"CODE\" IS NOT "
                   "NULL|<null>|<null>|<null>|ENABLED|GENERATED NAME|<null>",
                   "SCOTT|SYS_C00\\d+|C|Q|\"ID\" IS NOT "
                   "NULL|<null>|<null>|<null>|ENABLED|GENERATED NAME|<null>",
                   "SCOTT|UK_Q|U|Q|<null>|<null>|<null>|<null>|ENABLED|USER NAME|UK_Q" };
        QTest::newRow("USER_CONS_COLUMNS")
            << "SELECT CONSTRAINT_NAME, TABLE_NAME, COLUMN_NAME, POSITION FROM USER_CONS_COLUMNS"
            << QStringList { "SYS_C00\\d+|C|ID|1", "FK_C|C|PID|1", "PK_Q|Q|ID|1",
                   "SYS_C00\\d+|Q|CODE|<null>", "SYS_C00\\d+|Q|ID|<null>", "UK_Q|Q|CODE|1",
                   "UK_Q|Q|MADE|2" };
        QTest::newRow("USER_INDEXES")
            << "SELECT INDEX_NAME, INDEX_TYPE, TABLE_OWNER, TABLE_NAME, UNIQUENESS, GENERATED, "
               "CONSTRAINT_INDEX FROM USER_INDEXES"
            << QStringList { "IX_C|FUNCTION-BASED NORMAL|SCOTT|C|NONUNIQUE|N|NO",
                   "SYS_C00\\d+|NORMAL|SCOTT|C|UNIQUE|Y|YES", "PK_Q|NORMAL|SCOTT|Q|UNIQUE|N|YES",
                   "UK_Q|NORMAL|SCOTT|Q|UNIQUE|N|YES" };
        QTest::newRow("ALL_IND_COLUMNS")
            << "SELECT INDEX_OWNER, INDEX_NAME, TABLE_NAME, COLUMN_NAME, COLUMN_POSITION, DESCEND "
               "FROM ALL_IND_COLUMNS"
            << QStringList { "SCOTT|IX_C|C|NOTE|1|ASC", "SCOTT|IX_C|C|SYS_NC00004\\$|2|DESC",
                   "SCOTT|SYS_C00\\d+|C|ID|1|ASC", "SCOTT|PK_Q|Q|ID|1|ASC",
                   "SCOTT|UK_Q|Q|CODE|1|ASC", "SCOTT|UK_Q|Q|MADE|2|ASC" };
        QTest::newRow("a query of a view")
            << "SELECT INDEX_NAME, UNIQUENESS FROM USER_INDEXES WHERE TABLE_NAME = 'Q' AND "
               "TABLE_OWNER = 'SCOTT' ORDER BY INDEX_NAME DESC"
            << QStringList { "PK_Q|UNIQUE", "UK_Q|UNIQUE" };
        QTest::newRow("USER_IND_EXPRESSIONS")
            << "SELECT INDEX_NAME, TABLE_NAME, COLUMN_EXPRESSION, COLUMN_POSITION FROM "
               "USER_IND_EXPRESSIONS"
            << QStringList { "IX_C|C|\"PID\"|2" };
        QTest::newRow("USER_TAB_IDENTITY_COLS")
            << "SELECT TABLE_NAME, COLUMN_NAME, GENERATION_TYPE, SEQUENCE_NAME FROM "
               "USER_TAB_IDENTITY_COLS"
            << QStringList { "Q|ID|BY DEFAULT|ISEQ\\$\\$_1" };
        QTest::newRow("ALL_TAB_COMMENTS")
            << "SELECT OWNER, TABLE_NAME, TABLE_TYPE, COMMENTS FROM ALL_TAB_COMMENTS"
            << QStringList { "SCOTT|C|TABLE|<null>", "SCOTT|Q|TABLE|it's Q" };
        QTest::newRow("USER_TRIGGERS: CREATE TRIGGER is none of the stand-in's")
            << "SELECT TRIGGER_NAME, TRIGGER_TYPE, TRIGGERING_EVENT, TABLE_OWNER, "
               "BASE_OBJECT_TYPE, TABLE_NAME, STATUS FROM USER_TRIGGERS"
            << QStringList {};
        QTest::newRow("USER_COL_COMMENTS")
            << "SELECT TABLE_NAME, COLUMN_NAME, COMMENTS FROM USER_COL_COMMENTS"
            << QStringList { "C|ID|<null>", "C|PID|<null>", "C|NOTE|<null>", "Q|ID|<null>",
                   "Q|CODE|three letters", "Q|MADE|<null>" };
    }

    void dictionary()
    {
        QFETCH(QString, select);
        QFETCH(QStringList, rows);
        QVERIFY(run(*m_c,
            "CREATE TABLE P(ID NUMBER(10) GENERATED BY DEFAULT AS IDENTITY CONSTRAINT PK_Q "
            "PRIMARY KEY, CODE CHAR(3) NOT NULL, MADE TIMESTAMP DEFAULT SYSTIMESTAMP, "
            "CONSTRAINT UK_Q UNIQUE (CODE, MADE))"));
        QVERIFY(run(*m_c,
            "CREATE TABLE C(ID INT PRIMARY KEY, PID NUMBER(10) CONSTRAINT FK_C REFERENCES P ON "
            "DELETE CASCADE, NOTE VARCHAR2(10 CHAR) DEFAULT '-')"));
        QVERIFY(run(*m_c, "CREATE INDEX IX_C ON C(NOTE, PID DESC)"));
        QVERIFY(run(*m_c, "COMMENT ON TABLE P IS 'it''s Q'"));
        QVERIFY(run(*m_c, "COMMENT ON COLUMN P.CODE IS 'three letters'"));
        QVERIFY(run(*m_c, "COMMENT ON COLUMN C.NOTE IS 'gone'"));
        QVERIFY(run(*m_c, "COMMENT ON COLUMN C.NOTE IS ''"));
        QVERIFY(run(*m_c, "RENAME P TO Q"));
        QVERIFY(run(*m_c, "CREATE TABLE N(A INT UNIQUE)"));
        QVERIFY(run(*m_c, "DROP TABLE N"));
        QStringList got = query(*m_c, select);
        got.sort();
        QStringList want = rows;
        want.sort();
        QCOMPARE(got.size(), want.size());
        for (int i = 0; i < got.size(); ++i) {
            QVERIFY2(QRegularExpression("^" + want[i] + "$").match(got[i]).hasMatch(),
                qPrintable(got[i] + " / " + want[i]));
        }
    }

    void statisticsAndForeignKeys()
    {
        QVERIFY(run(*m_c, "CREATE TABLE P(A INT, B INT, CONSTRAINT PK_P PRIMARY KEY (A, B))"));
        QVERIFY(run(*m_c,
            "CREATE TABLE C(X INT, Y INT, Z INT, CONSTRAINT FK_C FOREIGN KEY (Y, X) REFERENCES "
            "P(B, A) ON DELETE SET NULL)"));
        QVERIFY(run(*m_c, "CREATE INDEX IX_C ON C(Z DESC)"));
        QVERIFY(run(*m_c, "CREATE UNIQUE INDEX UX_C ON C(X)"));
        Statement s(*m_c);
        std::u16string c = wide("C");
        QVERIFY(SQL_SUCCEEDED(SQLStatisticsW(
            s.handle(), nullptr, 0, nullptr, 0, w(c), SQL_NTS, SQL_INDEX_ALL, SQL_QUICK)));
        QCOMPARE(s.rows(),
            (QStringList {
                "<null>|SCOTT|C|<null>|<null>|<null>|0|<null>|<null>|<null>|<null>|<null>|<null>",
                "<null>|SCOTT|C|0|SCOTT|UX_C|3|1|X|A|<null>|<null>|<null>",
                "<null>|SCOTT|C|1|SCOTT|IX_C|3|1|SYS_NC00004$|D|<null>|<null>|<null>" }));
        Statement f(*m_c);
        std::u16string p = wide("P");
        QVERIFY(SQL_SUCCEEDED(SQLForeignKeysW(f.handle(), nullptr, 0, nullptr, 0, w(p), SQL_NTS,
            nullptr, 0, nullptr, 0, nullptr, 0)));
        // The child's columns paired with the key's, in the key's order.
        QCOMPARE(f.rows(),
            (QStringList { "<null>|SCOTT|P|A|<null>|SCOTT|C|X|1|3|2|FK_C|PK_P|7",
                "<null>|SCOTT|P|B|<null>|SCOTT|C|Y|2|3|2|FK_C|PK_P|7" }));
        QCOMPARE(SQLForeignKeysW(f.handle(), nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0,
                     nullptr, 0, nullptr, 0),
            SQLRETURN(SQL_ERROR));
        QCOMPARE(f.diag().state, QString("HY009"));
    }

private:
    std::unique_ptr<World> m_world;
    std::unique_ptr<Connection> m_c;
};

QTEST_GUILESS_MAIN(TestDefinitions)
#include "test_definitions.moc"

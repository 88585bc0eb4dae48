// Arrays of parameters through unixODBC, which passes the statement
// attributes through to the driver: every row of an array goes in, bound by
// column or by row; a refused row ends the array as Oracle's array DML ends.
//
// What a refused row does, and where each part comes from:
// - Oracle Call Interface Programmer's Guide, "Batch Error Mode for
//   OCIStmtExecute()": without batch error mode (Oracle's ODBC driver runs an
//   array as one OCIStmtExecute), "the array operation aborts and the OCI
//   returns an error. Any rows remaining in the array are ignored"; the rows
//   before it are done and stay in the transaction.
// - ODBC Programmer's Reference, SQLBindParameter, "Using Arrays of
//   Parameters" and SQLSetStmtAttr: when SQLExecute returns SQL_ERROR the
//   status array holds SQL_PARAM_SUCCESS for the sets done, SQL_PARAM_ERROR
//   for the one that failed and SQL_PARAM_UNUSED for those after it, "not
//   used because an error occurred in an earlier parameter that forced
//   SQLExecute to abort"; SQL_ATTR_PARAMS_PROCESSED_PTR counts the sets
//   processed, the error set included; the diagnostic record's
//   SQL_DIAG_ROW_NUMBER names the set.
// - Oracle Database ODBC Driver, "Format of the Connection String", keyword
//   BAM (Batch Autocommit Mode), default IfAllSuccessful: under autocommit an
//   array is committed "only if all statements are successful"; here the
//   rows of a refused array are rolled back.
// No Oracle document says what its driver reports of such an array, so a
// registration with FailedArray = keep-unreported answers the worst: the
// rows before the refused one are kept, but neither the statuses, nor the
// processed count, nor the record's row number say which.

#include "standin_fixture.h"

#include <QTest>
#include <array>
#include <cstring>

using namespace standintest;

namespace {

constexpr int rows = 5;

struct Row {
    SQLINTEGER n;
    SQLLEN nLength;
    char t[11];
    SQLLEN tLength;
    SQL_TIMESTAMP_STRUCT d;
    SQLLEN dLength;
};

// Texts as the application hands them over: by SQL_NTS, by a length that
// stops short of what the buffer holds, as NULL, and empty (NULL to Oracle).
const std::array<const char*, rows> texts { "a", "bbXX", "", "", "eeeee" };
const std::array<SQLLEN, rows> textLengths { SQL_NTS, 2, SQL_NULL_DATA, 0, SQL_NTS };

const QString documented = "Microsoft ODBC for Oracle", unreported = "Oracle unreported";

// A status no driver writes, to see which entries the driver left alone.
constexpr SQLUSMALLINT unwritten = 0x7777;

SQL_TIMESTAMP_STRUCT day(int d)
{
    return SQL_TIMESTAMP_STRUCT { 2024, 1, SQLUSMALLINT(d), 0, 0, 0, 0 };
}

} // namespace

class TestArrayDml : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_world = std::make_unique<World>(QByteArray(),
            "[Oracle unreported]\nDriver = @DRIVER@\nDataDirectory = @DATA@\n"
            "FailedArray = keep-unreported\n");
    }

    void init()
    {
        m_c = std::make_unique<Connection>();
        QVERIFY(SQL_SUCCEEDED(m_c->open("SCOTT", "tiger")));
        QVERIFY(run(*m_c, "CREATE TABLE \"AR\"(\"N\" NUMBER, \"T\" VARCHAR2(5), \"D\" DATE)"));
        QVERIFY(run(*m_c, "ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD'"));
    }

    void cleanup()
    {
        m_c.reset();
        Connection c;
        QVERIFY(SQL_SUCCEEDED(c.open("SCOTT", "tiger")));
        QVERIFY(run(c, "DROP TABLE \"AR\""));
    }

    void everyRowGoesIn_data()
    {
        QTest::addColumn<bool>("byRow");
        QTest::addColumn<int>("offsetRows"); // SQL_ATTR_PARAM_BIND_OFFSET_PTR, in rows
        QTest::newRow("bound by column") << false << 0;
        QTest::newRow("bound by row") << true << 0;
        QTest::newRow("bound by row, offset by one row") << true << 1;
    }

    void everyRowGoesIn()
    {
        QFETCH(bool, byRow);
        QFETCH(int, offsetRows);
        Statement s(*m_c);
        std::array<Row, rows + 1> byRows {};
        std::array<SQLINTEGER, rows> ns {};
        std::array<std::array<char, 11>, rows> ts {};
        std::array<SQLLEN, rows> tLengths {};
        std::array<SQL_TIMESTAMP_STRUCT, rows> ds {};
        std::array<SQLLEN, rows> dLengths {};
        for (int i = 0; i < rows; ++i) {
            Row& r = byRows[std::size_t(i + offsetRows)];
            r = Row { i + 1, 0, {}, textLengths[i], day(i + 1), i == 2 ? SQL_NULL_DATA : 0 };
            std::strcpy(r.t, texts[i]);
            ns[i] = r.n;
            std::strcpy(ts[i].data(), texts[i]);
            tLengths[i] = r.tLength;
            ds[i] = r.d;
            dLengths[i] = r.dLength;
        }
        SQLULEN offset = sizeof(Row) * std::size_t(offsetRows);
        SQLULEN processed = 99;
        std::array<SQLUSMALLINT, rows> status {};
        QCOMPARE(s.setAttr(SQL_ATTR_PARAMSET_SIZE, rows), SQLRETURN(SQL_SUCCESS));
        QCOMPARE(s.setAttr(SQL_ATTR_PARAMS_PROCESSED_PTR, &processed), SQLRETURN(SQL_SUCCESS));
        QCOMPARE(s.setAttr(SQL_ATTR_PARAM_STATUS_PTR, status.data()), SQLRETURN(SQL_SUCCESS));
        QCOMPARE(
            s.setAttr(SQL_ATTR_PARAM_BIND_TYPE, byRow ? sizeof(Row) : SQL_PARAM_BIND_BY_COLUMN),
            SQLRETURN(SQL_SUCCESS));
        QCOMPARE(s.setAttr(SQL_ATTR_PARAM_BIND_OFFSET_PTR, &offset), SQLRETURN(SQL_SUCCESS));
        QCOMPARE(s.prepare("INSERT INTO \"AR\" VALUES(?, ?, ?)"), SQLRETURN(SQL_SUCCESS));
        Row& first = byRows[0];
        const SQLHSTMT h = s.handle();
        SQLBindParameter(h, 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 10, 0,
            byRow ? (void*)&first.n : ns.data(), 0, byRow ? &first.nLength : nullptr);
        SQLBindParameter(h, 2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 5, 0,
            byRow ? (void*)first.t : ts.data(), 11, byRow ? &first.tLength : tLengths.data());
        SQLBindParameter(h, 3, SQL_PARAM_INPUT, SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, 19, 0,
            byRow ? (void*)&first.d : ds.data(), 0, byRow ? &first.dLength : dLengths.data());

        QVERIFY2(SQLExecute(h) == SQL_SUCCESS, qPrintable(s.diag().message));
        QCOMPARE(processed, SQLULEN(rows));
        QCOMPARE(status,
            (std::array<SQLUSMALLINT, rows> { SQL_PARAM_SUCCESS, SQL_PARAM_SUCCESS,
                SQL_PARAM_SUCCESS, SQL_PARAM_SUCCESS, SQL_PARAM_SUCCESS }));
        QCOMPARE(s.rowCount(), SQLLEN(rows));
        QCOMPARE(tableRows(*m_c, "AR"),
            (QStringList { "1|a|2024-01-01 00:00:00", "2|bb|2024-01-02 00:00:00", "3|<null>|<null>",
                "4|<null>|2024-01-04 00:00:00", "5|eeeee|2024-01-05 00:00:00" }));
    }

    void refusedRowEndsTheArray_data()
    {
        QTest::addColumn<QString>("driver");
        QTest::addColumn<bool>("autocommit");
        QTest::addColumn<int>("refused"); // the row, from 0
        QTest::addColumn<QByteArray>("number"); // bound as SQL_C_CHAR to SQL_DECIMAL
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("state");
        QTest::addColumn<int>("native");

        QTest::newRow("text too long in the third row")
            << documented << false << 2 << QByteArray("3") << QByteArray("toolong") << "22001"
            << 12899;
        QTest::newRow("in the first row") << documented << false << 0 << QByteArray("1")
                                          << QByteArray("toolong") << "22001" << 12899;
        QTest::newRow("in the last row") << documented << false << 4 << QByteArray("5")
                                         << QByteArray("toolong") << "22001" << 12899;
        QTest::newRow("number ODBC cannot read")
            << documented << false << 2 << QByteArray("x3") << QByteArray("c") << "22018" << 0;
        QTest::newRow("under autocommit") << documented << true << 2 << QByteArray("3")
                                          << QByteArray("toolong") << "22001" << 12899;
        QTest::newRow("unreported, in the third row") << unreported << false << 2 << QByteArray("3")
                                                      << QByteArray("toolong") << "22001" << 12899;
        QTest::newRow("unreported, number ODBC cannot read")
            << unreported << false << 4 << QByteArray("x5") << QByteArray("c") << "22018" << 0;
        QTest::newRow("unreported, under autocommit") << unreported << true << 2 << QByteArray("3")
                                                      << QByteArray("toolong") << "22001" << 12899;
    }

    void refusedRowEndsTheArray()
    {
        QFETCH(QString, driver);
        QFETCH(bool, autocommit);
        QFETCH(int, refused);
        QFETCH(QByteArray, number);
        QFETCH(QByteArray, text);
        QFETCH(QString, state);
        QFETCH(int, native);
        if (driver != documented) {
            m_c = std::make_unique<Connection>();
            QVERIFY(SQL_SUCCEEDED(
                m_c->open(World::connectionString("ZEDA", "SCOTT", "tiger", driver))));
        }
        QCOMPARE(m_c->setAutocommit(autocommit), SQLRETURN(SQL_SUCCESS));
        std::array<std::array<char, 8>, rows> ns {};
        std::array<std::array<char, 8>, rows> ts {};
        for (int i = 0; i < rows; ++i) {
            std::strcpy(ns[i].data(), i == refused ? number : QByteArray::number(i + 1));
            std::strcpy(ts[i].data(), i == refused ? text.constData() : "ok");
        }
        Statement s(*m_c);
        SQLULEN processed = 99;
        std::array<SQLUSMALLINT, rows> status {};
        status.fill(unwritten);
        s.setAttr(SQL_ATTR_PARAMSET_SIZE, rows);
        s.setAttr(SQL_ATTR_PARAMS_PROCESSED_PTR, &processed);
        s.setAttr(SQL_ATTR_PARAM_STATUS_PTR, status.data());
        QCOMPARE(
            s.prepare("INSERT INTO \"AR\"(\"N\", \"T\") VALUES(?, ?)"), SQLRETURN(SQL_SUCCESS));
        SQLBindParameter(
            s.handle(), 1, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_DECIMAL, 10, 0, ns.data(), 8, nullptr);
        SQLBindParameter(
            s.handle(), 2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 5, 0, ts.data(), 8, nullptr);

        QCOMPARE(SQLExecute(s.handle()), SQLRETURN(SQL_ERROR));
        const bool told = driver == documented;
        QCOMPARE(processed, SQLULEN(told ? refused + 1 : 0));
        std::array<SQLUSMALLINT, rows> expected {};
        for (int i = 0; i < rows; ++i)
            expected[i] = !told ? unwritten
                : i < refused   ? SQL_PARAM_SUCCESS
                : i == refused  ? SQL_PARAM_ERROR
                                : SQL_PARAM_UNUSED;
        QCOMPARE(status, expected);
        const Diag d = s.diag();
        QCOMPARE(d.state, state);
        QCOMPARE(d.native, native);
        QCOMPARE(d.row, told ? SQLLEN(refused + 1) : SQLLEN(SQL_ROW_NUMBER_UNKNOWN));
        QCOMPARE(s.diag(2).state, QString()); // one record: the array stopped there

        // The rows before the refused one are in the session's transaction;
        // under autocommit the whole array is gone.
        QStringList kept;
        for (int i = 0; i < refused && !autocommit; ++i)
            kept << QString::number(i + 1) + "|ok|<null>";
        QCOMPARE(tableRows(*m_c, "AR"), kept);
        Connection other;
        QVERIFY(SQL_SUCCEEDED(other.open("SCOTT", "tiger")));
        QCOMPARE(tableRows(other, "AR"), QStringList());
        QCOMPARE(SQLEndTran(SQL_HANDLE_DBC, m_c->handle(), SQL_COMMIT), SQLRETURN(SQL_SUCCESS));
        QCOMPARE(tableRows(other, "AR"), kept);
    }

    void ignoredSetsAreLeftOut()
    {
        std::array<SQLINTEGER, 3> ns { 1, 2, 3 };
        std::array<SQLUSMALLINT, 3> operation { SQL_PARAM_PROCEED, SQL_PARAM_IGNORE,
            SQL_PARAM_PROCEED };
        std::array<SQLUSMALLINT, 3> status {};
        Statement s(*m_c);
        s.setAttr(SQL_ATTR_PARAMSET_SIZE, 3);
        s.setAttr(SQL_ATTR_PARAM_OPERATION_PTR, operation.data());
        s.setAttr(SQL_ATTR_PARAM_STATUS_PTR, status.data());
        QCOMPARE(s.prepare("INSERT INTO \"AR\"(\"N\") VALUES(?)"), SQLRETURN(SQL_SUCCESS));
        SQLBindParameter(
            s.handle(), 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 10, 0, ns.data(), 0, nullptr);
        QCOMPARE(SQLExecute(s.handle()), SQLRETURN(SQL_SUCCESS));
        QCOMPARE(status,
            (std::array<SQLUSMALLINT, 3> {
                SQL_PARAM_SUCCESS, SQL_PARAM_UNUSED, SQL_PARAM_SUCCESS }));
        QCOMPARE(tableRows(*m_c, "AR"), (QStringList { "1|<null>|<null>", "3|<null>|<null>" }));
    }

private:
    std::unique_ptr<World> m_world;
    std::unique_ptr<Connection> m_c;
};

QTEST_GUILESS_MAIN(TestArrayDml)
#include "test_array_dml.moc"

// Rows read ahead on a thread of their own must come out exactly as a
// row-by-row reader would see them: all of them, once, in order, whatever
// else is done with the connection meanwhile.
#include "db/connection.h"
#include "db/connection_strings.h"
#include "db/recordset.h"
#include "db/row_prefetch.h"
#include "odbc/error.h"
#include "support/testbed.h"

#include <QTest>

using namespace tw::db;
using namespace tw::odbc;
using tw::test::Testbed;

namespace {

constexpr int rowCount = 3000;

// What row `id` of table `t` holds (see initTestCase).
Value expectedText(int id)
{
    if (id % 10 == 0)
        return Null();
    if (id % 10 == 1)
        return QStringLiteral("");
    return QString::fromUtf8("Grüße %1 日本 😀 O'Brien ").arg(id) + QString(id % 50, u'x');
}

QByteArray expectedBlob(int id)
{
    // Every 500th row carries 200 KB, more than a batch may hold.
    return id % 500 == 7 ? QByteArray::fromHex("00FF").repeated(100000)
                         : QByteArray::number(id).prepend('\0');
}

} // namespace

class TestRowPrefetch : public QObject {
    Q_OBJECT
private:
    QString m_db;

    std::unique_ptr<Connection> connect()
    {
        auto c = std::make_unique<Connection>();
        c->Open(MySQLConnectionString(Testbed::instance().login(m_db, QString())));
        return c;
    }

    static void checkRow(const Recordset& rs, int id)
    {
        QCOMPARE(rs.field(0).Value, Value(qint64(id)));
        const Value text = rs.field(1).Value;
        const Value expected = expectedText(id);
        QCOMPARE(isNull(text), isNull(expected));
        if (!isNull(expected))
            QCOMPARE(text.toString(), expected.toString());
        QCOMPARE(rs.field(2).Value.toByteArray(), expectedBlob(id));
    }

    // Walks the rest of the rows, checking each; `between(id)` runs after
    // each row's check. Answers how many rows came.
    template <typename Between> static int checkAll(Recordset& rs, Between between)
    {
        int id = 0;
        while (!rs.atEnd()) {
            ++id;
            checkRow(rs, id);
            if (QTest::currentTestFailed()) {
                qWarning("at row %d", id);
                return -1;
            }
            between(id);
            rs.MoveNext();
        }
        return id;
    }

private slots:
    void initTestCase()
    {
        Testbed& bed = Testbed::instance();
        m_db = bed.freshMySQLDatabase(QStringLiteral("tw_prefetch"));
        bed.mysql(
            QStringLiteral(
                "CREATE TABLE t(id INT PRIMARY KEY, txt VARCHAR(200), bl MEDIUMBLOB);"
                "INSERT INTO t SELECT seq, "
                "CASE WHEN seq %% 10 = 0 THEN NULL WHEN seq %% 10 = 1 THEN '' "
                "ELSE CONCAT('Grüße ', seq, ' 日本 😀 O''Brien ', REPEAT('x', seq %% 50)) END, "
                "IF(seq %% 500 = 7, REPEAT(UNHEX('00FF'), 100000), "
                "CONCAT(UNHEX('00'), seq)) FROM seq_1_to_%1;")
                .arg(rowCount)
                .replace(QStringLiteral("%%"), QStringLiteral("%")),
            m_db);
    }

    void everyRowComesOnceAndInOrder()
    {
        auto c = connect();
        Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM t ORDER BY id"), *c);
        QCOMPARE(rs.RecordCount(), rowCount);
        QCOMPARE(checkAll(rs, [](int) {}), rowCount);
        // The end stays the end.
        rs.MoveNext();
        QVERIFY(rs.atEnd());
        QVERIFY(isNull(rs.field(0).Value));
    }

    void usingTheConnectionMeanwhileLosesNoRow()
    {
        auto c = connect();
        Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM t ORDER BY id"), *c);
        const int rows = checkAll(rs, [&](int id) {
            // Statements and a second result on the same connection while
            // the first is being read ahead.
            if (id % 700 == 0) {
                c->Execute(QStringLiteral("SET @seen = %1").arg(id));
                Recordset other;
                other.Open(QStringLiteral("SELECT @seen"), *c);
                QCOMPARE(other.field(0).Value.toLongLong(), qint64(id));
                other.Close();
            }
        });
        QCOMPARE(rows, rowCount);
    }

    void closingTheConnectionFirstIsSafe()
    {
        auto c = connect();
        auto rs = std::make_unique<Recordset>();
        rs->Open(QStringLiteral("SELECT * FROM t ORDER BY id"), *c);
        for (int i = 0; i < 10; ++i)
            rs->MoveNext();
        c->Close();
        // Rows read before the close may still come; after them, reading
        // fails with an error and never with a crash.
        int more = 0;
        bool failed = false;
        while (!rs->atEnd() && more < rowCount) {
            try {
                rs->MoveNext();
                ++more;
            } catch (const DbError&) {
                failed = true;
                break;
            }
        }
        QVERIFY(failed);
        QVERIFY(more < rowCount - 10);
        rs->Close();

        // Gone in the other order: the connection object before the recordset.
        rs = std::make_unique<Recordset>();
        c = connect();
        rs->Open(QStringLiteral("SELECT * FROM t ORDER BY id"), *c);
        rs->MoveNext();
        c.reset();
        rs.reset();

        // Gone before the recordset read past its first row.
        rs = std::make_unique<Recordset>();
        c = connect();
        rs->Open(QStringLiteral("SELECT * FROM t ORDER BY id"), *c);
        c.reset();
        QVERIFY_THROWS_EXCEPTION(DbError, rs->MoveNext());
        rs->Close();
    }

    void aFailingFetchIsThrownInPlaceAndTriedAgain()
    {
        // A statement without a result: every fetch fails. The reader must
        // throw the driver's error, and throw it again on the next take
        // rather than take the failure for the end.
        auto c = connect();
        SQLHSTMT stmt = SQL_NULL_HSTMT;
        QVERIFY(SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, c->handle(), &stmt)));
        QVERIFY(SQL_SUCCEEDED(
            SQLExecDirectW(stmt, toSqlWChar(QStringLiteral("SET @x = 1")).data(), SQL_NTS)));
        {
            ResultColumn column;
            column.name = QStringLiteral("x");
            column.sqlType = SQL_INTEGER;
            ResultReader rows(
                stmt, { planColumn(column, false, c->driverTraits()) }, c->readerOptions(1));
            RowPrefetch reader(rows, 1);
            QList<Value> row;
            for (int attempt = 0; attempt < 2; ++attempt) {
                try {
                    reader.take(row);
                    QFAIL("a fetch without a result succeeded");
                } catch (const DbError& e) {
                    QVERIFY2(!e.sqlState().isEmpty(), e.what());
                }
            }
        }
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    }

    void cleanupTestCase()
    {
        Testbed::instance().mysql(QStringLiteral("DROP DATABASE ") + m_db + ';');
    }
};

QTEST_GUILESS_MAIN(TestRowPrefetch)
#include "tst_row_prefetch.moc"

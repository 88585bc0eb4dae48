// Rows through parameter arrays and back through block fetches, against
// MariaDB Connector/ODBC and the Oracle stand-in: a refused row refuses only
// itself however the driver reports it, and the values read in blocks are
// exactly those a row-by-row read gives.
#include "bulk/bulk_insert.h"
#include "db/connection.h"
#include "db/connection_strings.h"
#include "db/recordset.h"
#include "db/transaction.h"
#include "odbc/result_reader.h"
#include "support/testbed.h"

#include <QTest>
#include <sqlext.h>

using namespace tw::db;
using namespace tw::odbc;
using namespace tw::bulk;
using tw::test::Testbed;

namespace {

enum class Side { MySQL, Oracle };

const QString database = QStringLiteral("tw_bulk_rows");
const QString oracleUser = QStringLiteral("BULK_ROWS");

QString ddl(Side side, const QString& mysql, const QString& oracle)
{
    return side == Side::MySQL ? mysql : oracle;
}

// Text as each target takes it best: UTF-8 for MariaDB (whose session is
// utf8mb4), UTF-16 for Oracle.
ParameterBinding textSpec(Side side)
{
    return side == Side::MySQL ? ParameterBinding { SQL_C_CHAR, SQL_VARCHAR, 0, 0 }
                               : ParameterBinding { SQL_C_WCHAR, SQL_WVARCHAR, 0, 0 };
}

// Whole numbers as their digits: Oracle's driver documents no 64-bit integer
// C type.
ParameterBinding idSpec(Side side)
{
    return { SQL_C_CHAR, SQLSMALLINT(side == Side::MySQL ? SQL_BIGINT : SQL_DECIMAL), 20, 0 };
}

} // namespace

Q_DECLARE_METATYPE(Side)

class TestBulkRows : public QObject {
    Q_OBJECT

    Testbed& bed = Testbed::instance();

    std::unique_ptr<Connection> connect(Side side)
    {
        auto c = std::make_unique<Connection>();
        const LoginDetails login = bed.login(database, oracleUser);
        c->Open(side == Side::MySQL ? MySQLConnectionString(login) : OracleConnectionString(login));
        return c;
    }

    // Small blocks, so that the rows span several fetches; a row that
    // cannot be read comes as its error's text alone.
    static QList<QList<Value>> readInBlocks(Connection& c, SQLHSTMT stmt)
    {
        QList<ColumnPlan> plans;
        for (const ResultColumn& column : describeResult(stmt))
            plans << planColumn(column, false, c.driverTraits());
        ResultReader reader(stmt, plans, c.readerOptions(4));
        QList<QList<Value>> rows;
        for (;;) {
            QList<Value> row;
            try {
                if (!reader.next(row))
                    return rows;
            } catch (const DbError& e) {
                row = { e.description() };
            }
            rows << row;
        }
    }

    static QList<QList<Value>> readAll(Connection& c, const QString& sql)
    {
        Recordset rs;
        rs.Open(sql, c);
        QList<QList<Value>> rows;
        while (!rs.atEnd()) {
            QList<Value> row;
            for (int j = 0; j < rs.FieldCount(); ++j)
                row << rs.field(j).Value;
            // After a row that could not be read the fields hold the row before.
            if (rs.rowReadable())
                rows << row;
            try {
                rs.MoveNext();
            } catch (const DbError& e) {
                rows << QList<Value> { e.description() };
            }
        }
        return rows;
    }

private slots:
    void init()
    {
        bed.freshMySQLDatabase(database);
        bed.freshOracleUser(oracleUser);
    }

    // 1,000 rows in one array; the keys at `refused` are taken already.
    void aRefusedRowRefusesOnlyItself_data()
    {
        QTest::addColumn<Side>("side");
        QTest::addColumn<QList<int>>("refused"); // row indexes, from 0
        for (Side side : { Side::MySQL, Side::Oracle }) {
            const char* name = side == Side::MySQL ? "MySQL" : "Oracle";
            QTest::addRow("%s, the first row", name) << side << QList<int> { 0 };
            QTest::addRow("%s, a row in the middle", name) << side << QList<int> { 500 };
            QTest::addRow("%s, the last row", name) << side << QList<int> { 999 };
            QTest::addRow("%s, three rows", name) << side << QList<int> { 3, 4, 700 };
        }
    }
    void aRefusedRowRefusesOnlyItself()
    {
        QFETCH(Side, side);
        QFETCH(QList<int>, refused);
        auto c = connect(side);
        c->Execute(ddl(side, "CREATE TABLE t(id INT PRIMARY KEY, name VARCHAR(20))",
            "CREATE TABLE T(ID NUMBER(10) PRIMARY KEY, NAME VARCHAR2(20))"));
        for (int r : refused)
            c->Execute(QStringLiteral("INSERT INTO %1 VALUES(%2, 'there first')")
                           .arg(side == Side::MySQL ? "t" : "T")
                           .arg(r + 1));

        ParameterArrays rows({ idSpec(side), textSpec(side) }, 1000);
        for (int i = 1; i <= 1000; ++i)
            QCOMPARE(rows.add({ qint64(i), QStringLiteral("row %1").arg(i) }),
                ParameterArrays::Added::Yes);
        QVERIFY(rows.full());
        BulkInsert insert(
            *c, QStringLiteral("INSERT INTO %1 VALUES(?, ?)").arg(side == Side::MySQL ? "t" : "T"));
        BulkInsert::Sent sent;
        {
            ManualCommit transaction(*c);
            sent = insert.send(rows, transaction);
        }

        QVERIFY(!sent.fatal);
        QCOMPARE(sent.landed, 1000 - int(refused.size()));
        QList<int> found;
        for (const BulkInsert::Refusal& r : sent.refused) {
            found << r.row;
            const QString message = r.error.description();
            QVERIFY2(message.contains(side == Side::MySQL ? "Duplicate entry" : "ORA-00001"),
                qPrintable(message));
        }
        QCOMPARE(found, refused);
        qInfo("%lld executions", insert.executions());

        auto stored
            = readAll(*c, ddl(side, "SELECT id, name FROM t", "SELECT ID, NAME FROM \"T\""));
        std::sort(stored.begin(), stored.end(),
            [](const auto& a, const auto& b) { return a[0].toLongLong() < b[0].toLongLong(); });
        QCOMPARE(stored.size(), 1000);
        for (int i = 0; i < 1000; ++i) {
            QCOMPARE(stored[i][0].toLongLong(), qint64(i + 1));
            QCOMPARE(stored[i][1].toString(),
                refused.contains(i) ? QStringLiteral("there first")
                                    : QStringLiteral("row %1").arg(i + 1));
        }
    }

    // Values no literal carries on Oracle (100 KB of text, text holding
    // U+0000, long bytes) and every kind of value go in as typed
    // parameters, one row alone and in arrays, and come back in blocks
    // exactly as a row-by-row read gives them.
    void valuesGoInTypedAndComeBackInBlocks_data()
    {
        QTest::addColumn<Side>("side");
        QTest::addColumn<int>("rowsPerArray");
        QTest::newRow("MySQL, one row at a time") << Side::MySQL << 1;
        QTest::newRow("MySQL, arrays") << Side::MySQL << 7;
        QTest::newRow("Oracle, one row at a time") << Side::Oracle << 1;
        QTest::newRow("Oracle, arrays") << Side::Oracle << 7;
    }
    void valuesGoInTypedAndComeBackInBlocks()
    {
        QFETCH(Side, side);
        QFETCH(int, rowsPerArray);
        auto c = connect(side);
        c->Execute(ddl(side,
            "CREATE TABLE v(id BIGINT, r DOUBLE, t VARCHAR(100), l LONGTEXT, b LONGBLOB, "
            "d DATETIME(6), f FLOAT)",
            "CREATE TABLE V(ID NUMBER(20), R BINARY_DOUBLE, T VARCHAR2(100 CHAR), L CLOB, B BLOB, "
            "D TIMESTAMP(6), F BINARY_FLOAT)"));
        const QString longText = QString::fromUtf8("Grüße 日本 😀 '\\").repeated(6000);
        const QByteArray longBytes = QByteArray::fromHex("00FF10").repeated(40000);
        const QList<QList<Value>> written {
            { qint64(1), 0.1, QString::fromUtf8("😀 four bytes, Grüße"), longText, longBytes,
                QVariant::fromValue(SqlTimestamp { 2024, 2, 29, 13, 14, 15, 123456000 }), 0.1f },
            { qint64(-9223372036854775807LL - 1), -1.7976931348623157e308,
                QString::fromLatin1("a\0b", 3), QString::fromLatin1("nul \0 inside", 12),
                QByteArray("\0\0x\0", 4),
                QVariant::fromValue(SqlTimestamp { 1999, 12, 31, 23, 59, 58, 0 }), -3.25e38f },
            { qint64(3), Null(), Null(), Null(), Null(), Null(), Null() },
        };
        // The timestamp goes into MariaDB as text (see plainBulkColumn).
        const ParameterBinding stamp = side == Side::MySQL
            ? ParameterBinding { SQL_C_CHAR, SQL_VARCHAR, 0, 0 }
            : ParameterBinding { SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, 26, 6 };
        ParameterArrays rows({ idSpec(side), { SQL_C_DOUBLE, SQL_DOUBLE, 15, 0 }, textSpec(side),
                                 textSpec(side), { SQL_C_BINARY, SQL_LONGVARBINARY, 0, 0 }, stamp,
                                 { SQL_C_DOUBLE, SQL_REAL, 7, 0 } },
            rowsPerArray);
        BulkInsert insert(*c,
            ddl(side, "INSERT INTO v VALUES(?, ?, ?, ?, ?, ?, ?)",
                "INSERT INTO V VALUES(?, ?, ?, ?, ?, ?, ?)"));
        ManualCommit transaction(*c);
        for (int copy = 0; copy < 5; ++copy) {
            for (QList<Value> row : written) {
                row[0] = row[0].toLongLong() == 3 ? Value(qint64(100 + copy)) : row[0];
                if (side == Side::MySQL && !isNull(row[5])) {
                    const auto t = row[5].value<SqlTimestamp>();
                    row[5] = QStringLiteral("%1-%2-%3 %4:%5:%6.%7")
                                 .arg(t.year)
                                 .arg(t.month, 2, 10, QLatin1Char('0'))
                                 .arg(t.day, 2, 10, QLatin1Char('0'))
                                 .arg(t.hour, 2, 10, QLatin1Char('0'))
                                 .arg(t.minute, 2, 10, QLatin1Char('0'))
                                 .arg(t.second, 2, 10, QLatin1Char('0'))
                                 .arg(t.fraction / 1000, 6, 10, QLatin1Char('0'));
                }
                if (rows.add(row) == ParameterArrays::Added::Full) {
                    QVERIFY(insert.send(rows, transaction).refused.isEmpty());
                    rows.clear();
                    QCOMPARE(rows.add(row), ParameterArrays::Added::Yes);
                }
            }
        }
        const BulkInsert::Sent last = insert.send(rows, transaction);
        QVERIFY2(last.refused.isEmpty(),
            last.refused.isEmpty() ? "" : qPrintable(last.refused.first().error.description()));

        const QString select = ddl(side, "SELECT * FROM v", "SELECT * FROM \"V\"");
        const auto expected = readAll(*c, select);
        QCOMPARE(expected.size(), 15);

        // Small blocks, so that the rows span several fetches.
        StatementHandle stmt = c->newStatement();
        const std::vector<SQLWCHAR> text = toSqlWChar(select);
        QCOMPARE(SQLExecDirectW(stmt.get(), const_cast<SQLWCHAR*>(text.data()), SQL_NTS),
            SQLRETURN(SQL_SUCCESS));
        const QList<QList<Value>> blocks = readInBlocks(*c, stmt.get());
        QCOMPARE(blocks.size(), expected.size());

        // What went in came back...
        QCOMPARE(blocks[0][2].toString(), written[0][2].toString());
        QCOMPARE(blocks[0][3].toString(), longText);
        QCOMPARE(blocks[0][4].toByteArray(), longBytes);
        QCOMPARE(blocks[0][5], written[0][5]);
        QCOMPARE(blocks[1][2].toString(), written[1][2].toString());
        QCOMPARE(blocks[1][3].toString(), written[1][3].toString());
        QCOMPARE(blocks[1][4].toByteArray(), written[1][4].toByteArray());
        // Single precision, in every row of a block where it was written.
        QCOMPARE(blocks[0][6], written[0][6]);
        QCOMPARE(blocks[1][6], written[1][6]);
        QVERIFY(isNull(blocks[2][1]) && isNull(blocks[2][3]) && isNull(blocks[2][5])
            && isNull(blocks[2][6]));
        // ... as the row-by-row reader reads it.
        for (qsizetype r = 0; r < blocks.size(); ++r) {
            for (qsizetype col = 0; col < blocks[r].size(); ++col) {
                QVERIFY2(blocks[r][col] == expected[r][col],
                    qPrintable(QStringLiteral("row %1, column %2").arg(r).arg(col)));
            }
        }
    }

    // Text that is not UTF-8 (a latin1 column read with the server's
    // conversion switched off) is refused, with the column named, by the
    // row-by-row reader and the block reader alike; the rows around it arrive.
    void textThatIsNotUtf8IsRefusedByBothReaders()
    {
        auto c = connect(Side::MySQL);
        c->Execute(QStringLiteral(
            "CREATE TABLE latin(id INT PRIMARY KEY, t VARCHAR(10) CHARACTER SET latin1)"));
        c->Execute(
            QStringLiteral("INSERT INTO latin VALUES (1, 'plain'), (2, _utf8mb4 'caf\u00e9'), "
                           "(3, 'after')"));
        c->Execute(QStringLiteral("SET character_set_results = NULL"));
        const QString select = QStringLiteral("SELECT id, t FROM latin ORDER BY id");
        const auto rows = readAll(*c, select);
        StatementHandle stmt = c->newStatement();
        const std::vector<SQLWCHAR> text = toSqlWChar(select);
        QCOMPARE(SQLExecDirectW(stmt.get(), const_cast<SQLWCHAR*>(text.data()), SQL_NTS),
            SQLRETURN(SQL_SUCCESS));
        const auto blocks = readInBlocks(*c, stmt.get());
        QCOMPARE(rows, blocks);
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0][1].toString(), QStringLiteral("plain"));
        QCOMPARE(rows[1].first().toString(),
            QStringLiteral("The text of column \"t\" is not valid UTF-8."));
        QCOMPARE(rows[2][1].toString(), QStringLiteral("after"));
    }
};

QTEST_MAIN(TestBulkRows)
#include "tst_bulk_rows.moc"

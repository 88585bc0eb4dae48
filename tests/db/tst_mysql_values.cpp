#include "db/ado_types.h"
#include "db/connection.h"
#include "db/connection_strings.h"
#include "db/recordset.h"
#include "odbc/error.h"
#include "support/testbed.h"

#include <QTest>

using namespace tw::db;
using namespace tw::odbc;
using tw::test::Testbed;

namespace {
const char* const createAllTypes
    = "CREATE TABLE all_types("
      "ti TINYINT, tiu TINYINT UNSIGNED, si SMALLINT, siu SMALLINT UNSIGNED, "
      "mi MEDIUMINT, i INT, iu INT UNSIGNED, bi BIGINT, biu BIGINT UNSIGNED, "
      "de DECIMAL(30,10), fl FLOAT, db DOUBLE, d DATE, dt DATETIME(6), "
      "ts TIMESTAMP(3) NULL, tm TIME(2), yr YEAR, ch CHAR(10), vc VARCHAR(100), "
      "tx TEXT, lt LONGTEXT, bl BLOB, vb VARBINARY(100), bt BIT(1), "
      "en ENUM('alpha','beta'), js JSON)";
} // namespace

class TestMySQLValues : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<Connection> m_conn;
    QString m_db;

    Recordset& openAll(Recordset& rs, const QString& where)
    {
        rs.Open(QStringLiteral("SELECT * FROM all_types WHERE ") + where, *m_conn);
        return rs;
    }

private slots:
    void initTestCase()
    {
        Testbed& bed = Testbed::instance();
        // Runs twice side by side (two locales): one database each.
        const QString db = bed.freshMySQLDatabase(qEnvironmentVariableIsSet("LANG")
                ? QStringLiteral("tw_values_utf8")
                : QStringLiteral("tw_values_c"));
        bed.mysql(QString::fromLatin1(createAllTypes) + QLatin1Char(';'), db);
        bed.mysql(QString::fromUtf8(
                      "INSERT INTO all_types VALUES(-128,255,-32768,65535,-8388608,-2147483648,"
                      "4294967295,-9223372036854775808,18446744073709551615,"
                      "'-12345678901234567890.0123456789',1.5,0.1,'2024-02-29',"
                      "'2024-02-29 13:14:15.123456','2038-01-19 03:14:07.5','-838:59:58.25',2024,"
                      "'ab','Grüße, 日本語, Ελληνικά 😀','tab\\there',"
                      "'','\\0\\0x\\0',X'00FF0010',b'1','beta','{\"k\": [1, 2]}');"),
            db);
        bed.mysql(QStringLiteral("INSERT INTO all_types (ti) VALUES (NULL);"), db);
        bed.mysql(QStringLiteral("UPDATE all_types SET bt = b'0' WHERE ti IS NULL;"), db);
        m_conn = std::make_unique<Connection>();
        m_conn->Open(MySQLConnectionString(bed.login(db, QString())));
        m_db = db;
    }
    void cleanupTestCase() { m_conn.reset(); }

    void everyColumnReportsItsAdoCode()
    {
        Recordset rs;
        openAll(rs, QStringLiteral("ti = -128"));
        const QList<QPair<const char*, int>> expected = { { "ti", 16 }, { "tiu", 17 }, { "si", 2 },
            { "siu", 18 }, { "mi", 3 }, { "i", 3 }, { "iu", 19 }, { "bi", 20 }, { "biu", 21 },
            { "de", 131 }, { "fl", 4 }, { "db", 5 }, { "d", 133 }, { "dt", 135 }, { "ts", 135 },
            { "tm", 134 }, { "yr", 18 }, { "ch", 130 }, { "vc", 202 }, { "tx", 203 }, { "lt", 203 },
            { "bl", 205 }, { "vb", 204 }, { "bt", 11 }, { "en", 130 }, { "js", 203 } };
        QCOMPARE(rs.FieldCount(), int(expected.size()));
        for (int i = 0; i < rs.FieldCount(); ++i) {
            QCOMPARE(rs.field(i).Name, QString::fromLatin1(expected[i].first));
            QVERIFY2(rs.field(i).Type == expected[i].second,
                qPrintable(QStringLiteral("%1: %2 (%3)")
                               .arg(rs.field(i).Name)
                               .arg(rs.field(i).Type)
                               .arg(AdoTypeName(rs.field(i).Type))));
        }
    }

    void everyValueReadsBackExactly()
    {
        Recordset rs;
        openAll(rs, QStringLiteral("ti = -128"));
        QCOMPARE(rs.RecordCount(), 1);
        auto v = [&](int i) { return rs.field(i).Value; };
        QCOMPARE(v(0), QVariant(qint64(-128)));
        QCOMPARE(v(1), QVariant(quint64(255)));
        QCOMPARE(v(2), QVariant(qint64(-32768)));
        QCOMPARE(v(3), QVariant(quint64(65535)));
        QCOMPARE(v(4), QVariant(qint64(-8388608)));
        QCOMPARE(v(5), QVariant(qint64(-2147483648LL)));
        QCOMPARE(v(6), QVariant(quint64(4294967295ULL)));
        QCOMPARE(v(7), QVariant(qint64(std::numeric_limits<qint64>::min())));
        QCOMPARE(v(8), QVariant(quint64(std::numeric_limits<quint64>::max())));
        QCOMPARE(v(9), QVariant(QStringLiteral("-12345678901234567890.0123456789")));
        QCOMPARE(v(10).typeId(), QMetaType::Float);
        QCOMPARE(v(10).toFloat(), 1.5f);
        QCOMPARE(v(11).typeId(), QMetaType::Double);
        QCOMPARE(v(11).toDouble(), 0.1);
        QCOMPARE(v(12).value<SqlDate>(), (SqlDate { 2024, 2, 29 }));
        QCOMPARE(
            v(13).value<SqlTimestamp>(), (SqlTimestamp { 2024, 2, 29, 13, 14, 15, 123456000 }));
        QCOMPARE(v(14).value<SqlTimestamp>(), (SqlTimestamp { 2038, 1, 19, 3, 14, 7, 500000000 }));
        QCOMPARE(v(15).value<SqlTime>(), (SqlTime { true, 838, 59, 58, 250000000 }));
        QCOMPARE(v(16), QVariant(quint64(2024)));
        QCOMPARE(v(17), QVariant(QStringLiteral("ab")));
        QCOMPARE(v(18).toString(), QString::fromUtf8("Grüße, 日本語, Ελληνικά 😀"));
        QCOMPARE(v(19).toString(), QStringLiteral("tab\there"));
        QVERIFY(!isNull(v(20)));
        QCOMPARE(v(20).toString(), QString());
        QCOMPARE(v(21).toByteArray(), QByteArray("\0\0x\0", 4));
        QCOMPARE(v(22).toByteArray(), QByteArray("\x00\xff\x00\x10", 4));
        QCOMPARE(v(23), QVariant(true));
        QCOMPARE(v(24), QVariant(QStringLiteral("beta")));
        QCOMPARE(v(25).toString(), QStringLiteral("{\"k\": [1, 2]}"));
        rs.MoveNext();
        QVERIFY(rs.atEnd());
    }

    // MariaDB's driver writes a double as text with fewer digits than it
    // needs ("0.3" for 0.1 + 0.2) and cannot say whether a column counts
    // its precision in decimal digits: its doubles must come as binary.
    void doublesKeepEveryBit()
    {
        Recordset rs;
        rs.Open(QStringLiteral("SELECT 0.1e0 + 0.2e0, CAST(16777217 AS FLOAT)"), *m_conn);
        QCOMPARE(rs.field(0).Value.typeId(), QMetaType::Double);
        QCOMPARE(rs.field(0).Value.toDouble(), 0.1 + 0.2);
        QCOMPARE(rs.field(1).Value.toDouble(), 16777216.0);
    }

    void sqlNullIsNullAndBitZeroIsFalse()
    {
        Recordset rs;
        openAll(rs, QStringLiteral("ti IS NULL"));
        for (int i = 0; i < rs.FieldCount(); ++i) {
            if (rs.field(i).Name == QLatin1String("bt"))
                QCOMPARE(rs.field(i).Value, QVariant(false));
            else
                QVERIFY2(isNull(rs.field(i).Value), qPrintable(rs.field(i).Name));
        }
    }

    // Values that MariaDB's driver would turn into NULL (zero dates, allowed by
    // a permissive sql_mode) or cut (wide text at U+0000), and text columns of
    // other character sets, which the session hands over as UTF-8.
    void valuesNoDateStructureOrWideTextHoldsArriveWhole_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("literal");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("zero DATE") << "DATE"
                                   << "'0000-00-00'" << QVariant::fromValue(SqlDate {});
        QTest::newRow("DATE with a zero month")
            << "DATE"
            << "'2024-00-15'" << QVariant::fromValue(SqlDate { 2024, 0, 15 });
        QTest::newRow("zero DATETIME")
            << "DATETIME"
            << "'0000-00-00 00:00:00'" << QVariant::fromValue(SqlTimestamp {});
        QTest::newRow("zero TIMESTAMP")
            << "TIMESTAMP NULL"
            << "'0000-00-00 00:00:00'" << QVariant::fromValue(SqlTimestamp {});
        QTest::newRow("U+0000 in TEXT")
            << "TEXT"
            << "CONCAT('ab', CHAR(0), 'cd')" << QVariant(QString::fromUtf16(u"ab\0cd", 5));
        QTest::newRow("U+0000 and a character beyond the BMP")
            << "VARCHAR(20)" << QString::fromUtf8("CONCAT('x', CHAR(0), 'y😀')")
            << QVariant(QString::fromUtf8("x\0y😀", 7));
        QTest::newRow("latin1 column")
            << "VARCHAR(20) CHARACTER SET latin1" << QString::fromUtf8("'Grüße'")
            << QVariant(QString::fromUtf8("Grüße"));
        QTest::newRow("gbk column")
            << "VARCHAR(20) CHARACTER SET gbk" << QString::fromUtf8("'中文'")
            << QVariant(QString::fromUtf8("中文"));
        QTest::newRow("a leading byte order mark")
            << "VARCHAR(20)"
            << "CONCAT(_utf8mb4 X'EFBBBF', 'a')" << QVariant(QChar(0xFEFF) + QStringLiteral("a"));
    }
    void valuesNoDateStructureOrWideTextHoldsArriveWhole()
    {
        QFETCH(QString, type);
        QFETCH(QString, literal);
        QFETCH(QVariant, expected);
        Testbed::instance().mysql(QStringLiteral("SET SESSION sql_mode = ''; DROP TABLE IF EXISTS "
                                                 "odd; CREATE TABLE odd(v %1); INSERT INTO odd "
                                                 "VALUES(%2);")
                                      .arg(type, literal),
            m_db);
        Recordset rs;
        rs.Open(QStringLiteral("SELECT v FROM odd"), *m_conn);
        QCOMPARE(rs.field(0).Value, expected);
    }

    void longTextAndLongBinaryArriveWhole()
    {
        QString big;
        big.reserve(5 * 1024 * 1024);
        const QString piece = QString::fromUtf8("abcdéfghij😀");
        while (big.size() < 5 * 1024 * 1024)
            big += piece;
        QByteArray blob(3 * 1024 * 1024 + 7, '\0');
        for (qsizetype i = 0; i < blob.size(); ++i)
            blob[i] = char(i * 7 % 256);
        m_conn->Execute(QStringLiteral("DROP TABLE IF EXISTS big"));
        m_conn->Execute(QStringLiteral("CREATE TABLE big(lt LONGTEXT, lb LONGBLOB)"));
        m_conn->Execute(QStringLiteral("INSERT INTO big VALUES('%1', X'%2')")
                            .arg(big, QString::fromLatin1(blob.toHex())));
        Recordset rs;
        rs.Open(QStringLiteral("SELECT lt, lb FROM big"), *m_conn);
        QCOMPARE(rs.field(0).Value.toString().size(), big.size());
        QVERIFY(rs.field(0).Value.toString() == big);
        QVERIFY(rs.field(1).Value.toByteArray() == blob);
    }

    void recordCountIsKnownBeforeTheFirstRow()
    {
        m_conn->Execute(QStringLiteral("DROP TABLE IF EXISTS counted"));
        m_conn->Execute(QStringLiteral("CREATE TABLE counted(n INT)"));
        for (int i = 0; i < 7; ++i)
            m_conn->Execute(QStringLiteral("INSERT INTO counted VALUES(%1)").arg(i));
        Recordset rs;
        rs.Open(QStringLiteral("SELECT n FROM counted ORDER BY n"), *m_conn);
        QCOMPARE(rs.RecordCount(), 7);
        for (int i = 0; i < 7; ++i) {
            QVERIFY(!rs.atEnd());
            QCOMPARE(rs.field(0).Value, QVariant(qint64(i)));
            rs.MoveNext();
        }
        QVERIFY(rs.atEnd());
        rs.Close();
        QVERIFY_THROWS_EXCEPTION(DbError, rs.RecordCount());

        Recordset empty;
        empty.Open(QStringLiteral("SELECT n FROM counted WHERE n > 100"), *m_conn);
        QCOMPARE(empty.RecordCount(), 0);
        QVERIFY(empty.atEnd());
        QCOMPARE(empty.field(0).Name, QStringLiteral("n"));
    }

    void executeReturnsRowsOnlyWhenThereAreSome()
    {
        auto rows = m_conn->Execute(QStringLiteral("SHOW TABLES;"));
        QVERIFY(rows);
        QVERIFY(rows->RecordCount() >= 1);
        QVERIFY(!m_conn->Execute(QStringLiteral("DROP TABLE IF EXISTS nothing_here")));
    }

    void aRefusedStatementRaisesTheServersText()
    {
        try {
            m_conn->Execute(QStringLiteral("DROP TABLE `no_such_table`"));
            QFAIL("DROP of a missing table succeeded");
        } catch (const DbError& e) {
            QVERIFY2(e.description().contains(QStringLiteral("Unknown table")),
                qPrintable(e.description()));
            QCOMPARE(e.nativeError(), 1051);
            QCOMPARE(e.sqlState(), QStringLiteral("42S02"));
        }
        Recordset rs;
        QVERIFY_THROWS_EXCEPTION(
            DbError, rs.Open(QStringLiteral("SELECT * FROM `missing`"), *m_conn));
        QVERIFY(!rs.isOpen());
    }
};

QTEST_GUILESS_MAIN(TestMySQLValues)
#include "tst_mysql_values.moc"

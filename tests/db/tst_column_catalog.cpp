#include "db/column_catalog.h"
#include "db/connection.h"
#include "db/connection_strings.h"
#include "db/db_error.h"
#include "support/testbed.h"

#include <QTest>

using namespace tw::db;
using tw::test::Testbed;

namespace {

// Every MySQL type, the key declared out of column order.
const char* const mysqlTable
    = "CREATE TABLE every_type(ti TINYINT NOT NULL, tiu TINYINT UNSIGNED, si SMALLINT, "
      "miu MEDIUMINT UNSIGNED, i INT, biu BIGINT UNSIGNED, de DECIMAL(65,30), "
      "d102 DECIMAL(10,2) UNSIGNED, fl FLOAT, db DOUBLE, b1 BIT(1), b64 BIT(64), yr YEAR, "
      "d DATE, dt DATETIME, dt6 DATETIME(6), ts6 TIMESTAMP(6) NULL, tm TIME, tm6 TIME(6), "
      "c10 CHAR(10), vc VARCHAR(100), vcl VARCHAR(100) CHARACTER SET latin1, tt TINYTEXT, "
      "tx TEXT, lt LONGTEXT, bn BINARY(8), vb VARBINARY(300), tb TINYBLOB, lb LONGBLOB, "
      "en ENUM('alpha','beta'), st SET('a','bb','ccc'), js JSON, PRIMARY KEY (si, ti));";

const char* const oracleTable
    = "CREATE TABLE \"EVERY_TYPE\"(N NUMBER, N38 NUMBER(38) NOT NULL, N10 NUMBER(10), "
      "N102 NUMBER(10,2), NNEG NUMBER(5,-2), I INTEGER, F FLOAT, F20 FLOAT(20), "
      "BF BINARY_FLOAT, BD BINARY_DOUBLE, D DATE, TS TIMESTAMP, TS9 TIMESTAMP(9), "
      "IDS INTERVAL DAY TO SECOND, IDS9 INTERVAL DAY(9) TO SECOND(9), VC VARCHAR2(100), "
      "VCC VARCHAR2(100 CHAR), NVC NVARCHAR2(50), C CHAR(10), NC NCHAR(5), CL CLOB, "
      "NCL NCLOB, BL BLOB, R RAW(16), CONSTRAINT PK_E PRIMARY KEY (N10, N38))";

// What the reader answers for one column, in one line.
QString described(const CatalogColumn& c)
{
    auto optional = [](const auto& v) { return v ? QString::number(*v) : QStringLiteral("-"); };
    QString line = QStringLiteral("%1 %2 size=%3 octets=%4 digits=%5 radix=%6%7%8")
                       .arg(c.sqlType)
                       .arg(c.typeName, optional(c.columnSize), optional(c.octetLength),
                           optional(c.decimalDigits))
                       .arg(c.radix)
                       .arg(c.isUnsigned ? QStringLiteral(" unsigned") : QString(),
                           c.nullable ? QString() : QStringLiteral(" not-null"));
    if (!c.columnType.isEmpty())
        line += QStringLiteral(" [%1 %2]").arg(c.columnType, c.characterSet);
    return line.trimmed();
}

} // namespace

class TestColumnCatalog : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<Connection> m_mysql;
    std::unique_ptr<Connection> m_oracle;
    TableCatalog m_mysqlTable;
    TableCatalog m_oracleTable;

    static const CatalogColumn* find(const TableCatalog& table, const QString& name)
    {
        for (const CatalogColumn& c : table.columns) {
            if (c.name == name)
                return &c;
        }
        return nullptr;
    }

private slots:
    void initTestCase()
    {
        Testbed& bed = Testbed::instance();
        const QString db = bed.freshMySQLDatabase(QStringLiteral("tw_catalog"));
        const QString user = bed.freshOracleUser(QStringLiteral("tw_catalog"));
        bed.mysql(QString::fromLatin1(mysqlTable), db);
        // Tables whose names a pattern or a case-blind match would take for it.
        bed.mysql(
            QStringLiteral("CREATE TABLE everyXtype(x INT); CREATE TABLE EVERY_TYPE(y INT);"), db);
        bed.oracle(user, QString::fromLatin1(oracleTable));
        bed.oracle(user, QStringLiteral("CREATE TABLE \"EVERYXTYPE\"(X NUMBER)"));
        m_mysql = std::make_unique<Connection>();
        m_mysql->Open(MySQLConnectionString(bed.login(db, user)));
        m_oracle = std::make_unique<Connection>();
        m_oracle->Open(OracleConnectionString(bed.login(db, user)));
        m_mysqlTable = ReadTableCatalog(*m_mysql, Server::MySQL, QStringLiteral("every_type"));
        m_oracleTable = ReadTableCatalog(*m_oracle, Server::Oracle, QStringLiteral("EVERY_TYPE"));
    }
    void cleanupTestCase()
    {
        m_mysql.reset();
        m_oracle.reset();
    }

    void mysqlColumnsAsDeclared_data()
    {
        QTest::addColumn<QString>("expected");
        // Sizes, digits and character sets come from information_schema:
        // MariaDB's driver says DATETIME(6) and DATETIME alike.
        QTest::newRow("ti")
            << "-6 TINYINT size=3 octets=- digits=0 radix=10 not-null [tinyint(4) ]";
        QTest::newRow("tiu") << "-6 TINYINT UNSIGNED size=3 octets=- digits=0 radix=10 unsigned "
                                "[tinyint(3) unsigned ]";
        QTest::newRow("miu") << "4 MEDIUMINT UNSIGNED size=8 octets=- digits=0 radix=10 unsigned "
                                "[mediumint(8) unsigned ]";
        QTest::newRow("biu") << "-5 BIGINT UNSIGNED size=20 octets=- digits=0 radix=10 unsigned "
                                "[bigint(20) unsigned ]";
        QTest::newRow("de") << "3 DECIMAL size=65 octets=- digits=30 radix=10 [decimal(65,30) ]";
        QTest::newRow("d102") << "3 DECIMAL UNSIGNED size=10 octets=- digits=2 radix=10 unsigned "
                                 "[decimal(10,2) unsigned ]";
        QTest::newRow("fl") << "7 FLOAT size=12 octets=- digits=- radix=10 [float ]";
        QTest::newRow("b1") << "-7 BIT size=1 octets=- digits=- radix=10 [bit(1) ]";
        QTest::newRow("b64") << "-2 BIT size=64 octets=- digits=- radix=10 [bit(64) ]";
        QTest::newRow("yr") << "5 YEAR size=4 octets=- digits=- radix=10 [year(4) ]";
        QTest::newRow("dt") << "93 DATETIME size=19 octets=- digits=0 radix=10 [datetime ]";
        QTest::newRow("dt6") << "93 DATETIME size=19 octets=- digits=6 radix=10 [datetime(6) ]";
        QTest::newRow("ts6") << "93 TIMESTAMP size=19 octets=- digits=6 radix=10 [timestamp(6) ]";
        QTest::newRow("tm6") << "92 TIME size=8 octets=- digits=6 radix=10 [time(6) ]";
        QTest::newRow("c10") << "-8 CHAR size=10 octets=40 digits=- radix=0 [char(10) utf8mb4]";
        QTest::newRow("vcl")
            << "-9 VARCHAR size=100 octets=100 digits=- radix=0 [varchar(100) latin1]";
        QTest::newRow("tt")
            << "-10 TINYTEXT size=255 octets=255 digits=- radix=0 [tinytext utf8mb4]";
        QTest::newRow("bn") << "-2 BINARY size=8 octets=8 digits=- radix=0 [binary(8) ]";
        QTest::newRow("lb")
            << "-4 LONGBLOB size=4294967295 octets=4294967295 digits=- radix=0 [longblob ]";
        QTest::newRow("en")
            << "-8 ENUM size=5 octets=20 digits=- radix=0 [enum('alpha','beta') utf8mb4]";
        QTest::newRow("st")
            << "-8 SET size=8 octets=32 digits=- radix=0 [set('a','bb','ccc') utf8mb4]";
        QTest::newRow("js")
            << "-10 LONGTEXT size=4294967295 octets=4294967295 digits=- radix=0 [longtext utf8mb4]";
    }
    void mysqlColumnsAsDeclared()
    {
        QFETCH(QString, expected);
        const CatalogColumn* c = find(m_mysqlTable, QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(c);
        QCOMPARE(described(*c), expected);
    }

    void oracleColumnsAsDeclared_data()
    {
        QTest::addColumn<QString>("expected");
        // SQLColumns tells NUMBER from NUMBER(38) by its missing digits.
        QTest::newRow("N") << "3 NUMBER size=38 octets=- digits=- radix=10";
        QTest::newRow("N38") << "3 NUMBER size=38 octets=- digits=0 radix=10 not-null";
        QTest::newRow("NNEG") << "3 NUMBER size=5 octets=- digits=-2 radix=10";
        QTest::newRow("I") << "3 NUMBER size=38 octets=- digits=0 radix=10";
        QTest::newRow("F") << "8 FLOAT size=126 octets=- digits=- radix=2";
        QTest::newRow("F20") << "8 FLOAT size=20 octets=- digits=- radix=2";
        QTest::newRow("BF") << "7 BINARY_FLOAT size=7 octets=- digits=- radix=10";
        QTest::newRow("D") << "93 DATE size=19 octets=- digits=0 radix=0";
        QTest::newRow("TS9") << "93 TIMESTAMP(9) size=29 octets=- digits=9 radix=0";
        QTest::newRow("IDS")
            << "12 INTERVAL DAY(2) TO SECOND(6) size=19 octets=19 digits=6 radix=0";
        QTest::newRow("VCC") << "12 VARCHAR2 size=100 octets=400 digits=- radix=0";
        QTest::newRow("NVC") << "-9 NVARCHAR2 size=50 octets=100 digits=- radix=0";
        QTest::newRow("NC") << "-8 NCHAR size=5 octets=10 digits=- radix=0";
        QTest::newRow("NCL") << "-10 NCLOB size=2147483647 octets=2147483647 digits=- radix=0";
        QTest::newRow("R") << "-3 RAW size=16 octets=16 digits=- radix=0";
    }
    void oracleColumnsAsDeclared()
    {
        QFETCH(QString, expected);
        const CatalogColumn* c = find(m_oracleTable, QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(c);
        QCOMPARE(described(*c), expected);
    }

    void onlyTheNamedTableInItsOrderWithItsKeyInKeyOrder()
    {
        // MariaDB's own SQLPrimaryKeys gives ti before si.
        QCOMPARE(m_mysqlTable.primaryKey, QStringList({ "si", "ti" }));
        QCOMPARE(m_oracleTable.primaryKey, QStringList({ "N10", "N38" }));
        QCOMPARE(m_mysqlTable.columns.size(), 32);
        QCOMPARE(m_mysqlTable.columns.first().name, QStringLiteral("ti"));
        QCOMPARE(m_mysqlTable.columns.last().name, QStringLiteral("js"));
        QCOMPARE(m_oracleTable.columns.size(), 24);
        QCOMPARE(m_oracleTable.columns.last().name, QStringLiteral("R"));
        const TableCatalog upper
            = ReadTableCatalog(*m_mysql, Server::MySQL, QStringLiteral("EVERY_TYPE"));
        QCOMPARE(upper.columns.size(), 1);
        QCOMPARE(upper.columns.first().name, QStringLiteral("y"));
        QVERIFY(upper.primaryKey.isEmpty());
    }

    void aMissingTableIsAnError()
    {
        QVERIFY_THROWS_EXCEPTION(
            DbError, ReadTableCatalog(*m_mysql, Server::MySQL, QStringLiteral("every")));
        QVERIFY_THROWS_EXCEPTION(
            DbError, ReadTableCatalog(*m_oracle, Server::Oracle, QStringLiteral("every_type")));
    }
};

QTEST_GUILESS_MAIN(TestColumnCatalog)
#include "tst_column_catalog.moc"

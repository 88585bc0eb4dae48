#include "catalog/table_catalog.h"
#include "copy/exact/exact_types.h"
#include "db/connection.h"
#include "db/connection_strings.h"
#include "odbc/error.h"
#include "support/testbed.h"

#include <QTest>

using namespace tw::catalog;
using namespace tw::db;
using namespace tw::odbc;
using namespace tw::copy;
using namespace tw::sql;
using tw::test::Testbed;

namespace {

// Every MySQL type, with the sizes where the mapping changes its mind; the
// key declared out of column order.
const char* const mysqlTable
    = "CREATE TABLE every_type(ti TINYINT NOT NULL, tiu TINYINT UNSIGNED, si SMALLINT, "
      "miu MEDIUMINT UNSIGNED, bi BIGINT, biu BIGINT UNSIGNED, de DECIMAL(65,30), "
      "d102 DECIMAL(10,2) UNSIGNED, fl FLOAT, db DOUBLE, b1 BIT(1), b64 BIT(64), yr YEAR, "
      "dt DATETIME, dt6 DATETIME(6), ts6 TIMESTAMP(6) NULL, tm6 TIME(6), c10 CHAR(10), "
      "vc VARCHAR(1000), vcw VARCHAR(1001), vcl VARCHAR(1333) CHARACTER SET latin1, "
      "vca VARCHAR(4000) CHARACTER SET ascii, tt TINYTEXT, tx TEXT, bn BINARY(8), "
      "vb VARBINARY(2000), vbw VARBINARY(2001), tb TINYBLOB, "
      "en ENUM('alpha','beta'), st SET('a','bb','ccc'), js JSON, pt POINT, uu UUID, "
      "PRIMARY KEY (si, ti));";

const char* const oracleTable
    = "CREATE TABLE \"EVERY_TYPE\"(N NUMBER, N38 NUMBER(38) NOT NULL, N2 NUMBER(2), "
      "N10 NUMBER(10), N19 NUMBER(19), N102 NUMBER(10,2), NNEG NUMBER(5,-2), NS NUMBER(2,5), "
      "NS31 NUMBER(10,31), NBIG NUMBER(38,-84), I INTEGER, F FLOAT, F49 FLOAT(49), "
      "F50 FLOAT(50), BF BINARY_FLOAT, BD BINARY_DOUBLE, D DATE, TS0 TIMESTAMP(0), TS TIMESTAMP, "
      "TS9 TIMESTAMP(9), ID1 INTERVAL DAY(1) TO SECOND(0), IDS INTERVAL DAY TO SECOND, "
      "IDS9 INTERVAL DAY(9) TO SECOND(9), VC VARCHAR2(4000), VCC VARCHAR2(100 CHAR), "
      "NVC NVARCHAR2(50), C2000 CHAR(2000), NC NCHAR(5), CL CLOB, BL BLOB, R RAW(16), "
      "CONSTRAINT PK_E PRIMARY KEY (N10, N38))";

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

// The character set clauses of MySQL targets, shortened for the tables below.
QString shortType(QString type)
{
    type.replace(
        QLatin1String(" CHARACTER SET utf8mb4 COLLATE utf8mb4_bin"), QLatin1String(" +utf8"));
    type.replace(QLatin1String(" CHARACTER SET ascii COLLATE ascii_bin"), QLatin1String(" +ascii"));
    return type;
}

const CatalogColumn* find(const TableCatalog& table, const char* name)
{
    for (const CatalogColumn& c : table.columns) {
        if (c.name == QLatin1String(name))
            return &c;
    }
    return nullptr;
}

} // namespace

class TestExactTypes : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<Connection> m_mysql;
    std::unique_ptr<Connection> m_oracle;
    TableCatalog m_mysqlTable;
    TableCatalog m_oracleTable;

    // A column as the reader read it (when `description` is given) and the
    // type an exact copy gives it on the other side.
    static void check(const TableCatalog& table, const QString& description,
        const QString& expected, ExactColumn (*map)(const CatalogColumn&))
    {
        const CatalogColumn* c = find(table, QTest::currentDataTag());
        QVERIFY(c);
        if (!description.isEmpty())
            QCOMPARE(described(*c), description);
        const ExactColumn target = map(*c);
        QCOMPARE(shortType(target.type), expected);
        QVERIFY(!target.reason.isEmpty());
    }

private slots:
    void initTestCase()
    {
        Testbed& bed = Testbed::instance();
        const QString db = bed.freshMySQLDatabase(QStringLiteral("tw_exact_types"));
        const QString user = bed.freshOracleUser(QStringLiteral("tw_exact_types"));
        bed.mysql(QString::fromLatin1(mysqlTable), db);
        // Names that a pattern, or a match blind to letter case, would take for it.
        bed.mysql(
            QStringLiteral("CREATE TABLE everyXtype(x INT); CREATE TABLE EVERY_TYPE(y INT);"), db);
        bed.oracle(user, QString::fromLatin1(oracleTable));
        bed.oracle(user, QStringLiteral("CREATE TABLE \"EVERYXTYPE\"(X NUMBER)"));
        m_mysql = std::make_unique<Connection>();
        m_mysql->Open(MySQLConnectionString(bed.login(db, user)));
        m_oracle = std::make_unique<Connection>();
        m_oracle->Open(OracleConnectionString(bed.login(db, user)));
        m_mysqlTable = readTableCatalog(*m_mysql, Server::MySQL, QStringLiteral("every_type"));
        m_oracleTable = readTableCatalog(*m_oracle, Server::Oracle, QStringLiteral("EVERY_TYPE"));
    }
    void cleanupTestCase()
    {
        m_mysql.reset();
        m_oracle.reset();
    }

    void mysqlToOracle_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* column, const char* expected, const char* description = "") {
            QTest::newRow(column) << QString::fromLatin1(description)
                                  << QString::fromLatin1(expected);
        };
        // Sizes, digits and character sets come from information_schema:
        // MariaDB's driver says DATETIME(6) and DATETIME alike.
        row("ti", "NUMBER(3)");
        row("tiu", "NUMBER(3)",
            "-6 TINYINT UNSIGNED size=3 octets=- digits=0 radix=10 unsigned [tinyint(3) unsigned "
            "]");
        row("miu", "NUMBER(8)");
        row("bi", "NUMBER(19)");
        row("biu", "NUMBER(20)");
        // Past Oracle's 38 digits: the exact text, sign, 35 digits, point and 30.
        row("de", "VARCHAR2(67 CHAR)",
            "3 DECIMAL size=65 octets=- digits=30 radix=10 [decimal(65,30) ]");
        row("d102", "NUMBER(10,2)");
        row("fl", "BINARY_FLOAT");
        row("db", "BINARY_DOUBLE");
        row("b1", "NUMBER(1)");
        row("b64", "NUMBER(20)", "-2 BIT size=64 octets=- digits=- radix=10 [bit(64) ]");
        row("yr", "NUMBER(4)");
        row("dt", "DATE");
        row("dt6", "TIMESTAMP(6)", "93 DATETIME size=19 octets=- digits=6 radix=10 [datetime(6) ]");
        row("ts6", "TIMESTAMP(6)");
        row("tm6", "INTERVAL DAY(2) TO SECOND(6)",
            "92 TIME size=8 octets=- digits=6 radix=10 [time(6) ]");
        row("c10", "CHAR(10 CHAR)");
        // A VARCHAR2 ends at 4,000 bytes: 1,000 four-byte characters, 1,333
        // of latin1 (whose euro sign takes three), 4,000 of ascii.
        row("vc", "VARCHAR2(1000 CHAR)");
        row("vcw", "CLOB");
        row("vcl", "VARCHAR2(1333 CHAR)",
            "-9 VARCHAR size=1333 octets=1333 digits=- radix=0 [varchar(1333) latin1]");
        row("vca", "VARCHAR2(4000 CHAR)");
        row("tt", "VARCHAR2(255 CHAR)");
        row("tx", "CLOB");
        row("bn", "RAW(8)");
        row("vb", "RAW(2000)");
        row("vbw", "BLOB");
        row("tb", "RAW(255)");
        row("en", "VARCHAR2(5 CHAR)",
            "-8 ENUM size=5 octets=20 digits=- radix=0 [enum('alpha','beta') utf8mb4]");
        row("st", "VARCHAR2(8 CHAR)");
        row("js", "CLOB",
            "-10 LONGTEXT size=4294967295 octets=4294967295 digits=- radix=0 [longtext utf8mb4]");
        row("pt", "BLOB");
        row("uu", "VARCHAR2(36 CHAR)");
    }
    void mysqlToOracle()
    {
        QFETCH(QString, description);
        QFETCH(QString, expected);
        check(m_mysqlTable, description, expected, exactOracleColumn);
    }

    void oracleToMySQL_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* column, const char* expected, const char* description = "") {
            QTest::newRow(column) << QString::fromLatin1(description)
                                  << QString::fromLatin1(expected);
        };
        // SQLColumns tells NUMBER from NUMBER(38) by its missing digits.
        row("N", "VARCHAR(172) +ascii", "3 NUMBER size=38 octets=- digits=- radix=10");
        row("N38", "DECIMAL(38,0)", "3 NUMBER size=38 octets=- digits=0 radix=10 not-null");
        row("N2", "TINYINT");
        row("N10", "BIGINT"); // 9,999,999,999 passes INT UNSIGNED
        row("N19", "DECIMAL(19,0)");
        row("N102", "DECIMAL(10,2)");
        row("NNEG", "INT", "3 NUMBER size=5 octets=- digits=-2 radix=10"); // up to 9,999,900
        row("NS", "DECIMAL(5,5)"); // 0.00099 at most
        row("NS31", "VARCHAR(34) +ascii");
        row("NBIG", "VARCHAR(123) +ascii");
        row("I", "DECIMAL(38,0)");
        row("F", "VARCHAR(172) +ascii", "8 FLOAT size=126 octets=- digits=- radix=2");
        row("F49", "DOUBLE"); // 15 digits
        row("F50", "VARCHAR(172) +ascii");
        row("BF", "FLOAT");
        row("BD", "DOUBLE");
        row("D", "DATETIME");
        row("TS0", "DATETIME");
        row("TS", "DATETIME(6)");
        row("TS9", "VARCHAR(29) +ascii", "93 TIMESTAMP(9) size=29 octets=- digits=9 radix=0");
        row("ID1", "TIME");
        row("IDS", "TIME(6)", "12 INTERVAL DAY(2) TO SECOND(6) size=19 octets=19 digits=6 radix=0");
        row("IDS9", "VARCHAR(29) +ascii");
        row("VC", "VARCHAR(4000) +utf8");
        row("VCC", "VARCHAR(100) +utf8", "12 VARCHAR2 size=100 octets=400 digits=- radix=0");
        row("NVC", "VARCHAR(50) +utf8");
        row("C2000", "VARCHAR(2000) +utf8");
        row("NC", "CHAR(5) +utf8");
        row("CL", "LONGTEXT +utf8");
        row("BL", "LONGBLOB");
        row("R", "VARBINARY(16)");
    }
    void oracleToMySQL()
    {
        QFETCH(QString, description);
        QFETCH(QString, expected);
        check(m_oracleTable, description, expected, exactMySQLColumn);
    }

    void onlyTheNamedTableInItsOrderWithItsKeyInKeyOrder()
    {
        // MariaDB's own SQLPrimaryKeys gives ti before si.
        QCOMPARE(m_mysqlTable.primaryKey, QStringList({ "si", "ti" }));
        QCOMPARE(m_oracleTable.primaryKey, QStringList({ "N10", "N38" }));
        QCOMPARE(m_mysqlTable.columns.size(), 33);
        QCOMPARE(m_mysqlTable.columns.last().name, QStringLiteral("uu"));
        QCOMPARE(m_oracleTable.columns.size(), 31);
        QCOMPARE(m_oracleTable.columns.last().name, QStringLiteral("R"));
        const TableCatalog upper
            = readTableCatalog(*m_mysql, Server::MySQL, QStringLiteral("EVERY_TYPE"));
        QCOMPARE(upper.columns.size(), 1);
        QVERIFY(upper.primaryKey.isEmpty());
        QVERIFY_THROWS_EXCEPTION(
            DbError, readTableCatalog(*m_oracle, Server::Oracle, QStringLiteral("every_type")));
    }
};

QTEST_GUILESS_MAIN(TestExactTypes)
#include "tst_exact_types.moc"

#include "catalog_columns.h"
#include "transfer/exact_statements.h"
#include "transfer/exact_types.h"

#include <QTest>

using namespace tw::transfer;
using tw::test::mysqlColumn;
using tw::test::oracleColumn;

namespace {

// The character set clauses of MySQL targets, shortened for the tables below.
QString shortType(QString type)
{
    type.replace(
        QLatin1String(" CHARACTER SET utf8mb4 COLLATE utf8mb4_bin"), QLatin1String(" +utf8"));
    type.replace(QLatin1String(" CHARACTER SET ascii COLLATE ascii_bin"), QLatin1String(" +ascii"));
    return type;
}

} // namespace

class TestExactTypes : public QObject {
    Q_OBJECT
private slots:
    void mysqlToOracle_data()
    {
        QTest::addColumn<QString>("declaration");
        QTest::addColumn<QString>("charset");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* declaration, const char* expected, const char* charset = "") {
            QTest::newRow(declaration) << declaration << charset << expected;
        };
        row("tinyint(4)", "NUMBER(3)");
        row("tinyint(3) unsigned", "NUMBER(3)");
        row("smallint(5) unsigned", "NUMBER(5)");
        row("mediumint(9)", "NUMBER(7)");
        row("mediumint(8) unsigned", "NUMBER(8)");
        row("int(11)", "NUMBER(10)");
        row("int(10) unsigned", "NUMBER(10)");
        row("bigint(20)", "NUMBER(19)");
        row("bigint(20) unsigned", "NUMBER(20)");
        row("decimal(10,2)", "NUMBER(10,2)");
        row("decimal(38,0)", "NUMBER(38)");
        row("decimal(65,30)", "VARCHAR2(67 CHAR)"); // sign, 35 digits, point, 30 digits
        row("decimal(39,39)", "VARCHAR2(42 CHAR)"); // "-0." and 39 digits
        row("float", "BINARY_FLOAT");
        row("float(7,2)", "BINARY_FLOAT");
        row("double", "BINARY_DOUBLE");
        row("bit(1)", "NUMBER(1)");
        row("bit(5)", "NUMBER(2)");
        row("bit(64)", "NUMBER(20)");
        row("year(4)", "NUMBER(4)");
        row("date", "DATE");
        row("datetime", "DATE");
        row("datetime(6)", "TIMESTAMP(6)");
        row("timestamp(3)", "TIMESTAMP(3)");
        row("time", "INTERVAL DAY(2) TO SECOND(0)");
        row("time(6)", "INTERVAL DAY(2) TO SECOND(6)");
        row("char(10)", "CHAR(10 CHAR)");
        row("char(255)", "CHAR(255 CHAR)");
        row("varchar(1000)", "VARCHAR2(1000 CHAR)");
        row("varchar(1001)", "CLOB"); // 4,004 bytes of 4-byte characters
        row("varchar(1333)", "VARCHAR2(1333 CHAR)", "utf8mb3");
        row("varchar(1334)", "CLOB", "utf8mb3");
        row("varchar(1333) ", "VARCHAR2(1333 CHAR)", "latin1"); // the euro sign takes 3
        row("varchar(4000)", "VARCHAR2(4000 CHAR)", "ascii");
        row("tinytext", "VARCHAR2(255 CHAR)");
        row("text", "CLOB");
        row("longtext", "CLOB");
        row("json", "CLOB");
        row("enum('alpha','beta')", "VARCHAR2(5 CHAR)");
        row("set('a','bb','ccc')", "VARCHAR2(8 CHAR)");
        row("binary(8)", "RAW(8)");
        row("varbinary(2000)", "RAW(2000)");
        row("varbinary(2001)", "BLOB");
        row("tinyblob", "RAW(255)");
        row("blob", "BLOB");
        row("longblob", "BLOB");
        row("point", "BLOB");
        row("uuid", "VARCHAR2(36 CHAR)");
    }
    void mysqlToOracle()
    {
        QFETCH(QString, declaration);
        QFETCH(QString, charset);
        QFETCH(QString, expected);
        const ExactColumn c = exactOracleColumn(mysqlColumn(declaration.trimmed(), charset));
        QCOMPARE(c.type, expected);
        QVERIFY(!c.reason.isEmpty());
        QCOMPARE(c.rowBytes, 0);
    }

    void oracleToMySQL_data()
    {
        QTest::addColumn<QString>("declaration");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* declaration, const char* expected) {
            QTest::newRow(declaration) << declaration << expected;
        };
        row("NUMBER(2)", "TINYINT");
        row("NUMBER(3)", "SMALLINT");
        row("NUMBER(9)", "INT");
        row("NUMBER(10)", "BIGINT"); // 9,999,999,999 passes INT UNSIGNED
        row("NUMBER(18)", "BIGINT");
        row("NUMBER(19)", "DECIMAL(19,0)");
        row("NUMBER(38)", "DECIMAL(38,0)");
        row("NUMBER(10,2)", "DECIMAL(10,2)");
        row("NUMBER(*,3)", "DECIMAL(38,3)");
        row("NUMBER(5,-2)", "INT"); // multiples of 100 up to 9,999,900
        row("NUMBER(2,5)", "DECIMAL(5,5)"); // 0.00099 at most
        row("NUMBER(38,-84)", "VARCHAR(123) +ascii");
        row("NUMBER(10,31)", "VARCHAR(34) +ascii");
        row("NUMBER", "VARCHAR(172) +ascii");
        row("FLOAT(49)", "DOUBLE"); // 15 digits
        row("FLOAT(50)", "VARCHAR(172) +ascii");
        row("FLOAT", "VARCHAR(172) +ascii");
        row("BINARY_FLOAT", "FLOAT");
        row("BINARY_DOUBLE", "DOUBLE");
        row("DATE", "DATETIME");
        row("TIMESTAMP(0)", "DATETIME");
        row("TIMESTAMP(6)", "DATETIME(6)");
        row("TIMESTAMP(9)", "VARCHAR(29) +ascii");
        row("TIMESTAMP(6) WITH TIME ZONE", "LONGTEXT +utf8");
        row("INTERVAL DAY(1) TO SECOND(0)", "TIME");
        row("INTERVAL DAY(2) TO SECOND(6)", "TIME(6)");
        row("INTERVAL DAY(3) TO SECOND(6)", "VARCHAR(20) +ascii");
        row("INTERVAL DAY(2) TO SECOND(9)", "VARCHAR(22) +ascii");
        row("VARCHAR2(4000)", "VARCHAR(4000) +utf8");
        row("NVARCHAR2(50)", "VARCHAR(50) +utf8");
        row("CHAR(10)", "CHAR(10) +utf8");
        row("CHAR(2000)", "VARCHAR(2000) +utf8");
        row("NCHAR(5)", "CHAR(5) +utf8");
        row("CLOB", "LONGTEXT +utf8");
        row("NCLOB", "LONGTEXT +utf8");
        row("LONG", "LONGTEXT +utf8");
        row("BLOB", "LONGBLOB");
        row("LONG RAW", "LONGBLOB");
        row("RAW(16)", "VARBINARY(16)");
    }
    void oracleToMySQL()
    {
        QFETCH(QString, declaration);
        QFETCH(QString, expected);
        const ExactColumn c = exactMySQLColumn(oracleColumn(declaration));
        QCOMPARE(shortType(c.type), expected);
        QVERIFY(!c.reason.isEmpty());
        QVERIFY(c.rowBytes > 0);
    }

    void onlyFloatsFinerThanADoubleAreReadAsText()
    {
        QVERIFY(exactMySQLColumn(oracleColumn(QStringLiteral("FLOAT(126)"))).sourceAsText);
        QVERIFY(!exactMySQLColumn(oracleColumn(QStringLiteral("FLOAT(49)"))).sourceAsText);
        QVERIFY(!exactMySQLColumn(oracleColumn(QStringLiteral("NUMBER"))).sourceAsText);
    }

    void wideTablesTakeTextTypesBelowMySQLsRowLimit()
    {
        tw::db::TableCatalog source;
        for (int i = 0; i < 6; ++i) {
            auto c = oracleColumn(QStringLiteral("VARCHAR2(4000)"));
            c.name = QStringLiteral("V%1").arg(i);
            source.columns.append(c);
        }
        auto key = oracleColumn(QStringLiteral("VARCHAR2(700)"));
        key.name = QStringLiteral("K");
        key.nullable = false;
        source.columns.append(key);
        source.primaryKey = QStringList { QStringLiteral("K") };
        const ExactTable table = exactTable(Direction::ToMySQL, source);

        // 6 x 16,002 + 2,802 bytes as VARCHARs; three must go, the key stays.
        int bytes = 0;
        int widened = 0;
        for (const ExactColumn& c : table.columns) {
            bytes += c.rowBytes;
            widened += c.type.startsWith(QLatin1String("TEXT")) ? 1 : 0;
        }
        QVERIFY2(bytes + 1 <= mysqlRowLimit, qPrintable(QString::number(bytes)));
        QCOMPARE(widened, 3);
        QCOMPARE(shortType(table.columns.last().type), QStringLiteral("VARCHAR(700) +utf8"));
        QVERIFY(table.columns.first().reason.contains(QLatin1String("row limit")));
    }

    void createStatementsQuoteNamesKeepNotNullAndTheKey()
    {
        tw::db::TableCatalog mysql;
        for (const auto& [name, declaration, nullable] :
            { std::tuple { "id", "int(11)", false }, std::tuple { "na`me", "varchar(20)", true },
                std::tuple { "at", "datetime(6)", false } }) {
            auto c = mysqlColumn(QString::fromLatin1(declaration));
            c.name = QString::fromLatin1(name);
            c.nullable = nullable;
            mysql.columns.append(c);
        }
        mysql.primaryKey = QStringList { QStringLiteral("at"), QStringLiteral("id") };
        QCOMPARE(exactCreateStatement(
                     exactTable(Direction::ToOracle, mysql), QStringLiteral("Or\"ders")),
            QStringLiteral("CREATE TABLE \"Or\"\"ders\" (\"id\" NUMBER(10) NOT NULL, \"na`me\" "
                           "VARCHAR2(20 CHAR), \"at\" TIMESTAMP(6) NOT NULL, PRIMARY KEY (\"at\", "
                           "\"id\"))"));

        tw::db::TableCatalog oracle;
        auto n = oracleColumn(QStringLiteral("NUMBER(10)"));
        n.name = QStringLiteral("ID`");
        n.nullable = false;
        oracle.columns.append(n);
        QCOMPARE(
            exactCreateStatement(exactTable(Direction::ToMySQL, oracle), QStringLiteral("EMP")),
            QStringLiteral("CREATE TABLE `EMP` (`ID``` BIGINT NOT NULL)"));
    }
};

QTEST_GUILESS_MAIN(TestExactTypes)
#include "tst_exact_types.moc"

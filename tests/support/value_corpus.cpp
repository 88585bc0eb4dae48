#include "support/value_corpus.h"

namespace tw::test {

QList<TypedColumn> typedColumns()
{
    return {
        { "ti", "TINYINT", oracleInt },
        { "tiu", "TINYINT UNSIGNED", oracleInt },
        { "si", "SMALLINT", oracleInt },
        { "siu", "SMALLINT UNSIGNED", oracleInt },
        { "mi", "MEDIUMINT", oracleInt },
        { "i", "INT", oracleInt },
        { "iu", "INT UNSIGNED", oracleInt },
        { "bi", "BIGINT", oracleInt },
        { "biu", "BIGINT UNSIGNED", oracleInt },
        { "de", "DECIMAL(30,10)", oracleVarchar },
        { "fl", "FLOAT", oracleVarchar },
        { "db", "DOUBLE", oracleFloat },
        { "d", "DATE", oracleDate },
        { "dt", "DATETIME(6)", oracleVarchar },
        { "ts", "TIMESTAMP(3) NULL", oracleVarchar },
        { "tm", "TIME(2)", oracleVarchar },
        { "yr", "YEAR", oracleInt },
        { "ch", "CHAR(10)", oracleVarchar },
        { "vc", "VARCHAR(100)", oracleVarchar },
        { "tx", "TEXT", oracleVarchar },
        { "lt", "LONGTEXT", oracleVarchar },
        { "bl", "BLOB", oracleBlob },
        { "vb", "VARBINARY(100)", oracleVarchar },
        { "bt", "BIT(1)", oracleVarchar },
        { "en", "ENUM('alpha','beta')", oracleVarchar },
        { "js", "JSON", oracleVarchar },
    };
}

QString mysqlAllTypesTable()
{
    QStringList columns;
    for (const TypedColumn& c : typedColumns())
        columns << QStringLiteral("`%1` %2").arg(QLatin1String(c.name), QLatin1String(c.mysqlType));
    return QStringLiteral("CREATE TABLE all_types(%1);").arg(columns.join(QStringLiteral(", ")))
        + QString::fromUtf8(
            R"(INSERT INTO all_types VALUES(-128,255,-32768,65535,-8388608,-2147483648,)"
            R"(4294967295,-9223372036854775808,18446744073709551615,)"
            R"('-12345678901234567890.0123456789',1.5,0.1,'2024-02-29',)"
            R"('2024-02-29 13:14:15.123456','2038-01-19 03:14:07.5','-838:59:58.25',2024,)"
            R"('ab','Grüße 😀','tab\there','','\0\0x\0',X'00FF0010',b'1','beta','{"k": [1, 2]}');)"
            R"(INSERT INTO all_types (ti) VALUES (NULL);)");
}

QList<QPair<QString, QString>> textValues()
{
    return {
        { R"('O''Brien')", "O'Brien" },
        { R"('''''')", "''" },
        { R"('C:\\temp\\new')", R"(C:\temp\new)" },
        { R"('ends\\')", R"(ends\)" },
        { "'Grüße, 日本語, Ελληνικά'", "Grüße, 日本語, Ελληνικά" },
        { "'🙂 ok 😀'", "🙂 ok 😀" },
        { "''", QString() },
        { "NULL", QString() },
    };
}

QStringList oracleReadingsTable()
{
    return {
        "ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD HH24:MI:SS'",
        "ALTER SESSION SET NLS_TIMESTAMP_FORMAT = 'YYYY-MM-DD HH24:MI:SS.FF'",
        "CREATE TABLE READINGS(AMOUNT NUMBER(10,2), COUNTED INT, RATIO FLOAT, TAKEN DATE, "
        "STAMPED TIMESTAMP, LABEL VARCHAR2(100), NOTES CLOB, PICTURE BLOB)",
        "INSERT INTO READINGS VALUES(-1234.5, 42, 0.1, '2024-02-29 13:14:15', "
        "'1999-12-31 23:59:58', 'C:\\temp\\new', 'ends\\', 'CAFE00')",
        "INSERT INTO READINGS VALUES(NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)",
    };
}

QList<QStringList> oracleDigits()
{
    return {
        { "1999-12-31 23:59:58", "123456789012345678901234567890", "1234567890.12" },
        { "2000-02-29 12:00:01", "-987654321098765432109876543210", "-0.07" },
        { "1970-01-01 00:00:01", "100000000000000000000000000001", "9999999999.99" },
    };
}

} // namespace tw::test

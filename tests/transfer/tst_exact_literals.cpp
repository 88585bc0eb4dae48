#include "catalog_columns.h"
#include "transfer/exact_literals.h"
#include "transfer/exact_statements.h"

#include <QTest>
#include <limits>

using namespace tw::transfer;
using namespace tw::db;
using tw::test::mysqlColumn;
using tw::test::oracleColumn;

Q_DECLARE_METATYPE(tw::transfer::Carry)

namespace {

// Source column declarations name their side: "my:" for MySQL, "ora:" for Oracle.
ExactColumn target(const QString& source)
{
    if (source.startsWith(QLatin1String("my:")))
        return exactOracleColumn(mysqlColumn(source.mid(3)));
    return exactMySQLColumn(oracleColumn(source.mid(4)));
}

template <typename T> Value v(T value)
{
    return Value::fromValue(value);
}

} // namespace

class TestExactLiterals : public QObject {
    Q_OBJECT
private slots:
    void literals_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<Value>("value");
        QTest::addColumn<Carry>("carry");
        QTest::addColumn<QString>("expected"); // the literal, or a part of the reason
        auto row = [](const char* tag, const char* source, const Value& value, Carry carry,
                       const QString& expected) {
            QTest::newRow(tag) << QString::fromLatin1(source) << value << carry << expected;
        };
        const auto L = Carry::Literal;
        const auto P = Carry::Parameter;
        const auto R = Carry::Refused;

        // MySQL to Oracle
        row("unsigned maximum", "my:bigint(20) unsigned", v(std::numeric_limits<quint64>::max()), L,
            "18446744073709551615");
        row("signed minimum", "my:bigint(20)", v(std::numeric_limits<qint64>::min()), L,
            "-9223372036854775808");
        row("decimal digits", "my:decimal(10,2)", v(QStringLiteral("-12345678.90")), L,
            "-12345678.90");
        row("decimal past 38 digits as text", "my:decimal(65,30)",
            v(QStringLiteral("-1.000000000000000000000000000001")), L,
            "'-1.000000000000000000000000000001'");
        row("not a number", "my:decimal(10,2)", v(QStringLiteral("1; DROP TABLE t")), R,
            "not a number");
        row("float through its double", "my:float", v(0.1f), L, "'10000000149011612E-17'");
        row("double maximum", "my:double", v(std::numeric_limits<double>::max()), L,
            "'17976931348623157E292'");
        row("smallest double", "my:double", v(std::numeric_limits<double>::denorm_min()), L,
            "'5E-324'");
        row("bit as true", "my:bit(1)", v(true), L, "1");
        row("bit bytes", "my:bit(64)", v(QByteArray("\xff\xff\xff\xff\xff\xff\xff\xfe", 8)), L,
            "18446744073709551614");
        row("year", "my:year(4)", v(quint64(2155)), L, "2155");
        row("date", "my:date", v(SqlDate { 1000, 1, 1 }), L, "DATE '1000-01-01'");
        row("datetime to the second", "my:datetime",
            v(SqlTimestamp { 9999, 12, 31, 23, 59, 59, 0 }), L,
            "TO_DATE('9999-12-31 23:59:59', 'YYYY-MM-DD HH24:MI:SS')");
        row("datetime with microseconds", "my:datetime(6)",
            v(SqlTimestamp { 2024, 2, 29, 13, 14, 15, 123456000 }), L,
            "TIMESTAMP '2024-02-29 13:14:15.123456'");
        row("zero date", "my:datetime", v(SqlTimestamp { 0, 0, 0, 0, 0, 0, 0 }), R,
            "no counterpart");
        row("negative time", "my:time", v(SqlTime { true, 838, 59, 59, 0 }), L,
            "INTERVAL '-34 22:59:59' DAY(2) TO SECOND(0)");
        row("time with a fraction", "my:time(6)", v(SqlTime { true, 0, 0, 0, 500000000 }), L,
            "INTERVAL '-0 00:00:00.5' DAY(2) TO SECOND(6)");
        row("quotes doubled", "my:varchar(10)", v(QStringLiteral("it's")), L, "'it''s'");
        row("backslash kept as it is", "my:varchar(10)", v(QStringLiteral("C:\\")), L, "'C:\\'");
        row("empty text", "my:varchar(10)", v(QString()), R, "empty text as NULL");
        row("U+0000 needs a parameter", "my:varchar(10)", v(QString(QChar(0))), P, "U+0000");
        row("4,000 bytes fit", "my:text", v(QString(1000, QChar(0x4e2d)) + QString(1000, u'a')), L,
            QString());
        row("4,001 bytes do not", "my:text", v(QString(1334, QChar(0x4e2d))), P, "4,000 bytes");
        row("binary as hex", "my:varbinary(8)", v(QByteArray("\x00\xff", 2)), L, "'00FF'");
        row("2,001 bytes need a parameter", "my:blob", v(QByteArray(2001, 'x')), P, "2,000 bytes");
        row("empty binary", "my:blob", v(QByteArray()), R, "empty binary data as NULL");
        row("null", "my:int(11)", Value(), L, "NULL");

        // Oracle to MySQL
        row("NUMBER(10) id", "ora:NUMBER(10)", v(QStringLiteral("2147483647")), L, "2147483647");
        row("fraction into a whole number", "ora:NUMBER(10)", v(QStringLiteral("1.5")), R,
            "not a whole number");
        row("more digits than the scale", "ora:NUMBER(10,2)", v(QStringLiteral("1.234")), R,
            "more digits after the point");
        row("trailing zeros past the scale", "ora:NUMBER(10,2)", v(QStringLiteral("1.2000")), L,
            "1.2000");
        row("NUMBER as text", "ora:NUMBER", v(QStringLiteral("-1E-130")), L, "'-1E-130'");
        row("binary double unquoted", "ora:BINARY_DOUBLE", v(-2.5), L, "-25E-1");
        row("NaN refused", "ora:BINARY_DOUBLE", v(std::numeric_limits<double>::quiet_NaN()), R,
            "NaN");
        row("infinity refused", "ora:BINARY_FLOAT", v(-std::numeric_limits<float>::infinity()), R,
            "infinity");
        row("date with time", "ora:DATE", v(SqlTimestamp { 2024, 2, 29, 13, 14, 15, 0 }), L,
            "'2024-02-29 13:14:15'");
        row("before year 1", "ora:DATE", v(SqlTimestamp { -44, 3, 15, 0, 0, 0, 0 }), R,
            "no counterpart");
        row("nanoseconds into DATETIME(6)", "ora:TIMESTAMP(6)",
            v(SqlTimestamp { 2024, 2, 29, 13, 14, 15, 123456700 }), R, "more fractional digits");
        row("TIMESTAMP(9) as fixed-width text", "ora:TIMESTAMP(9)",
            v(SqlTimestamp { 2024, 2, 29, 13, 14, 15, 120000000 }), L,
            "'2024-02-29 13:14:15.120000000'");
        row("interval text into TIME", "ora:INTERVAL DAY(2) TO SECOND(6)",
            v(QStringLiteral("-34 22:59:59.000000")), L, "'-838:59:59'");
        row("interval past TIME", "ora:INTERVAL DAY(2) TO SECOND(6)",
            v(QStringLiteral("+34 22:59:59.000001")), R, "838:59:59");
        row("backslash as hex", "ora:VARCHAR2(10)", v(QStringLiteral("a\\'")), L,
            "_utf8mb4 X'615c27'");
        row("empty text kept", "ora:VARCHAR2(10)", v(QString()), L, "''");
        row("bytes as bytes", "ora:RAW(16)", v(QByteArray("\x00\x01", 2)), L, "X'0001'");
        row("bytes never into text", "ora:CLOB", v(QByteArray("x")), R, "binary data");
    }
    void literals()
    {
        QFETCH(QString, source);
        QFETCH(Value, value);
        QFETCH(Carry, carry);
        QFETCH(QString, expected);
        const ExactLiteral out = exactLiteral(target(source), value);
        QVERIFY2(out.carry == carry, qPrintable(out.text + out.reason));
        if (carry == Carry::Literal) {
            if (!expected.isEmpty())
                QCOMPARE(out.text, expected);
            QVERIFY(out.reason.isEmpty());
        } else {
            QVERIFY2(out.reason.contains(expected), qPrintable(out.reason));
            QVERIFY(out.text.isEmpty());
        }
    }

    void anInsertNamesTheValueThatCannotGo()
    {
        TableCatalog source;
        for (const char* declaration : { "int(11)", "blob", "varchar(10)" })
            source.columns.append(mysqlColumn(QString::fromLatin1(declaration)));
        const ExactTable table = exactTable(Direction::ToOracle, source);
        const ExactInsert fine = exactInsertStatement(
            table, QStringLiteral("T"), { v(qint64(7)), v(QByteArray("\x01")), Value() });
        QCOMPARE(fine.carry, Carry::Literal);
        QCOMPARE(fine.statement,
            QStringLiteral("INSERT INTO \"T\" (\"c\", \"c\", \"c\") VALUES (7, '01', NULL)"));
        // A refused value outweighs one that a parameter would carry.
        const ExactInsert refused = exactInsertStatement(
            table, QStringLiteral("T"), { v(qint64(7)), v(QByteArray(3000, 'x')), v(QString()) });
        QCOMPARE(refused.carry, Carry::Refused);
        QCOMPARE(refused.column, 2);
        QVERIFY(refused.statement.isEmpty());
        const ExactInsert bound = exactInsertStatement(
            table, QStringLiteral("T"), { v(qint64(7)), v(QByteArray(3000, 'x')), Value() });
        QCOMPARE(bound.carry, Carry::Parameter);
        QCOMPARE(bound.column, 1);
    }
};

QTEST_GUILESS_MAIN(TestExactLiterals)
#include "tst_exact_literals.moc"

#include "copy/exact/exact_statements.h"
#include "copy/exact/exact_values.h"

#include <QTest>
#include <limits>

using namespace tw::catalog;
using namespace tw::copy;
using namespace tw::sql;
using namespace tw::odbc;

Q_DECLARE_METATYPE(tw::copy::Carry)
Q_DECLARE_METATYPE(tw::copy::ExactColumn)

namespace {

// A target column of the form the mapping gives it; `digits` are the
// fractional digits of times and the scale of decimals.
ExactColumn on(Server server, ValueForm form, int digits = 0, int days = 2)
{
    ExactColumn c;
    c.name = QStringLiteral("c");
    c.type = QStringLiteral("the column");
    c.server = server;
    c.form = form;
    c.fractionDigits = digits;
    c.parameter.decimalDigits = digits;
    c.dayDigits = days;
    return c;
}
ExactColumn oracle(ValueForm form, int digits = 0, int days = 2)
{
    return on(Server::Oracle, form, digits, days);
}
ExactColumn mysql(ValueForm form, int digits = 0)
{
    return on(Server::MySQL, form, digits);
}
// An Oracle column that takes NULL for an empty value (--empty-text null).
ExactColumn nullForEmpty(ValueForm form, bool notNull = false)
{
    ExactColumn c = oracle(form);
    c.emptyAsNull = true;
    c.notNull = notNull;
    return c;
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
        QTest::addColumn<ExactColumn>("column");
        QTest::addColumn<Value>("value");
        QTest::addColumn<Carry>("carry");
        QTest::addColumn<QString>("expected"); // the literal, or a part of the reason
        auto row = [](const char* tag, const ExactColumn& column, const Value& value, Carry carry,
                       const QString& expected) {
            QTest::newRow(tag) << column << value << carry << expected;
        };
        const auto L = Carry::Literal;
        const auto P = Carry::Parameter;
        const auto R = Carry::Refused;

        // MySQL to Oracle
        row("unsigned maximum", oracle(ValueForm::Integer), v(std::numeric_limits<quint64>::max()),
            L, "18446744073709551615");
        row("decimal past 38 digits as text", oracle(ValueForm::NumberText),
            v(QStringLiteral("-1.000000000000000000000000000001")), L,
            "'-1.000000000000000000000000000001'");
        row("not a number", oracle(ValueForm::Decimal, 2), v(QStringLiteral("1; DROP TABLE t")), R,
            "not a number");
        row("float through its double", oracle(ValueForm::Float32), v(0.1f), L,
            "'10000000149011612E-17'");
        row("double maximum", oracle(ValueForm::Float64), v(std::numeric_limits<double>::max()), L,
            "'17976931348623157E292'");
        row("bit bytes", oracle(ValueForm::Integer),
            v(QByteArray("\xff\xff\xff\xff\xff\xff\xff\xfe", 8)), L, "18446744073709551614");
        row("date", oracle(ValueForm::Date), v(SqlDate { 1000, 1, 1 }), L, "DATE '1000-01-01'");
        row("datetime to the second", oracle(ValueForm::Date),
            v(SqlTimestamp { 9999, 12, 31, 23, 59, 59, 0 }), L,
            "TO_DATE('9999-12-31 23:59:59', 'YYYY-MM-DD HH24:MI:SS')");
        row("datetime with microseconds", oracle(ValueForm::Timestamp, 6),
            v(SqlTimestamp { 2024, 2, 29, 13, 14, 15, 123456000 }), L,
            "TIMESTAMP '2024-02-29 13:14:15.123456'");
        row("zero date", oracle(ValueForm::Date), v(SqlTimestamp { 0, 0, 0, 0, 0, 0, 0 }), R,
            "no counterpart");
        row("negative time", oracle(ValueForm::Interval, 0), v(SqlTime { true, 838, 59, 59, 0 }), L,
            "INTERVAL '-34 22:59:59' DAY(2) TO SECOND(0)");
        row("time with a fraction", oracle(ValueForm::Interval, 6),
            v(SqlTime { true, 0, 0, 0, 500000000 }), L,
            "INTERVAL '-0 00:00:00.5' DAY(2) TO SECOND(6)");
        row("quotes doubled", oracle(ValueForm::Text), v(QStringLiteral("it's")), L, "'it''s'");
        row("backslash kept as it is", oracle(ValueForm::Text), v(QStringLiteral("C:\\")), L,
            "'C:\\'");
        row("empty text", oracle(ValueForm::Text), v(QString()), R, "empty text as NULL");
        row("empty text as NULL", nullForEmpty(ValueForm::Text), v(QString()), L, "NULL");
        row("empty bytes as NULL", nullForEmpty(ValueForm::Binary), v(QByteArray()), L, "NULL");
        row("empty text into NOT NULL", nullForEmpty(ValueForm::Text, true), v(QString()), R,
            "empty text as NULL");
        row("U+0000 needs a parameter", oracle(ValueForm::Text), v(QString(QChar(0))), P, "U+0000");
        row("4,001 bytes do not", oracle(ValueForm::Text), v(QString(1334, QChar(0x4e2d))), P,
            "4,000 bytes");
        row("binary as hex", oracle(ValueForm::Binary), v(QByteArray("\x00\xff", 2)), L, "'00FF'");
        row("2,001 bytes need a parameter", oracle(ValueForm::Binary), v(QByteArray(2001, 'x')), P,
            "2,000 bytes");
        row("empty binary", oracle(ValueForm::Binary), v(QByteArray()), R,
            "empty binary data as NULL");
        row("null", oracle(ValueForm::Integer), Value(), L, "NULL");

        // Oracle to MySQL
        row("NUMBER(10) id", mysql(ValueForm::Integer), v(QStringLiteral("2147483647")), L,
            "2147483647");
        row("fraction into a whole number", mysql(ValueForm::Integer), v(QStringLiteral("1.5")), R,
            "not a whole number");
        row("more digits than the scale", mysql(ValueForm::Decimal, 2), v(QStringLiteral("1.234")),
            R, "more digits after the point");
        row("exponent written out", mysql(ValueForm::Decimal, 5), v(QStringLiteral("-1.5E-3")), L,
            "-0.0015");
        row("whole number with an exponent", oracle(ValueForm::Integer), v(QStringLiteral("12E+3")),
            L, "12000");
        row("NUMBER as text", mysql(ValueForm::NumberText), v(QStringLiteral("-1E-130")), L,
            "'-1E-130'");
        row("binary double unquoted", mysql(ValueForm::Float64), v(-2.5), L, "-25E-1");
        row("NaN refused", mysql(ValueForm::Float64), v(std::numeric_limits<double>::quiet_NaN()),
            R, "NaN");
        row("NaN as Oracle's text refused", mysql(ValueForm::Float64), v(QStringLiteral("Nan")), R,
            "NaN");
        row("infinity refused", mysql(ValueForm::Float32),
            v(-std::numeric_limits<float>::infinity()), R, "infinity");
        row("date with time", mysql(ValueForm::Timestamp),
            v(SqlTimestamp { 2024, 2, 29, 13, 14, 15, 0 }), L, "'2024-02-29 13:14:15'");
        row("before year 1", mysql(ValueForm::Timestamp),
            v(SqlTimestamp { -44, 3, 15, 0, 0, 0, 0 }), R, "no counterpart");
        row("nanoseconds into DATETIME(6)", mysql(ValueForm::Timestamp, 6),
            v(SqlTimestamp { 2024, 2, 29, 13, 14, 15, 123456700 }), R, "more fractional digits");
        row("TIMESTAMP(9) as fixed-width text", mysql(ValueForm::TimestampText, 9),
            v(SqlTimestamp { 2024, 2, 29, 13, 14, 15, 120000000 }), L,
            "'2024-02-29 13:14:15.120000000'");
        row("interval text into TIME", mysql(ValueForm::Time, 6),
            v(QStringLiteral("-34 22:59:59.000000")), L, "'-838:59:59'");
        row("interval past TIME", mysql(ValueForm::Time, 6),
            v(QStringLiteral("+34 22:59:59.000001")), R, "838:59:59");
        row("backslash as hex", mysql(ValueForm::Text), v(QStringLiteral("a\\'")), L,
            "_utf8mb4 X'615c27'");
        row("empty text kept", mysql(ValueForm::Text), v(QString()), L, "''");
        row("bytes as bytes", mysql(ValueForm::Binary), v(QByteArray("\x00\x01", 2)), L, "X'0001'");
        row("bytes never into text", mysql(ValueForm::Text), v(QByteArray("x")), R, "binary data");
    }
    void literals()
    {
        QFETCH(ExactColumn, column);
        QFETCH(Value, value);
        QFETCH(Carry, carry);
        QFETCH(QString, expected);
        const ExactLiteral out = exactLiteral(column, value);
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
        ExactTable table;
        table.columns
            = { oracle(ValueForm::Integer), oracle(ValueForm::Binary), oracle(ValueForm::Text) };
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

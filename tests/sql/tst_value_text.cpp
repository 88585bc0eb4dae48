#include "sql/value_text.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QTest>
#include <bit>
#include <charconv>
#include <cmath>
#include <limits>

using namespace tw::odbc;
using tw::sql::valueText;

namespace {

template <typename Float> Float readBack(const QString& text, bool* ok)
{
    const QByteArray latin = text.toLatin1();
    Float value {};
    const auto [end, ec] = std::from_chars(latin.constData(), latin.constEnd(), value);
    *ok = ec == std::errc() && end == latin.constEnd();
    return value;
}

// The correctly rounded text with one significant digit fewer; it must not
// read back to the same value, or ours was not the shortest.
template <typename Float> bool oneDigitFewerAlsoReadsBack(Float value, int significantDigits)
{
    if (significantDigits < 2)
        return false;
    char buffer[64];
    const auto end = std::to_chars(
        buffer, buffer + sizeof buffer, value, std::chars_format::scientific, significantDigits - 2)
                         .ptr;
    Float shorter {};
    std::from_chars(buffer, end, shorter);
    return shorter == value;
}

int significantDigits(const QString& text)
{
    QString mantissa = text.section(u'e', 0, 0).remove(u'-').remove(u'.');
    while (mantissa.startsWith(u'0') && mantissa.size() > 1)
        mantissa.remove(0, 1);
    while (mantissa.endsWith(u'0') && mantissa.size() > 1)
        mantissa.chop(1);
    return int(mantissa.size());
}

template <typename Float, typename Bits> void checkRandomValues(int count)
{
    QRandomGenerator random(20170405);
    for (int i = 0; i < count; ++i) {
        // Odd rounds stay near the plain-notation range, which arbitrary bit
        // patterns seldom reach.
        Float value = std::bit_cast<Float>(static_cast<Bits>(random.generate64()));
        if (i % 2 == 1) {
            value = std::ldexp(Float(1 + random.generateDouble()), random.bounded(-24, 56));
            if (random.bounded(2) == 1)
                value = -value;
        }
        const auto bits = std::bit_cast<Bits>(value);
        if (!std::isfinite(value))
            continue;
        const QString text = valueText(Value::fromValue(value));
        bool ok = false;
        const Float back = readBack<Float>(text, &ok);
        QVERIFY2(ok, qPrintable(text));
        QVERIFY2(std::bit_cast<Bits>(back) == bits, qPrintable(text));
        const Float magnitude = std::fabs(value);
        const bool plainRange
            = magnitude == 0 || (magnitude >= Float(1e-5) && magnitude < Float(1e15));
        QVERIFY2(text.contains(u'e') != plainRange, qPrintable(text));
        QVERIFY2(!oneDigitFewerAlsoReadsBack(value, significantDigits(text)), qPrintable(text));
    }
}

} // namespace

class TestValueText : public QObject {
    Q_OBJECT
private slots:
    void nullBecomesEmptyText() { QCOMPARE(valueText(Value()), QString()); }

    void wholeNumbersAreWrittenInDecimal_data()
    {
        QTest::addColumn<Value>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << Value(qint64(0)) << "0";
        QTest::newRow("minus one") << Value(qint64(-1)) << "-1";
        QTest::newRow("seven digits without grouping") << Value(qint64(1234567)) << "1234567";
        QTest::newRow("smallest bigint")
            << Value(std::numeric_limits<qint64>::min()) << "-9223372036854775808";
        QTest::newRow("largest unsigned bigint")
            << Value(std::numeric_limits<quint64>::max()) << "18446744073709551615";
        QTest::newRow("plain int") << Value(-2147483647 - 1) << "-2147483648";
    }
    void wholeNumbersAreWrittenInDecimal()
    {
        QFETCH(Value, value);
        QFETCH(QString, text);
        QCOMPARE(valueText(value), text);
    }

    void textAndDecimalDigitsPassUnchanged_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("decimal digits") << "-12345678901234567890.0123456789";
        QTest::newRow("decimal with trailing zeros") << "1.5000";
        QTest::newRow("quote") << "O'Brien";
        QTest::newRow("windows path ending in a backslash") << "C:\\temp\\new\\";
        QTest::newRow("non-Latin text and emoji") << QString::fromUtf8("Grüße, 日本語, Ελληνικά 😀");
        QTest::newRow("empty text") << "";
    }
    void textAndDecimalDigitsPassUnchanged()
    {
        QFETCH(QString, text);
        QCOMPARE(valueText(Value(text)), text);
    }

    void doublesUseTheShortestTextThatReadsBack_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("one tenth") << 0.1 << "0.1";
        QTest::newRow("one third") << 1.0 / 3 << "0.3333333333333333";
        QTest::newRow("whole number") << 100.0 << "100";
        QTest::newRow("negative") << -2.25 << "-2.25";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("negative zero") << -0.0 << "-0";
        QTest::newRow("largest plain") << 1e14 << "100000000000000";
        QTest::newRow("sixteen digits plain") << 123456789012345.6 << "123456789012345.6";
        QTest::newRow("exponent from 1e15") << 1e15 << "1e15";
        QTest::newRow("2 to the 53") << 9007199254740992.0 << "9.007199254740992e15";
        QTest::newRow("smallest plain") << 0.00001 << "0.00001";
        QTest::newRow("small plain with digits") << -0.000012345 << "-0.000012345";
        QTest::newRow("exponent below 1e-5") << 0.000001 << "1e-6";
        QTest::newRow("small with digits") << 1.25e-7 << "1.25e-7";
        QTest::newRow("largest double")
            << std::numeric_limits<double>::max() << "1.7976931348623157e308";
        QTest::newRow("smallest subnormal")
            << std::numeric_limits<double>::denorm_min() << "5e-324";
    }
    void doublesUseTheShortestTextThatReadsBack()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(valueText(Value(value)), text);
    }

    void floatsUseTheShortestTextForSinglePrecision_data()
    {
        QTest::addColumn<float>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("one tenth") << 0.1f << "0.1";
        QTest::newRow("one and a tenth") << 1.1f << "1.1";
        QTest::newRow("1.5 as MySQL FLOAT gives it") << 1.5f << "1.5";
        QTest::newRow("2 to the 24") << 16777216.0f << "16777216";
        QTest::newRow("largest float") << std::numeric_limits<float>::max() << "3.4028235e38";
        QTest::newRow("smallest subnormal") << std::numeric_limits<float>::denorm_min() << "1e-45";
    }
    void floatsUseTheShortestTextForSinglePrecision()
    {
        QFETCH(float, value);
        QFETCH(QString, text);
        QCOMPARE(valueText(Value(value)), text);
    }

    void randomDoublesReadBackBitForBit() { checkRandomValues<double, quint64>(200000); }
    void randomFloatsReadBackBitForBit() { checkRandomValues<float, quint32>(200000); }

    void nonFiniteNumbersHaveNames_data()
    {
        QTest::addColumn<Value>("value");
        QTest::addColumn<QString>("text");
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("double NaN") << Value(std::nan("")) << "NaN";
        QTest::newRow("double infinity") << Value(inf) << "Inf";
        QTest::newRow("double minus infinity") << Value(-inf) << "-Inf";
        QTest::newRow("float NaN") << Value(std::nanf("")) << "NaN";
        QTest::newRow("float minus infinity") << Value(-float(inf)) << "-Inf";
    }
    void nonFiniteNumbersHaveNames()
    {
        QFETCH(Value, value);
        QFETCH(QString, text);
        QCOMPARE(valueText(value), text);
    }

    void datesAndTimesUseFixedFields_data()
    {
        QTest::addColumn<Value>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("date") << Value::fromValue(SqlDate { 2024, 2, 29 }) << "2024-02-29";
        QTest::newRow("date in year 1") << Value::fromValue(SqlDate { 1, 1, 1 }) << "0001-01-01";
        QTest::newRow("time") << Value::fromValue(SqlTime { false, 13, 4, 5, 0 }) << "13:04:05";
        QTest::newRow("time at midnight") << Value::fromValue(SqlTime {}) << "00:00:00";
        QTest::newRow("negative duration with fraction")
            << Value::fromValue(SqlTime { true, 838, 59, 58, 250000000 }) << "-838:59:58.25";
        QTest::newRow("negative second")
            << Value::fromValue(SqlTime { true, 0, 0, 1, 0 }) << "-00:00:01";
        QTest::newRow("one nanosecond")
            << Value::fromValue(SqlTime { false, 0, 0, 0, 1 }) << "00:00:00.000000001";
        QTest::newRow("timestamp") << Value::fromValue(SqlTimestamp { 2024, 2, 29, 13, 14, 15, 0 })
                                   << "2024-02-29 13:14:15";
        QTest::newRow("timestamp with microseconds")
            << Value::fromValue(SqlTimestamp { 2024, 2, 29, 13, 14, 15, 123456000 })
            << "2024-02-29 13:14:15.123456";
        QTest::newRow("timestamp with half a second")
            << Value::fromValue(SqlTimestamp { 2038, 1, 19, 3, 14, 7, 500000000 })
            << "2038-01-19 03:14:07.5";
        QTest::newRow("timestamp with leading fraction zeros") << Value::fromValue(
            SqlTimestamp { 1999, 12, 31, 23, 59, 59, 1000 }) << "1999-12-31 23:59:59.000001";
        QTest::newRow("timestamp with all nine digits")
            << Value::fromValue(SqlTimestamp { 2000, 1, 1, 0, 0, 0, 999999999 })
            << "2000-01-01 00:00:00.999999999";
    }
    void datesAndTimesUseFixedFields()
    {
        QFETCH(Value, value);
        QFETCH(QString, text);
        QCOMPARE(valueText(value), text);
    }

    void truthValuesAreOneAndZero()
    {
        QCOMPARE(valueText(Value(true)), QStringLiteral("1"));
        QCOMPARE(valueText(Value(false)), QStringLiteral("0"));
    }

    void binaryBecomesUppercaseHex_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero bytes kept") << QByteArray("\x00\xff\x00\x10", 4) << "00FF0010";
        QTest::newRow("letters in uppercase") << QByteArray("\xab\xcd\xef", 3) << "ABCDEF";
        QTest::newRow("empty") << QByteArray() << "";
    }
    void binaryBecomesUppercaseHex()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(valueText(Value(bytes)), text);
    }

    void everyByteHasItsTwoHexDigits()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QString text = valueText(Value(all));
        QCOMPARE(text.size(), 512);
        QCOMPARE(QByteArray::fromHex(text.toLatin1()), all);
        QCOMPARE(text, text.toUpper());
    }

    // A conversion through the default QLocale would give "1,5" and
    // "1.234.567" under German rules.
    void qtDefaultLocaleDoesNotChangeAnyText()
    {
        const QLocale previous;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const QString number = valueText(Value(1234567.25));
        const QString single = valueText(Value(1.5f));
        const QString whole = valueText(Value(qint64(1234567)));
        const QString date = valueText(Value::fromValue(SqlDate { 2024, 2, 29 }));
        QLocale::setDefault(previous);
        QCOMPARE(number, QStringLiteral("1234567.25"));
        QCOMPARE(single, QStringLiteral("1.5"));
        QCOMPARE(whole, QStringLiteral("1234567"));
        QCOMPARE(date, QStringLiteral("2024-02-29"));
    }
};

QTEST_GUILESS_MAIN(TestValueText)
#include "tst_value_text.moc"

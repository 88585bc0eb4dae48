#include "transfer/value_text.h"

#include <array>
#include <charconv>
#include <cmath>

namespace tw::transfer {

namespace {

using tw::db::SqlDate;
using tw::db::SqlTime;
using tw::db::SqlTimestamp;

// Decimal exponents for which a float or double is written without an
// exponent: 0.00001 and 100000000000000 still read well as plain numbers;
// beyond that the zeros would outnumber the digits that carry the value.
constexpr int plainFromExponent = -5;
constexpr int plainBelowExponent = 15;

// A fixed buffer large enough for the longest text written here: a timestamp
// whose int fields are all at their widest, 6 x 11 characters, 6 separators
// and a 10-digit fraction.
class TextBuffer {
public:
    void put(char c) { m_chars[m_size++] = c; }
    void put(const char* text, int count)
    {
        for (int i = 0; i < count; ++i)
            put(text[i]);
    }
    void putZeros(int count)
    {
        for (int i = 0; i < count; ++i)
            put('0');
    }
    // At least width digits, zero-padded; a sign only when negative.
    void putNumber(long long value, int width)
    {
        if (value < 0)
            put('-');
        std::array<char, 24> digits {};
        const auto magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                         : static_cast<unsigned long long>(value);
        const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), magnitude).ptr;
        const int count = int(end - digits.data());
        putZeros(width - count);
        put(digits.data(), count);
    }
    // '.' and the nanoseconds with their trailing zeros dropped; nothing for 0.
    void putFraction(quint32 nanoseconds)
    {
        if (nanoseconds == 0)
            return;
        put('.');
        const int first = m_size;
        putNumber(nanoseconds, 9);
        while (m_size > first + 1 && m_chars[m_size - 1] == '0')
            --m_size;
    }
    QString text() const { return QString::fromLatin1(m_chars.data(), m_size); }

private:
    std::array<char, 96> m_chars {};
    int m_size = 0;
};

template <typename Float> QString floatText(Float value)
{
    if (std::isnan(value))
        return QStringLiteral("NaN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-Inf") : QStringLiteral("Inf");

    // The shortest round-trip digits in scientific form, "-d.ddde+XX", give
    // the digits and the exponent; the layout below is ours.
    std::array<char, 64> scientific {};
    const auto end = std::to_chars(scientific.data(), scientific.data() + scientific.size(), value,
        std::chars_format::scientific)
                         .ptr;
    const char* p = scientific.data();
    const bool negative = *p == '-';
    if (negative)
        ++p;
    std::array<char, 24> digits {};
    int digitCount = 0;
    for (; *p != 'e'; ++p) {
        if (*p != '.')
            digits[digitCount++] = *p;
    }
    int exponent = 0;
    ++p;
    if (*p == '+')
        ++p;
    std::from_chars(p, end, exponent);

    TextBuffer out;
    if (negative)
        out.put('-');
    if (exponent < plainFromExponent || exponent >= plainBelowExponent) {
        out.put(digits[0]);
        if (digitCount > 1) {
            out.put('.');
            out.put(digits.data() + 1, digitCount - 1);
        }
        out.put('e');
        out.putNumber(exponent, 1);
    } else if (exponent < 0) {
        out.put("0.", 2);
        out.putZeros(-exponent - 1);
        out.put(digits.data(), digitCount);
    } else {
        const int wholeDigits = exponent + 1;
        if (digitCount <= wholeDigits) {
            out.put(digits.data(), digitCount);
            out.putZeros(wholeDigits - digitCount);
        } else {
            out.put(digits.data(), wholeDigits);
            out.put('.');
            out.put(digits.data() + wholeDigits, digitCount - wholeDigits);
        }
    }
    return out.text();
}

QString dateText(const SqlDate& d)
{
    TextBuffer out;
    out.putNumber(d.year, 4);
    out.put('-');
    out.putNumber(d.month, 2);
    out.put('-');
    out.putNumber(d.day, 2);
    return out.text();
}

QString timeText(const SqlTime& t)
{
    TextBuffer out;
    if (t.negative)
        out.put('-');
    out.putNumber(t.hour, 2);
    out.put(':');
    out.putNumber(t.minute, 2);
    out.put(':');
    out.putNumber(t.second, 2);
    out.putFraction(t.fraction);
    return out.text();
}

QString timestampText(const SqlTimestamp& ts)
{
    TextBuffer out;
    out.putNumber(ts.year, 4);
    out.put('-');
    out.putNumber(ts.month, 2);
    out.put('-');
    out.putNumber(ts.day, 2);
    out.put(' ');
    out.putNumber(ts.hour, 2);
    out.put(':');
    out.putNumber(ts.minute, 2);
    out.put(':');
    out.putNumber(ts.second, 2);
    out.putFraction(ts.fraction);
    return out.text();
}

QString hexText(const QByteArray& bytes)
{
    static constexpr char hexDigits[] = "0123456789ABCDEF";
    QString out(bytes.size() * 2, Qt::Uninitialized);
    QChar* to = out.data();
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        *to++ = QLatin1Char(hexDigits[b >> 4]);
        *to++ = QLatin1Char(hexDigits[b & 0x0F]);
    }
    return out;
}

} // namespace

QString valueText(const tw::db::Value& value)
{
    if (tw::db::isNull(value))
        return QString();
    const int type = value.typeId();
    switch (type) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::Short:
    case QMetaType::SChar:
        return QString::number(value.toLongLong());
    case QMetaType::ULongLong:
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::UShort:
    case QMetaType::UChar:
        return QString::number(value.toULongLong());
    case QMetaType::Double:
        return floatText(value.toDouble());
    case QMetaType::Float:
        return floatText(value.toFloat());
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::QByteArray:
        return hexText(value.toByteArray());
    default:
        break;
    }
    if (type == qMetaTypeId<tw::db::SqlDate>())
        return dateText(value.value<tw::db::SqlDate>());
    if (type == qMetaTypeId<tw::db::SqlTime>())
        return timeText(value.value<tw::db::SqlTime>());
    if (type == qMetaTypeId<tw::db::SqlTimestamp>())
        return timestampText(value.value<tw::db::SqlTimestamp>());
    return value.toString();
}

} // namespace tw::transfer

#include "sql/value_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace tw::sql {

namespace {

using tw::odbc::SqlDate;
using tw::odbc::SqlTime;
using tw::odbc::SqlTimestamp;

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
    void putUnsigned(unsigned long long value)
    {
        std::array<char, 24> digits {};
        const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
        put(digits.data(), int(end - digits.data()));
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
    // '.' and the first `digits` digits of the nanoseconds; nothing for 0.
    void putFractionDigits(quint32 nanoseconds, int digits)
    {
        if (digits <= 0)
            return;
        put('.');
        const int first = m_size;
        putNumber(nanoseconds, 9);
        m_size = first + std::min(digits, 9);
    }
    QString text() const { return QString::fromLatin1(m_chars.data(), m_size); }
    QLatin1StringView view() const { return QLatin1StringView(m_chars.data(), m_size); }

private:
    std::array<char, 96> m_chars {};
    int m_size = 0;
};

template <typename Float> void putFloat(TextBuffer& out, Float value)
{
    if (std::isnan(value)) {
        out.put("NaN", 3);
        return;
    }
    if (std::isinf(value)) {
        if (value < 0)
            out.put('-');
        out.put("Inf", 3);
        return;
    }

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
}

void putDate(TextBuffer& out, const SqlDate& d)
{
    out.putNumber(d.year, 4);
    out.put('-');
    out.putNumber(d.month, 2);
    out.put('-');
    out.putNumber(d.day, 2);
}

// HH:MM:SS and the fraction, as times and timestamps both write them.
void putClock(TextBuffer& out, int hour, int minute, int second, quint32 fraction)
{
    out.putNumber(hour, 2);
    out.put(':');
    out.putNumber(minute, 2);
    out.put(':');
    out.putNumber(second, 2);
    out.putFraction(fraction);
}

void putTime(TextBuffer& out, const SqlTime& t)
{
    if (t.negative)
        out.put('-');
    putClock(out, t.hour, t.minute, t.second, t.fraction);
}

void putTimestamp(TextBuffer& out, const SqlTimestamp& ts, int fractionDigits = -1)
{
    putDate(out, SqlDate { ts.year, ts.month, ts.day });
    out.put(' ');
    if (fractionDigits < 0) {
        putClock(out, ts.hour, ts.minute, ts.second, ts.fraction);
        return;
    }
    putClock(out, ts.hour, ts.minute, ts.second, 0);
    out.putFractionDigits(ts.fraction, fractionDigits);
}

void appendHex(QString& out, const QByteArray& bytes)
{
    static constexpr char hexDigits[] = "0123456789ABCDEF";
    const qsizetype at = out.size();
    out.resize(at + bytes.size() * 2);
    QChar* to = out.data() + at;
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        *to++ = QLatin1Char(hexDigits[b >> 4]);
        *to++ = QLatin1Char(hexDigits[b & 0x0F]);
    }
}

} // namespace

bool appendQuoteFreeText(QString& out, const tw::odbc::Value& value)
{
    if (tw::odbc::isNull(value))
        return true;
    TextBuffer text;
    const int type = value.typeId();
    switch (type) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::Short:
    case QMetaType::SChar:
        text.putNumber(value.toLongLong(), 1);
        break;
    case QMetaType::ULongLong:
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::UShort:
    case QMetaType::UChar:
        text.putUnsigned(value.toULongLong());
        break;
    case QMetaType::Double:
        putFloat(text, value.toDouble());
        break;
    case QMetaType::Float:
        putFloat(text, value.toFloat());
        break;
    case QMetaType::Bool:
        text.put(value.toBool() ? '1' : '0');
        break;
    case QMetaType::QByteArray:
        appendHex(out, *static_cast<const QByteArray*>(value.constData()));
        return true;
    default:
        if (type == qMetaTypeId<SqlDate>())
            putDate(text, *static_cast<const SqlDate*>(value.constData()));
        else if (type == qMetaTypeId<SqlTime>())
            putTime(text, *static_cast<const SqlTime*>(value.constData()));
        else if (type == qMetaTypeId<SqlTimestamp>())
            putTimestamp(text, *static_cast<const SqlTimestamp*>(value.constData()));
        else
            return false; // text, and whatever toString() makes of other kinds
    }
    out.append(text.view());
    return true;
}

QString timestampText(const tw::odbc::SqlTimestamp& timestamp, int fractionDigits)
{
    TextBuffer text;
    putTimestamp(text, timestamp, fractionDigits);
    return text.text();
}

QString valueText(const tw::odbc::Value& value)
{
    QString text;
    if (!appendQuoteFreeText(text, value))
        text = value.toString();
    return text;
}

} // namespace tw::sql

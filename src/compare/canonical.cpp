#include "compare/canonical.h"

#include "odbc/date_text.h"
#include "odbc/number_text.h"
#include "odbc/utf8.h"
#include "sql/value_text.h"

#include <QRegularExpression>
#include <QVarLengthArray>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <type_traits>

namespace tw::compare {

namespace {

using copy::Kept;
using odbc::Value;

// A field's length: seven bits a byte, the last byte's top bit clear.
void putLength(QByteArray& out, quint64 n)
{
    while (n >= 0x80) {
        out.append(char(n | 0x80));
        n >>= 7;
    }
    out.append(char(n));
}

// Appends a field whose bytes `write` appends: a one-byte length is assumed
// and made longer afterwards in the rare field that needs more.
template <typename Write> void putField(QByteArray& out, Tag tag, Write write)
{
    const qsizetype lengthAt = out.size() + 1;
    out.resize(lengthAt + 1);
    out.data()[lengthAt - 1] = char(tag);
    write(out);
    const qsizetype size = out.size() - lengthAt - 1;
    if (size < 0x80) {
        out.data()[lengthAt] = char(size);
        return;
    }
    QByteArray length;
    putLength(length, quint64(size));
    out.data()[lengthAt] = length[0];
    out.insert(lengthAt + 1, length.constData() + 1, length.size() - 1);
}

void putBytes(QByteArray& out, Tag tag, QByteArrayView bytes)
{
    int lengthBytes = 1;
    for (auto n = quint64(bytes.size()); n >= 0x80; n >>= 7)
        ++lengthBytes;
    const qsizetype at = out.size();
    out.resize(at + 1 + lengthBytes + bytes.size());
    char* p = out.data() + at;
    *p++ = char(tag);
    auto n = quint64(bytes.size());
    for (; n >= 0x80; n >>= 7)
        *p++ = char(n | 0x80);
    *p++ = char(n);
    if (!bytes.isEmpty())
        std::memcpy(p, bytes.data(), bytes.size());
}

void putText(QByteArray& out, const QString& text)
{
    putField(out, Tag::Text, [&](QByteArray& to) { odbc::appendUtf8(to, text); });
}

// A number of `size` significant digits (neither the first nor the last
// a zero), the point before digits[dot], written plainly; with an exponent
// when the point lies far from the digits.
void putNormal(QByteArray& out, bool negative, const char* d, qsizetype size, long long dot)
{
    putField(out, Tag::Number, [&](QByteArray& to) {
        if (negative)
            to.append('-');
        if (dot < -40 || dot > size + 40) {
            to.append(d[0]);
            if (size > 1)
                to.append('.').append(d + 1, size - 1);
            to.append('E').append(QByteArray::number(dot - 1));
        } else if (dot <= 0) {
            to.append("0.", 2).append(-dot, '0').append(d, size);
        } else if (dot >= size) {
            to.append(d, size).append(dot - size, '0');
        } else {
            to.append(d, dot).append('.').append(d + dot, size - dot);
        }
    });
}

// The digits of an exact decimal number, "[+-]digits[.digits][e[+-]n]" with
// blanks around, written plainly without leading or trailing zeros; false
// for anything else.
template <typename Char> bool putDecimal(QByteArray& out, const Char* p, qsizetype n)
{
    auto at = [&](qsizetype i) {
        if constexpr (std::is_same_v<Char, QChar>)
            return p[i].unicode() < 0x80 ? char(p[i].unicode()) : '\x7f';
        else
            return char(p[i]);
    };
    qsizetype i = 0;
    while (i < n && at(i) == ' ')
        ++i;
    while (n > i && at(n - 1) == ' ')
        --n;
    bool negative = false;
    if (i < n && (at(i) == '+' || at(i) == '-'))
        negative = at(i++) == '-';
    QVarLengthArray<char, 64> digits;
    qsizetype point = -1;
    bool leading = true; // no digit but zeros yet
    qsizetype zeros = 0; // leading zeros left out
    for (; i < n; ++i) {
        const char c = at(i);
        if (c >= '0' && c <= '9') {
            if (leading && c == '0') {
                ++zeros;
                continue;
            }
            leading = false;
            digits.append(c);
        } else if (c == '.' && point < 0) {
            point = zeros + digits.size();
        } else {
            break;
        }
    }
    if (digits.isEmpty() && zeros == 0)
        return false;
    long long exponent = 0;
    if (i < n && (at(i) == 'e' || at(i) == 'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < n && (at(i) == '+' || at(i) == '-'))
            negativeExponent = at(i++) == '-';
        if (i == n)
            return false;
        for (; i < n && at(i) >= '0' && at(i) <= '9'; ++i)
            exponent = std::min(exponent * 10 + (at(i) - '0'), 1000000000LL);
        if (negativeExponent)
            exponent = -exponent;
    }
    if (i != n)
        return false;
    if (digits.isEmpty()) {
        putBytes(out, Tag::Number, "0");
        return true;
    }
    // The point stands before digits[dot].
    const long long dot = (point < 0 ? zeros + digits.size() : point) - zeros + exponent;
    while (digits.back() == '0')
        digits.removeLast();
    putNormal(out, negative, digits.constData(), digits.size(), dot);
    return true;
}

// NaN and the infinities, as a double or as Oracle's text of them.
bool putSpecial(QByteArray& out, double d)
{
    if (std::isnan(d))
        putBytes(out, Tag::Number, "NaN");
    else if (std::isinf(d))
        putBytes(out, Tag::Number, d < 0 ? "-Inf" : "Inf");
    else
        return false;
    return true;
}

std::optional<double> specialText(const QString& text)
{
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("nan"))
        return std::nan("");
    if (t == QLatin1String("inf") || t == QLatin1String("+inf"))
        return HUGE_VAL;
    if (t == QLatin1String("-inf"))
        return -HUGE_VAL;
    return std::nullopt;
}

// The shortest digits that read back to `value` in its own precision; a
// whole number as its exact digits, so that it equals the same number of
// any other type (397605984 is a FLOAT, whose shortest digits 397605980
// are not that number).
template <typename Float> void putShortest(QByteArray& out, Float value)
{
    if (putSpecial(out, double(value)))
        return;
    if (std::fabs(value) < Float(1e18) && std::trunc(value) == value) {
        std::array<char, 24> text {};
        const char* end = std::to_chars(text.data(), text.data() + text.size(), qint64(value)).ptr;
        putBytes(out, Tag::Number, QByteArrayView(text.data(), end - text.data()));
        return;
    }
    // "-d.ddde-XX": the digits without the point, then the exponent.
    std::array<char, 64> text {};
    const char* end = std::to_chars(
        text.data(), text.data() + text.size(), value, std::chars_format::scientific)
                          .ptr;
    const bool negative = text[0] == '-';
    std::array<char, 32> digits {};
    qsizetype size = 0;
    const char* p = text.data() + (negative ? 1 : 0);
    for (; *p != 'e'; ++p) {
        if (*p != '.')
            digits[size++] = *p;
    }
    int exponent = 0;
    std::from_chars(p + (p[1] == '+' ? 2 : 1), end, exponent);
    while (digits[size - 1] == '0')
        --size;
    putNormal(out, negative, digits.data(), size, exponent + 1LL);
}

// A whole number, of any integer type, BIT bytes or a truth value.
bool putInteger(QByteArray& out, const Value& v)
{
    std::array<char, 24> text {};
    char* end = nullptr;
    switch (v.typeId()) {
    case QMetaType::Bool:
        end = std::to_chars(text.data(), text.data() + text.size(), int(v.toBool())).ptr;
        break;
    case QMetaType::ULongLong:
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::UShort:
    case QMetaType::UChar:
        end = std::to_chars(text.data(), text.data() + text.size(), v.toULongLong()).ptr;
        break;
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::Short:
    case QMetaType::SChar:
        end = std::to_chars(text.data(), text.data() + text.size(), v.toLongLong()).ptr;
        break;
    case QMetaType::QByteArray: {
        const QByteArray bytes = v.toByteArray();
        if (bytes.size() > 8)
            return false;
        quint64 n = 0;
        for (const char b : bytes)
            n = n << 8 | static_cast<unsigned char>(b);
        end = std::to_chars(text.data(), text.data() + text.size(), n).ptr;
        break;
    }
    default:
        return false;
    }
    putBytes(out, Tag::Number, QByteArrayView(text.data(), end - text.data()));
    return true;
}

void putNumber(QByteArray& out, const Value& v)
{
    switch (v.typeId()) {
    case QMetaType::Float:
        putShortest(out, v.toFloat());
        return;
    case QMetaType::Double:
        putShortest(out, v.toDouble());
        return;
    case QMetaType::QString: {
        const QString& text = *static_cast<const QString*>(v.constData());
        if (putDecimal(out, text.constData(), text.size()))
            return;
        if (const auto special = specialText(text))
            putSpecial(out, *special);
        else
            putText(out, text);
        return;
    }
    case QMetaType::QByteArray:
        if (!putInteger(out, v))
            putBytes(out, Tag::Binary, *static_cast<const QByteArray*>(v.constData()));
        return;
    default:
        if (!putInteger(out, v))
            putText(out, sql::valueText(v));
    }
}

// A number as the IEEE type `Float` holds it, as its bits: NaN as one NaN,
// -0 as 0. Text is read as its double first, as the servers read it.
template <typename Float> std::optional<Float> ieeeOf(const Value& v)
{
    switch (v.typeId()) {
    case QMetaType::Float:
        return Float(v.toFloat());
    case QMetaType::Double:
        return Float(v.toDouble());
    case QMetaType::QString: {
        const QString& text = *static_cast<const QString*>(v.constData());
        if (const auto special = specialText(text))
            return Float(*special);
        if (const auto d = odbc::doubleOf(text))
            return Float(*d);
        return std::nullopt;
    }
    case QMetaType::LongLong:
    case QMetaType::Int:
        return Float(double(v.toLongLong()));
    case QMetaType::ULongLong:
    case QMetaType::UInt:
        return Float(double(v.toULongLong()));
    default:
        return std::nullopt;
    }
}

template <typename Float> void putBits(QByteArray& out, Float value)
{
    if (std::isnan(value))
        value = std::numeric_limits<Float>::quiet_NaN();
    else if (value == 0)
        value = 0;
    putBytes(out, std::is_same_v<Float, float> ? Tag::Float32 : Tag::Float64,
        QByteArrayView(reinterpret_cast<const char*>(&value), sizeof value));
}

template <typename Float> void putIeee(QByteArray& out, const Value& v)
{
    if (const auto f = ieeeOf<Float>(v))
        putBits(out, *f);
    else
        putNumber(out, v);
}

// Whether `v` is exactly the number `f` holds (text by its digits, which
// the shortest digits of the double may leave no doubt of: "0.1" is the
// double 0.1, as both servers read it).
template <typename Float> bool holdsExactly(const Value& v, Float f)
{
    switch (v.typeId()) {
    case QMetaType::Float:
    case QMetaType::Double: {
        const double d = v.toDouble();
        return std::isnan(d) || double(f) == d;
    }
    case QMetaType::LongLong:
    case QMetaType::Int:
        return double(f) == double(v.toLongLong()) && std::fabs(double(f)) < 9007199254740992.0;
    case QMetaType::ULongLong:
    case QMetaType::UInt:
        return double(f) == double(v.toULongLong()) && double(f) < 9007199254740992.0;
    case QMetaType::QString: {
        const QString& text = *static_cast<const QString*>(v.constData());
        const auto d = odbc::doubleOf(text);
        if (!d)
            return specialText(text).has_value();
        if (double(f) != *d)
            return false;
        // Digits without a point or an exponent are a whole number, which
        // a double below 2^53 holds exactly or not at all.
        if (std::fabs(*d) < 9007199254740992.0 && !text.contains(u'.')
            && !text.contains(u'e', Qt::CaseInsensitive))
            return true;
        QByteArray digits;
        QByteArray shortest;
        putDecimal(digits, text.constData(), text.size());
        putShortest(shortest, *d);
        return digits == shortest;
    }
    default:
        return false;
    }
}
// A value's text as sql::valueText writes it, for the kinds whose text is
// ASCII without a string of its own (numbers, dates, times, truth values).
void putValueText(QByteArray& out, Tag tag, const Value& v)
{
    static thread_local QString text;
    text.resize(0);
    if (!sql::appendQuoteFreeText(text, v)) {
        putText(out, sql::valueText(v));
        return;
    }
    putField(out, tag, [&](QByteArray& to) {
        const qsizetype at = to.size();
        to.resize(at + text.size());
        char* into = to.data() + at;
        for (const QChar c : std::as_const(text))
            *into++ = char(c.unicode());
    });
}

// Dates and durations as their fields, in a fixed layout: equal fields,
// equal bytes. shownField() writes them as sql::valueText does.
struct Clock {
    qint32 yearOrSign; // a timestamp's year; a duration's 1 when negative
    quint32 daysOrHours; // month * 32 + day; a duration's hours
    quint32 seconds; // of the day, or of the hour's minutes and seconds
    quint32 fraction; // nanoseconds
};
static_assert(sizeof(Clock) == 16);

void putClock(QByteArray& out, Tag tag, const Clock& c)
{
    putBytes(out, tag, QByteArrayView(reinterpret_cast<const char*>(&c), sizeof c));
}

void putTimestamp(QByteArray& out, const Value& v)
{
    if (v.typeId() == qMetaTypeId<odbc::SqlTimestamp>()) {
        const auto& t = *static_cast<const odbc::SqlTimestamp*>(v.constData());
        putClock(out, Tag::Timestamp,
            { t.year, quint32(t.month * 32 + t.day),
                quint32((t.hour * 60 + t.minute) * 60 + t.second), t.fraction });
        return;
    }
    if (v.typeId() == qMetaTypeId<odbc::SqlDate>()) {
        const auto& d = *static_cast<const odbc::SqlDate*>(v.constData());
        putClock(out, Tag::Timestamp, { d.year, quint32(d.month * 32 + d.day), 0, 0 });
        return;
    }
    if (v.typeId() == QMetaType::QString) {
        // A year before Christ keeps its sign in a timestamp's text.
        QString text = v.toString().trimmed();
        const bool beforeChrist = text.startsWith(u'-');
        Value read = odbc::dateFromText(text.mid(beforeChrist ? 1 : 0).toLatin1());
        if (beforeChrist && read.typeId() == qMetaTypeId<odbc::SqlTimestamp>()) {
            auto t = read.value<odbc::SqlTimestamp>();
            t.year = -t.year;
            read = QVariant::fromValue(t);
        } else if (beforeChrist && read.typeId() == qMetaTypeId<odbc::SqlDate>()) {
            auto d = read.value<odbc::SqlDate>();
            d.year = -d.year;
            read = QVariant::fromValue(d);
        }
        if (read.typeId() != QMetaType::QString) {
            putTimestamp(out, read);
            return;
        }
    }
    putText(out, sql::valueText(v));
}

// MySQL's TIME ("-838:59:59.5") or Oracle's interval ("-34 22:59:59.500000").
void putDuration(QByteArray& out, const Value& v)
{
    odbc::SqlTime t;
    if (v.typeId() == qMetaTypeId<odbc::SqlTime>()) {
        t = v.value<odbc::SqlTime>();
    } else if (v.typeId() == QMetaType::QString) {
        static const QRegularExpression form(QStringLiteral(
            "^\\s*([+-])?(?:(\\d+)\\s+)?(\\d+):(\\d\\d):(\\d\\d)(?:\\.(\\d{1,9}))?\\s*$"));
        const auto m = form.match(v.toString());
        if (!m.hasMatch()) {
            putText(out, v.toString());
            return;
        }
        t.negative = m.captured(1) == QLatin1String("-");
        t.hour = int(m.captured(2).toLongLong() * 24 + m.captured(3).toLongLong());
        t.minute = m.captured(4).toInt();
        t.second = m.captured(5).toInt();
        t.fraction = m.captured(6).leftJustified(9, u'0').toUInt();
    } else {
        putText(out, sql::valueText(v));
        return;
    }
    const bool zero = t.hour == 0 && t.minute == 0 && t.second == 0 && t.fraction == 0;
    putClock(out, Tag::Duration,
        { t.negative && !zero ? 1 : 0, quint32(t.hour), quint32(t.minute * 60 + t.second),
            t.fraction });
}

Value clockValue(Tag tag, QByteArrayView bytes)
{
    Clock c {};
    std::memcpy(&c, bytes.data(), sizeof c);
    if (tag == Tag::Duration)
        return QVariant::fromValue(odbc::SqlTime { c.yearOrSign == 1, int(c.daysOrHours),
            int(c.seconds / 60), int(c.seconds % 60), c.fraction });
    return QVariant::fromValue(
        odbc::SqlTimestamp { c.yearOrSign, int(c.daysOrHours / 32), int(c.daysOrHours % 32),
            int(c.seconds / 3600), int(c.seconds / 60 % 60), int(c.seconds % 60), c.fraction });
}

} // namespace

void appendTextField(QByteArray& out, const QString& text)
{
    putText(out, text);
}

void appendField(QByteArray& out, Kept kept, const Value& value)
{
    if (odbc::isNull(value)) {
        out.append(char(Tag::Null));
        return;
    }
    if (value.typeId() == QMetaType::QByteArray && kept != Kept::Number) {
        putBytes(out, Tag::Binary, *static_cast<const QByteArray*>(value.constData()));
        return;
    }
    switch (kept) {
    case Kept::Number:
        putNumber(out, value);
        return;
    case Kept::Float32:
        putIeee<float>(out, value);
        return;
    case Kept::Float64:
        putIeee<double>(out, value);
        return;
    case Kept::Timestamp:
        putTimestamp(out, value);
        return;
    case Kept::Duration:
        putDuration(out, value);
        return;
    case Kept::Text:
    case Kept::Binary:
        if (value.typeId() == QMetaType::QString)
            putText(out, *static_cast<const QString*>(value.constData()));
        else
            putValueText(out, Tag::Text, value);
        return;
    }
}

Field readField(const char*& at)
{
    Field f;
    f.tag = Tag(*at++);
    if (f.tag == Tag::Null)
        return f;
    quint64 size = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*at++);
        size |= quint64(byte & 0x7F) << shift;
        if (!(byte & 0x80))
            break;
    }
    f.bytes = QByteArrayView(at, qsizetype(size));
    at += size;
    return f;
}

QJsonValue shownField(const Field& field)
{
    switch (field.tag) {
    case Tag::Null:
        return QJsonValue();
    case Tag::Binary:
        return QString::fromLatin1(field.bytes.toByteArray().toHex().toUpper());
    case Tag::Text:
        return QString::fromUtf8(field.bytes);
    case Tag::Timestamp:
    case Tag::Duration:
        return sql::valueText(clockValue(field.tag, field.bytes));
    case Tag::Float32: {
        float f = 0;
        std::memcpy(&f, field.bytes.data(), sizeof f);
        return sql::valueText(f);
    }
    case Tag::Float64: {
        double d = 0;
        std::memcpy(&d, field.bytes.data(), sizeof d);
        return sql::valueText(d);
    }
    case Tag::Number:
        break;
    }
    return QString::fromLatin1(field.bytes);
}

void appendUnchangedField(QByteArray& out, Kept kept, const Value& value)
{
    if (!odbc::isNull(value)) {
        if (kept == Kept::Float32) {
            const auto f = ieeeOf<float>(value);
            if (f && holdsExactly(value, *f))
                return putBits(out, *f);
            return putNumber(out, value);
        }
        if (kept == Kept::Float64) {
            const auto d = ieeeOf<double>(value);
            if (d && holdsExactly(value, *d))
                return putBits(out, *d);
            return putNumber(out, value);
        }
    }
    appendField(out, kept, value);
}

} // namespace tw::compare

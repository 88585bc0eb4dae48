#include "support/exact_values.h"

#include <QRegularExpression>
#include <cmath>

namespace tw::test {

namespace {

using db::SqlDate;
using db::SqlTime;
using db::SqlTimestamp;
using db::Value;

bool isInteger(const Value& v)
{
    switch (v.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

// A plain decimal without a '+', leading zeros, or zeros after its last
// significant fraction digit; "-0" as "0".
QString canonicalNumber(QString text)
{
    static const QRegularExpression plain(QStringLiteral("^([+-]?)0*(\\d*)(?:\\.(\\d*?)0*)?$"));
    const auto m = plain.match(text.trimmed());
    if (!m.hasMatch())
        return text;
    QString digits = m.captured(2).isEmpty() ? QStringLiteral("0") : m.captured(2);
    if (!m.captured(3).isEmpty())
        digits += u'.' + m.captured(3);
    const bool zero = !digits.contains(QRegularExpression(QStringLiteral("[1-9]")));
    return (m.captured(1) == QLatin1String("-") && !zero ? QStringLiteral("-") : QString())
        + digits;
}

QString timestampText(const SqlTimestamp& t)
{
    QString text = QString::asprintf(
        "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    if (t.fraction != 0)
        text += QString::asprintf(".%09u", t.fraction);
    return text;
}

// Timestamp text with its fraction padded to nine digits.
QString canonicalTimestamp(const QString& text)
{
    static const QRegularExpression form(
        QStringLiteral("^(-?\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d)(?:\\.(\\d{1,9}))?$"));
    const auto m = form.match(text);
    if (!m.hasMatch())
        return text;
    const QString fraction = m.captured(2).leftJustified(9, u'0');
    return fraction == QLatin1String("000000000") ? m.captured(1) : m.captured(1) + u'.' + fraction;
}

// The text both sides are compared by, given the other side's kind.
QString comparable(const Value& v, const Value& other)
{
    if (!v.isValid())
        return QStringLiteral("NULL");
    const int type = v.typeId();
    if (type == qMetaTypeId<SqlTimestamp>())
        return timestampText(v.value<SqlTimestamp>());
    if (type == qMetaTypeId<SqlDate>()) {
        const SqlDate d = v.value<SqlDate>();
        return timestampText(SqlTimestamp { d.year, d.month, d.day, 0, 0, 0, 0 });
    }
    if (type == qMetaTypeId<SqlTime>()) {
        const SqlTime t = v.value<SqlTime>();
        return QString::asprintf(
            "%s%02d:%02d:%02d.%09u", t.negative ? "-" : "", t.hour, t.minute, t.second, t.fraction);
    }
    if (type == QMetaType::QByteArray) {
        const QByteArray bytes = v.toByteArray();
        if (other.typeId() == QMetaType::QByteArray || bytes.size() > 8)
            return QString::fromLatin1(bytes.toHex());
        // MySQL's BIT(n) read as bytes, compared with the number it became.
        quint64 n = 0;
        for (char b : bytes)
            n = n << 8 | static_cast<unsigned char>(b);
        return QString::number(n);
    }
    if (type == QMetaType::Bool)
        return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    if (isInteger(v))
        return v.toString();
    if (type == QMetaType::Float || type == QMetaType::Double)
        return QString::number(v.toDouble(), 'g', 17);
    const QString text = v.toString();
    const int otherType = other.typeId();
    if (otherType == qMetaTypeId<SqlTimestamp>() || otherType == qMetaTypeId<SqlDate>())
        return canonicalTimestamp(text);
    if (isInteger(other) || otherType == QMetaType::QByteArray)
        return canonicalNumber(text);
    return text;
}

} // namespace

QString exactDifference(const Value& original, const Value& copy)
{
    if (original.isValid() != copy.isValid()
        || comparable(original, copy) != comparable(copy, original))
        return QStringLiteral("original %1 (%2), copy %3 (%4)")
            .arg(comparable(original, copy), QString::fromLatin1(original.typeName()),
                comparable(copy, original), QString::fromLatin1(copy.typeName()));
    // Floating point compares bit for bit, so that -0 and 0 differ.
    if ((original.typeId() == QMetaType::Double || original.typeId() == QMetaType::Float)
        && std::signbit(original.toDouble()) != std::signbit(copy.toDouble()))
        return QStringLiteral("the sign of zero differs");
    return {};
}

} // namespace tw::test

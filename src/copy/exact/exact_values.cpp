#include "copy/exact/exact_values.h"

#include "odbc/number_text.h"
#include "sql/dialect.h"
#include "sql/value_text.h"

#include <QRegularExpression>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <sqlext.h>

namespace tw::copy {

namespace {

using odbc::SqlDate;
using odbc::SqlTime;
using odbc::SqlTimestamp;
using odbc::Value;
using sql::Server;

std::optional<double> ieeeValue(const Value& v);

// Oracle reads at most 4,000 bytes from one quoted literal, so at most
// 2,000 bytes of binary data written as hex.
constexpr qsizetype oracleLiteralBytes = 4000;
constexpr qsizetype oracleLiteralBinary = oracleLiteralBytes / 2;

ExactValue checked(Value value)
{
    return { Carry::Literal, {}, std::move(value) };
}
ExactValue refused(QString why)
{
    return { Carry::Refused, std::move(why), {} };
}
ExactValue parameterOnly(Value value, QString why)
{
    return { Carry::Parameter, std::move(why), std::move(value) };
}

// ---- numbers -----------------------------------------------------------

// [+-] digits [. digits] [e [+-] digits], with a digit before or after the point.
bool isNumberText(QStringView text)
{
    qsizetype i = 0;
    auto digits = [&] {
        const qsizetype from = i;
        while (i < text.size() && text[i] >= u'0' && text[i] <= u'9')
            ++i;
        return i - from;
    };
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    qsizetype mantissa = digits();
    if (i < text.size() && text[i] == u'.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0)
        return false;
    if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
            ++i;
        if (digits() == 0)
            return false;
    }
    return i == text.size();
}

// A value's exact decimal digits: integers, truth values, MySQL's BIT(n)
// bytes (big-endian, unsigned), and the digits a DECIMAL or NUMBER was read
// as. Floating point gives its shortest round-trip digits.
std::optional<QString> decimalText(const Value& v)
{
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::QByteArray: {
        const QByteArray bytes = v.toByteArray();
        if (bytes.size() > 8)
            return std::nullopt;
        quint64 n = 0;
        for (const char b : bytes)
            n = n << 8 | static_cast<unsigned char>(b);
        return QString::number(n);
    }
    case QMetaType::QString: {
        const QString text = v.toString().trimmed();
        if (!isNumberText(text))
            return std::nullopt;
        return text;
    }
    case QMetaType::Float:
    case QMetaType::Double:
        if (!std::isfinite(v.toDouble()))
            return std::nullopt;
        return sql::valueText(v);
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return sql::valueText(v);
    default:
        return std::nullopt;
    }
}

// The same number without an exponent: "-1.5E-3" becomes "-0.0015", which
// both servers read as an exact decimal rather than as floating point.
// None for exponents past any number either server keeps.
std::optional<QString> withoutExponent(const QString& text)
{
    const qsizetype e = text.indexOf(u'e', 0, Qt::CaseInsensitive);
    if (e < 0)
        return text;
    bool ok = false;
    const int exponent = text.mid(e + 1).toInt(&ok);
    if (!ok || exponent < -400 || exponent > 400)
        return std::nullopt;
    QString mantissa = text.left(e);
    const QString sign = mantissa.startsWith(u'-') ? QStringLiteral("-") : QString();
    if (mantissa.startsWith(u'-') || mantissa.startsWith(u'+'))
        mantissa.remove(0, 1);
    const qsizetype point = mantissa.indexOf(u'.');
    QString digits = mantissa;
    digits.remove(u'.');
    qsizetype at = (point < 0 ? mantissa.size() : point) + exponent;
    if (at <= 0) {
        digits.prepend(QString(-at, u'0'));
        at = 0;
    }
    if (at >= digits.size())
        return sign + digits + QString(at - digits.size(), u'0');
    return sign + (at == 0 ? QStringLiteral("0") : digits.left(at)) + u'.' + digits.mid(at);
}

// Digits after the point, trailing zeros not counted.
int scaleOf(const QString& text)
{
    const qsizetype point = text.indexOf(u'.');
    if (point < 0)
        return 0;
    qsizetype end = text.size();
    while (end > point + 1 && text[end - 1] == u'0')
        --end;
    return int(end - point - 1);
}

bool isWholeNumber(int type)
{
    switch (type) {
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
        return true;
    default:
        return false;
    }
}

ExactValue number(const ExactColumn& column, const Value& v)
{
    // A whole number as read fits a column chosen to hold its type's range.
    if (isWholeNumber(v.typeId()))
        return checked(v);
    const auto read = decimalText(v);
    const auto text = read ? withoutExponent(*read) : std::nullopt;
    if (!text)
        return refused(QStringLiteral("%1 is not a number").arg(sql::valueText(v)));
    if (column.form == ValueForm::Integer) {
        if (text->contains(u'.'))
            return refused(QStringLiteral("%1 is not a whole number").arg(*text));
    } else if (scaleOf(*text) > column.parameter.decimalDigits) {
        // Both servers round digits past the scale, MySQL with no more than
        // a note.
        return refused(QStringLiteral("%1 has more digits after the point than %2 keeps")
                           .arg(*text, column.type));
    }
    return checked(*text);
}

// The shortest digits that read back to the same double, as an integer
// mantissa and an exponent: no decimal point for an NLS setting to read
// otherwise, and no range limit of Oracle's NUMBER literals in between.
QString mantissaExponent(double value)
{
    std::array<char, 64> buffer {};
    const auto end = std::to_chars(
        buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::scientific)
                         .ptr;
    QString digits;
    bool negative = false;
    int exponent = 0;
    const char* p = buffer.data();
    if (*p == '-') {
        negative = true;
        ++p;
    }
    for (; p < end && *p != 'e'; ++p) {
        if (*p != '.')
            digits += QLatin1Char(*p);
    }
    if (p < end) {
        ++p;
        if (*p == '+')
            ++p;
        std::from_chars(p, end, exponent);
    }
    exponent -= int(digits.size()) - 1;
    return (negative ? QStringLiteral("-") : QString()) + digits + u'E' + QString::number(exponent);
}

// Oracle's text for the IEEE values that are no number: a driver that
// describes BINARY_DOUBLE with decimal digits hands them out as "Nan",
// "Inf" and "-Inf".
std::optional<double> ieeeSpecial(const Value& v)
{
    if (v.typeId() != QMetaType::QString)
        return std::nullopt;
    const QString text = v.toString().trimmed().toLower();
    if (text == QLatin1String("nan"))
        return std::numeric_limits<double>::quiet_NaN();
    if (text == QLatin1String("inf") || text == QLatin1String("+inf"))
        return std::numeric_limits<double>::infinity();
    if (text == QLatin1String("-inf"))
        return -std::numeric_limits<double>::infinity();
    return std::nullopt;
}

ExactValue ieee(const ExactColumn& column, const Value& v)
{
    const std::optional<double> read = ieeeValue(v);
    if (!read)
        return refused(QStringLiteral("%1 is not a number").arg(sql::valueText(v)));
    if (!std::isfinite(*read) && column.server == Server::MySQL)
        return refused(QStringLiteral("MySQL's FLOAT and DOUBLE hold no NaN or infinity"));
    return checked(*read);
}

QString ieeeLiteral(const ExactColumn& column, double d)
{
    if (!std::isfinite(d))
        return std::isnan(d) ? QStringLiteral("'NaN'")
                             : (d < 0 ? QStringLiteral("'-Inf'") : QStringLiteral("'Inf'"));
    const QString text = mantissaExponent(d);
    return column.server == Server::Oracle ? sql::Dialect::textLiteral(text) : text;
}

// ---- dates and times ---------------------------------------------------

// The fractional digits a value needs: 0 for whole seconds.
int neededDigits(quint32 nanoseconds)
{
    int digits = 9;
    while (digits > 0 && nanoseconds % 10 == 0) {
        nanoseconds /= 10;
        --digits;
    }
    return nanoseconds == 0 ? 0 : digits;
}

std::optional<SqlTimestamp> timestampOf(const Value& v)
{
    if (v.typeId() == qMetaTypeId<SqlTimestamp>())
        return v.value<SqlTimestamp>();
    if (v.typeId() == qMetaTypeId<SqlDate>()) {
        const SqlDate d = v.value<SqlDate>();
        return SqlTimestamp { d.year, d.month, d.day, 0, 0, 0, 0 };
    }
    return std::nullopt;
}

bool validClock(const SqlTimestamp& t)
{
    return t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31 && t.hour >= 0 && t.hour < 24
        && t.minute >= 0 && t.minute < 60 && t.second >= 0 && t.second < 60
        && t.fraction < 1000000000;
}

ExactValue dateTime(const ExactColumn& column, const Value& v)
{
    const auto t = timestampOf(v);
    if (!t)
        return refused(QStringLiteral("%1 is not a date").arg(sql::valueText(v)));
    // Oracle has no year 0 and its ANSI literals no years before Christ;
    // MySQL keeps years 0 to 9999.
    if (!validClock(*t) || t->year < (column.server == Server::Oracle ? 1 : 0) || t->year > 9999)
        return refused(
            QStringLiteral("%1 has no counterpart in %2").arg(sql::valueText(v), column.type));
    const int fraction = column.form == ValueForm::Date ? 0 : column.fractionDigits;
    if (neededDigits(t->fraction) > fraction)
        return refused(QStringLiteral("%1 has more fractional digits than %2 keeps")
                           .arg(sql::valueText(v), column.type));
    return checked(v);
}

QString dateTimeLiteral(const ExactColumn& column, const Value& v)
{
    const SqlTimestamp t = *timestampOf(v);
    const QString text = sql::timestampText(t);
    if (column.server == Server::MySQL)
        return sql::Dialect::textLiteral(text);
    if (column.form == ValueForm::Timestamp)
        return QStringLiteral("TIMESTAMP ") + sql::Dialect::textLiteral(text);
    if (v.typeId() == qMetaTypeId<SqlDate>())
        return QStringLiteral("DATE ")
            + sql::Dialect::textLiteral(
                sql::valueText(QVariant::fromValue(SqlDate { t.year, t.month, t.day })));
    return QStringLiteral("TO_DATE(") + sql::Dialect::textLiteral(text)
        + QStringLiteral(", 'YYYY-MM-DD HH24:MI:SS')");
}

// Oracle's TIMESTAMP(7..9) in MySQL: fixed width, so that text order is
// time order; a year before Christ keeps its sign.
ExactValue timestampText(const ExactColumn& column, const Value& v)
{
    const auto t = timestampOf(v);
    if (!t || !validClock(*t))
        return refused(QStringLiteral("%1 is not a date").arg(sql::valueText(v)));
    return checked(sql::timestampText(*t, column.fractionDigits));
}

// A signed duration: MySQL's TIME as the driver reads it, or Oracle's
// INTERVAL DAY TO SECOND in its text form "-34 22:59:59.500000".
struct Duration {
    bool negative = false;
    qint64 hours = 0;
    int minute = 0;
    int second = 0;
    quint32 nanoseconds = 0;
};

std::optional<Duration> durationOf(const Value& v)
{
    if (v.typeId() == qMetaTypeId<SqlTime>()) {
        const SqlTime t = v.value<SqlTime>();
        return Duration { t.negative, t.hour, t.minute, t.second, t.fraction };
    }
    if (v.typeId() != QMetaType::QString)
        return std::nullopt;
    static const QRegularExpression interval(QStringLiteral(
        "^\\s*([+-])?(\\d{1,9})\\s+(\\d{1,2}):(\\d{1,2}):(\\d{1,2})(?:\\.(\\d{1,9}))?\\s*$"));
    const auto m = interval.match(v.toString());
    if (!m.hasMatch())
        return std::nullopt;
    Duration d;
    d.negative = m.captured(1) == QLatin1String("-");
    d.hours = m.captured(2).toLongLong() * 24 + m.captured(3).toInt();
    d.minute = m.captured(4).toInt();
    d.second = m.captured(5).toInt();
    d.nanoseconds = m.captured(6).leftJustified(9, u'0').toUInt();
    return d;
}

ExactValue duration(const ExactColumn& column, const Value& v)
{
    const auto d = durationOf(v);
    if (!d || d->minute > 59 || d->second > 59)
        return refused(QStringLiteral("%1 is not a duration").arg(sql::valueText(v)));
    const int digits = neededDigits(d->nanoseconds);
    if (digits > column.fractionDigits)
        return refused(QStringLiteral("%1 has more fractional digits than %2 keeps")
                           .arg(sql::valueText(v), column.type));
    if (column.server == Server::MySQL) {
        constexpr qint64 longest = (838LL * 60 + 59) * 60 + 59; // seconds
        const qint64 seconds = (d->hours * 60 + d->minute) * 60 + d->second;
        if (seconds > longest || (seconds == longest && d->nanoseconds > 0))
            return refused(QStringLiteral("%1 is longer than MySQL's TIME holds (838:59:59)")
                               .arg(sql::valueText(v)));
        return checked(sql::valueText(QVariant::fromValue(
            SqlTime { d->negative, int(d->hours), d->minute, d->second, d->nanoseconds })));
    }
    const qint64 days = d->hours / 24;
    if (QString::number(days).size() > column.dayDigits)
        return refused(
            QStringLiteral("%1 has more days than %2 holds").arg(sql::valueText(v), column.type));
    return checked((d->negative ? QStringLiteral("-") : QString()) + QString::number(days) + u' '
        + sql::valueText(QVariant::fromValue(
            SqlTime { false, int(d->hours % 24), d->minute, d->second, d->nanoseconds })));
}

// ---- text and bytes ----------------------------------------------------

// An empty text or binary value bound for Oracle: NULL where the column
// takes one and the copy says so, else refused.
ExactValue emptyValue(const ExactColumn& column, QString why)
{
    if (column.emptyAsNull && !column.notNull)
        return checked(odbc::Null());
    return refused(std::move(why));
}

// The bytes of `text` in UTF-8 exceed `limit`: counted only for long text.
bool longerInUtf8(const QString& text, qsizetype limit)
{
    return text.size() * 3 > limit && text.toUtf8().size() > limit;
}

ExactValue text(const ExactColumn& column, const Value& v)
{
    if (v.typeId() == QMetaType::QByteArray)
        return refused(QStringLiteral("binary data does not go into a text column"));
    const QString s = v.typeId() == QMetaType::QString ? v.toString() : sql::valueText(v);
    if (!QStringView(s).isValidUtf16())
        return refused(QStringLiteral("the text is not valid Unicode"));
    if (column.server == Server::MySQL)
        return checked(s);
    if (s.isEmpty())
        return emptyValue(column, QStringLiteral("Oracle keeps an empty text as NULL"));
    if (s.contains(QChar(0)))
        return parameterOnly(s, QStringLiteral("an Oracle literal cannot carry U+0000"));
    if (longerInUtf8(s, oracleLiteralBytes))
        return parameterOnly(s, QStringLiteral("Oracle takes at most 4,000 bytes in one literal"));
    return checked(s);
}

QString textLiteral(const ExactColumn& column, const QString& s)
{
    // A backslash is an escape unless MySQL's sql_mode says otherwise; hex
    // bytes read the same in every mode.
    if (column.server == Server::MySQL && (s.contains(u'\\') || s.contains(QChar(0))))
        return QStringLiteral("_utf8mb4 X'") + QString::fromLatin1(s.toUtf8().toHex()) + u'\'';
    return sql::Dialect::textLiteral(s);
}

ExactValue binary(const ExactColumn& column, const Value& v)
{
    if (v.typeId() != QMetaType::QByteArray)
        return refused(QStringLiteral("%1 is not binary data").arg(sql::valueText(v)));
    const QByteArray& bytes = *static_cast<const QByteArray*>(v.constData());
    if (column.server == Server::MySQL)
        return checked(v);
    if (bytes.isEmpty())
        return emptyValue(column, QStringLiteral("Oracle keeps empty binary data as NULL"));
    if (bytes.size() > oracleLiteralBinary)
        return parameterOnly(
            v, QStringLiteral("Oracle takes at most 2,000 bytes as one hex literal"));
    return checked(v);
}

ExactValue numberText(const ExactColumn&, const Value& v)
{
    const auto digits = decimalText(v);
    if (!digits)
        return refused(QStringLiteral("%1 is not a number").arg(sql::valueText(v)));
    return checked(*digits);
}

std::optional<double> ieeeValue(const Value& v)
{
    if (v.typeId() == QMetaType::Float) {
        // A float's own shortest digits can, read as a double first,
        // round to the neighbouring float; its double's digits cannot.
        return double(v.toFloat());
    }
    if (v.typeId() == QMetaType::Double)
        return v.toDouble();
    if (const auto special = ieeeSpecial(v))
        return special;
    const auto text = decimalText(v);
    return text ? odbc::doubleOf(*text) : std::nullopt;
}

} // namespace

ExactValue checkValue(const ExactColumn& column, const Value& value)
{
    if (odbc::isNull(value))
        return checked(odbc::Null());
    switch (column.form) {
    case ValueForm::Integer:
    case ValueForm::Decimal:
        return number(column, value);
    case ValueForm::Float32:
    case ValueForm::Float64:
        return ieee(column, value);
    case ValueForm::Date:
    case ValueForm::Timestamp:
        return dateTime(column, value);
    case ValueForm::Time:
    case ValueForm::Interval:
        return duration(column, value);
    case ValueForm::Text:
        return text(column, value);
    case ValueForm::Binary:
        return binary(column, value);
    case ValueForm::NumberText:
        return numberText(column, value);
    case ValueForm::TimestampText:
        return timestampText(column, value);
    }
    return refused(QStringLiteral("unknown column form"));
}

QString literalOf(const ExactColumn& column, const ExactValue& checked)
{
    const Value& v = checked.value;
    if (odbc::isNull(v))
        return QStringLiteral("NULL");
    switch (column.form) {
    case ValueForm::Integer:
    case ValueForm::Decimal:
        return sql::valueText(v);
    case ValueForm::Float32:
    case ValueForm::Float64:
        return ieeeLiteral(column, v.toDouble());
    case ValueForm::Date:
    case ValueForm::Timestamp:
        return dateTimeLiteral(column, v);
    case ValueForm::Time:
        return sql::Dialect::textLiteral(v.toString());
    case ValueForm::Interval:
        return QStringLiteral("INTERVAL ") + sql::Dialect::textLiteral(v.toString())
            + QStringLiteral(" DAY(%1) TO SECOND(%2)")
                  .arg(column.dayDigits)
                  .arg(column.fractionDigits);
    case ValueForm::Text:
        return textLiteral(column, v.toString());
    case ValueForm::Binary: {
        const QString hex = QString::fromLatin1(v.toByteArray().toHex()).toUpper();
        return column.server == Server::MySQL ? QStringLiteral("X'") + hex + u'\''
                                              : sql::Dialect::textLiteral(hex);
    }
    case ValueForm::NumberText:
    case ValueForm::TimestampText:
        return sql::Dialect::textLiteral(v.toString());
    }
    return {};
}

Value boundOf(const ExactColumn& column, const ExactValue& checked)
{
    // Dates go into MySQL as the literal's text, which the server reads as
    // it reads the literal; everything else as checked.
    if ((column.form == ValueForm::Date || column.form == ValueForm::Timestamp)
        && column.server == Server::MySQL && !odbc::isNull(checked.value)) {
        const SqlTimestamp t = *timestampOf(checked.value);
        return sql::timestampText(t);
    }
    return checked.value;
}

bulk::ParameterBinding parameterOf(const ExactColumn& column, bool narrowText)
{
    const bool oracle = column.server == Server::Oracle;
    const ParameterType& p = column.parameter;
    switch (column.form) {
    case ValueForm::Integer:
    case ValueForm::Decimal:
        if (oracle)
            return { SQL_C_CHAR, SQL_DECIMAL, SQLULEN(p.columnSize), SQLSMALLINT(p.decimalDigits) };
        return { SQL_C_CHAR, SQL_VARCHAR, 0, 0 };
    case ValueForm::NumberText:
    case ValueForm::Time:
    case ValueForm::Interval:
    case ValueForm::TimestampText:
        return { SQL_C_CHAR, SQL_VARCHAR, 0, 0 };
    case ValueForm::Float32:
        return { SQL_C_DOUBLE, SQL_REAL, 7, 0 };
    case ValueForm::Float64:
        return { SQL_C_DOUBLE, SQL_DOUBLE, 15, 0 };
    case ValueForm::Date:
    case ValueForm::Timestamp:
        if (oracle)
            return { SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, SQLULEN(p.columnSize),
                SQLSMALLINT(p.decimalDigits) };
        return { SQL_C_CHAR, SQL_VARCHAR, 0, 0 };
    case ValueForm::Text:
        if (!oracle && narrowText)
            return { SQL_C_CHAR, SQLSMALLINT(column.isLong ? SQL_LONGVARCHAR : SQL_VARCHAR), 0, 0 };
        return { SQL_C_WCHAR, p.sqlType, SQLULEN(p.columnSize), 0 };
    case ValueForm::Binary:
        return { SQL_C_BINARY, p.sqlType, SQLULEN(p.columnSize), 0 };
    }
    return {};
}

ExactLiteral exactLiteral(const ExactColumn& column, const Value& value)
{
    const ExactValue c = checkValue(column, value);
    if (c.carry != Carry::Literal)
        return { c.carry, {}, c.reason };
    return { Carry::Literal, literalOf(column, c), {} };
}

} // namespace tw::copy

#include "implicit_conversion.h"

#include "decimal.h"
#include "interval.h"
#include "ora_error.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace orastandin {

namespace {

// Counts code points, and UTF-16 units when `utf16` (NVARCHAR2 is AL16UTF16).
std::size_t characterCount(const std::string& utf8, bool utf16)
{
    std::size_t n = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char c = utf8[i];
        if ((c & 0xC0) == 0x80)
            continue;
        n += (utf16 && c >= 0xF0) ? 2 : 1;
    }
    return n;
}

[[noreturn]] void tooLarge(const ColumnRef& c, std::size_t actual, int maximum)
{
    throwOra(12899,
        "value too large for column \"" + c.owner + "\".\"" + c.table + "\".\"" + c.column
            + "\" (actual: " + std::to_string(actual) + ", maximum: " + std::to_string(maximum)
            + ")");
}

[[noreturn]] void inconsistent(const char* expected, const char* got)
{
    throwOra(932, std::string("inconsistent datatypes: expected ") + expected + " got " + got);
}

Cell text(std::string value, const ColumnType& type, const ColumnRef& column)
{
    switch (type.kind) {
    case TypeKind::Varchar2:
    case TypeKind::Char: {
        std::size_t actual = type.charSemantics ? characterCount(value, false) : value.size();
        if (actual > std::size_t(type.length))
            tooLarge(column, actual, type.length);
        if (type.kind == TypeKind::Char)
            value.append(std::size_t(type.length) - actual, ' '); // CHAR is blank-padded
        break;
    }
    case TypeKind::NVarchar2:
    case TypeKind::NChar: {
        const std::size_t actual = characterCount(value, true);
        if (actual > std::size_t(type.length))
            tooLarge(column, actual, type.length);
        if (type.kind == TypeKind::NChar)
            value.append(std::size_t(type.length) - actual, ' ');
        break;
    }
    default:
        break;
    }
    return Cell::text_(std::move(value));
}

Cell hexToBinary(const std::string& hex, const ColumnType& type, const ColumnRef& column)
{
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    std::string bytes;
    bytes.reserve(hex.size() / 2 + 1);
    // An odd count reads as if a leading zero were written, as HEXTORAW does.
    std::size_t i = 0;
    if (hex.size() % 2 == 1) {
        const int lo = nibble(hex[0]);
        if (lo < 0)
            throwOra(1465, "invalid hex number");
        bytes += char(lo);
        i = 1;
    }
    for (; i < hex.size(); i += 2) {
        const int hi = nibble(hex[i]);
        const int lo = nibble(hex[i + 1]);
        if (hi < 0 || lo < 0)
            throwOra(1465, "invalid hex number");
        bytes += char(hi * 16 + lo);
    }
    if (type.kind == TypeKind::Raw && bytes.size() > std::size_t(type.length))
        tooLarge(column, bytes.size(), type.length);
    return Cell::binary(std::move(bytes));
}

double parseReal(const std::string& value, char decimalChar, bool single)
{
    // TO_BINARY_DOUBLE also knows the special values by name.
    std::string t;
    for (const char c : value) {
        if (c != ' ' && c != '\t')
            t += char((c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c);
    }
    if (t == "NAN")
        return std::numeric_limits<double>::quiet_NaN();
    if (t == "INF" || t == "+INF")
        return std::numeric_limits<double>::infinity();
    if (t == "-INF")
        return -std::numeric_limits<double>::infinity();
    const auto d = Decimal::parse(value, decimalChar);
    if (!d)
        invalidNumber();
    double v = d->toDouble();
    if (single)
        v = double(float(v));
    return v;
}

const char* typeWord(const ColumnType& type)
{
    if (type.isBinary())
        return "BINARY";
    if (type.kind == TypeKind::BinaryFloat)
        return "BINARY_FLOAT";
    if (type.kind == TypeKind::BinaryDouble)
        return "BINARY_DOUBLE";
    if (type.isInterval())
        return "INTERVAL DAY TO SECOND";
    if (type.isDateTime())
        return type.kind == TypeKind::Date ? "DATE" : "TIMESTAMP";
    return "NUMBER";
}

// A DATE or TIMESTAMP value (TIMESTAMP when `fromTimestamp`) stored into a
// column: a DATE loses the fraction (cut, as a CAST to DATE cuts it), a
// TIMESTAMP(n) keeps n digits of it (rounded); text gets the session's
// format; numbers and binary columns refuse it.
Cell assignDateTime(DateTime dt, bool fromTimestamp, const ColumnType& type,
    const ColumnRef& column, const NlsSettings& nls)
{
    switch (type.kind) {
    case TypeKind::Date:
        dt.nanos = 0;
        return Cell::dateTimeValue(dt);
    case TypeKind::Timestamp:
        return Cell::dateTimeValue(roundFraction(dt, type.scale));
    case TypeKind::Varchar2:
    case TypeKind::NVarchar2:
    case TypeKind::Char:
    case TypeKind::NChar:
    case TypeKind::Clob:
    case TypeKind::NClob:
    case TypeKind::Long:
        return text(fromTimestamp ? formatDateTime(dt, nls.timestampFormat, 6)
                                  : formatDateTime(dt, nls.dateFormat, 0),
            type, column);
    default:
        inconsistent(typeWord(type), fromTimestamp ? "TIMESTAMP" : "DATE");
    }
}

// An INTERVAL DAY TO SECOND value into a column: kept with the column's
// precisions, written out as text, refused by every other type.
Cell assignInterval(const DayToSecond& v, int leading, int fraction, const ColumnType& type,
    const ColumnRef& column)
{
    if (type.isInterval())
        return Cell::text_(formatDayToSecond(fitDayToSecond(v, type.precision, type.scale), 1, 9));
    if (type.isText())
        return text(formatDayToSecond(fitDayToSecond(v, leading, fraction), leading, fraction),
            type, column);
    inconsistent(typeWord(type), "INTERVAL DAY TO SECOND");
}

// TO_DATE and TO_TIMESTAMP: the text read with the format model given, or
// with the session's; a NULL or empty text (or model) gives NULL.
Cell convertFunction(const Literal& value, const ColumnType& type, const ColumnRef& column,
    const NlsSettings& nls, const Today& today)
{
    const bool timestamp = value.kind == Literal::Kind::ToTimestamp;
    if (value.text.empty() || (value.mask && value.mask->empty()))
        return Cell {};
    DateFormat format = timestamp ? nls.timestampFormat : nls.dateFormat;
    if (value.mask)
        format = DateFormat::parse(*value.mask);
    // A DATE has no fractional seconds for TO_DATE to read.
    if (!timestamp && format.hasFraction())
        throwOra(1821, "date format not recognized");
    const DateTime dt = parseDateTime(value.text, format, today);
    return assignDateTime(dt, timestamp, type, column, nls);
}

// A whole number as drivers bind them ("-42") that a NUMBER column takes as
// it is: nothing to round, so no decimal arithmetic for each row of an array.
bool isPlainInteger(const std::string& text, const ColumnType& type)
{
    const std::size_t first = !text.empty() && text[0] == '-' ? 1 : 0;
    const std::size_t digits = text.size() - first;
    if (type.kind != TypeKind::Number || digits == 0 || digits > 38 || text[first] == '0')
        return false;
    for (std::size_t i = first; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
    }
    return !type.scaleGiven || (type.scale >= 0 && int(digits) <= type.precision - type.scale);
}

// Bound RAW bytes: as they are for binary columns, as hex for the
// character columns RAW converts to, refused by the rest.
Cell fromBinary(const std::string& bytes, const ColumnType& type, const ColumnRef& column)
{
    switch (type.kind) {
    case TypeKind::Raw:
        if (bytes.size() > std::size_t(type.length))
            tooLarge(column, bytes.size(), type.length);
        return Cell::binary(bytes);
    case TypeKind::Blob:
    case TypeKind::LongRaw:
        return Cell::binary(bytes);
    case TypeKind::Varchar2:
    case TypeKind::NVarchar2:
    case TypeKind::Char:
    case TypeKind::NChar:
    case TypeKind::Long:
        return text(toHex(bytes), type, column);
    case TypeKind::Clob:
    case TypeKind::NClob:
        inconsistent(type.kind == TypeKind::Clob ? "CLOB" : "NCLOB", "BINARY");
    default:
        inconsistent(typeWord(type), "BINARY");
    }
}

} // namespace

std::string numberAsText(const Decimal& d, char decimalChar)
{
    // Oracle writes a number as text without a leading zero: 0.5 becomes ".5".
    std::string s = d.toString(decimalChar);
    if (s.rfind("0", 0) == 0 && s.size() > 1)
        s.erase(0, 1);
    else if (s.rfind("-0", 0) == 0 && s.size() > 2)
        s.erase(1, 1);
    return s;
}

std::string fitNumber(Decimal number, const ColumnType& type)
{
    if (type.kind == TypeKind::Float) {
        // Binary precision b holds about b * log10(2) decimal digits.
        const int digits = int(std::ceil(type.precision * 0.30103));
        number.roundToSignificant(digits);
    } else if (type.scaleGiven) {
        number.roundToScale(type.scale);
        if (!number.isZero() && number.leadingPower() >= type.precision - type.scale)
            throwOra(1438, "value larger than specified precision allowed for this column");
    } else {
        number.roundToSignificant(38);
    }
    if (number.leadingPower() > 125)
        throwOra(1426, "numeric overflow");
    if (number.leadingPower() < -130)
        return "0";
    return number.toString('.');
}

Cell convertForColumn(const Literal& value, const ColumnType& type, const ColumnRef& column,
    const NlsSettings& nls, const Today& today)
{
    // Oracle keeps no empty strings or empty RAW values: both are NULL.
    if (value.kind == Literal::Kind::Null || value.kind == Literal::Kind::Default
        || ((value.kind == Literal::Kind::String || value.kind == Literal::Kind::Bytes)
            && value.text.empty()))
        return Cell {};
    if (value.kind == Literal::Kind::Date || value.kind == Literal::Kind::Timestamp) {
        const bool timestamp = value.kind == Literal::Kind::Timestamp;
        return assignDateTime(
            parseAnsiLiteral(value.text, timestamp), timestamp, type, column, nls);
    }
    // SYSDATE and CURRENT_DATE are DATEs: the clock to the second.
    if (value.kind == Literal::Kind::SysDate || value.kind == Literal::Kind::CurrentDate) {
        DateTime now = today.moment;
        now.nanos = 0;
        return assignDateTime(now, false, type, column, nls);
    }
    // SYSTIMESTAMP and CURRENT_TIMESTAMP carry a time zone, which only the
    // datetime columns drop without a format of their own (text would take
    // NLS_TIMESTAMP_TZ_FORMAT, which this stand-in does not keep).
    if (value.kind == Literal::Kind::SysTimestamp
        || value.kind == Literal::Kind::CurrentTimestamp) {
        if (!type.isDateTime()) {
            if (type.isText())
                throwOra(3001, "unimplemented feature");
            inconsistent(typeWord(type), "TIMESTAMP WITH TIME ZONE");
        }
        const int digits = value.kind == Literal::Kind::SysTimestamp ? 6 : value.fractionPrecision;
        return assignDateTime(roundFraction(today.moment, digits), true, type, column, nls);
    }
    // A DATE or TIMESTAMP bound to a marker goes in as the literal of the same type does.
    if (value.kind == Literal::Kind::DateTimeValue)
        return assignDateTime(value.dateTime, !value.dateOnly, type, column, nls);
    if (value.kind == Literal::Kind::ToDate || value.kind == Literal::Kind::ToTimestamp)
        return convertFunction(value, type, column, nls, today);
    if (value.kind == Literal::Kind::Interval)
        return assignInterval(parseDayToSecond(value.text), value.leadingPrecision,
            value.fractionPrecision, type, column);
    if (value.kind == Literal::Kind::Bytes)
        return fromBinary(value.text, type, column);
    if (value.kind == Literal::Kind::Parameter)
        throwOra(1008, "not all variables bound");

    if (value.kind == Literal::Kind::Number) {
        if (isPlainInteger(value.text, type))
            return Cell::number(value.text);
        // SQL number literals always use '.', whatever the session says.
        const auto d = Decimal::parse(value.text, '.');
        if (!d)
            invalidNumber();
        switch (type.kind) {
        case TypeKind::Number:
        case TypeKind::Float:
            return Cell::number(fitNumber(*d, type));
        case TypeKind::BinaryFloat:
            return Cell::realValue(double(float(d->toDouble())));
        case TypeKind::BinaryDouble:
            return Cell::realValue(d->toDouble());
        case TypeKind::Date:
        case TypeKind::Timestamp:
        case TypeKind::IntervalDayToSecond:
            inconsistent(typeWord(type), "NUMBER");
        case TypeKind::Blob:
        case TypeKind::LongRaw:
            inconsistent("BINARY", "NUMBER");
        case TypeKind::Raw:
            return hexToBinary(numberAsText(*d, '.'), type, column);
        default:
            return text(numberAsText(*d, nls.decimalChar), type, column);
        }
    }

    const std::string& s = value.text;
    switch (type.kind) {
    case TypeKind::Varchar2:
    case TypeKind::NVarchar2:
    case TypeKind::Char:
    case TypeKind::NChar:
    case TypeKind::Clob:
    case TypeKind::NClob:
    case TypeKind::Long:
        return text(s, type, column);
    case TypeKind::Number:
    case TypeKind::Float: {
        const auto d = Decimal::parse(s, nls.decimalChar);
        if (!d)
            invalidNumber();
        return Cell::number(fitNumber(*d, type));
    }
    case TypeKind::BinaryFloat:
        return Cell::realValue(parseReal(s, nls.decimalChar, true));
    case TypeKind::BinaryDouble:
        return Cell::realValue(parseReal(s, nls.decimalChar, false));
    case TypeKind::Date: {
        DateTime dt = parseDateTime(s, nls.dateFormat, today);
        dt.nanos = 0;
        return Cell::dateTimeValue(dt);
    }
    case TypeKind::Timestamp:
        // Digits beyond the column's precision are rounded, as Oracle
        // rounds fractional seconds that a TIMESTAMP(n) cannot keep.
        return Cell::dateTimeValue(
            roundFraction(parseDateTime(s, nls.timestampFormat, today), type.scale));
    case TypeKind::Blob:
    case TypeKind::Raw:
    case TypeKind::LongRaw:
        return hexToBinary(s, type, column);
    case TypeKind::IntervalDayToSecond:
        return assignInterval(parseDayToSecond(s), 9, 9, type, column);
    }
    return Cell {};
}

} // namespace orastandin

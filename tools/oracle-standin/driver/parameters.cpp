#include "parameters.h"

#include "convert.h"
#include "decimal.h"
#include "diagnostics.h"
#include "utf.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace orastandin::odbc {

namespace {

enum class SqlClass { Character, Numeric, DateTime, Binary };

SqlClass sqlClass(SQLSMALLINT sqlType)
{
    switch (sqlType) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR:
        return SqlClass::Character;
    case SQL_DECIMAL:
    case SQL_NUMERIC:
    case SQL_INTEGER:
    case SQL_SMALLINT:
    case SQL_TINYINT:
    case SQL_BIGINT:
    case SQL_FLOAT:
    case SQL_REAL:
    case SQL_DOUBLE:
    case SQL_BIT:
        return SqlClass::Numeric;
    case SQL_TYPE_DATE:
    case SQL_DATE:
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
        return SqlClass::DateTime;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
        return SqlClass::Binary;
    case SQL_TYPE_TIME:
    case SQL_TIME:
        // Oracle has no time-of-day type to bind one to.
        throw DriverError("HYC00", "Optional feature not implemented");
    default:
        throw DriverError("HY004", "Invalid SQL data type");
    }
}

bool isDateOnly(SQLSMALLINT sqlType)
{
    return sqlType == SQL_TYPE_DATE || sqlType == SQL_DATE;
}

// The C type SQL_C_DEFAULT stands for with a parameter of this SQL type.
SQLSMALLINT defaultCType(SQLSMALLINT sqlType)
{
    switch (sqlType) {
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR:
        return SQL_C_WCHAR;
    case SQL_INTEGER:
        return SQL_C_SLONG;
    case SQL_SMALLINT:
        return SQL_C_SSHORT;
    case SQL_TINYINT:
        return SQL_C_STINYINT;
    case SQL_BIGINT:
        return SQL_C_SBIGINT;
    case SQL_REAL:
        return SQL_C_FLOAT;
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return SQL_C_DOUBLE;
    case SQL_BIT:
        return SQL_C_BIT;
    case SQL_TYPE_DATE:
    case SQL_DATE:
        return SQL_C_TYPE_DATE;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
        return SQL_C_TYPE_TIMESTAMP;
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
        return SQL_C_BINARY;
    default:
        return SQL_C_CHAR;
    }
}

bool knownCType(SQLSMALLINT cType)
{
    return cType == SQL_C_CHAR || cType == SQL_C_WCHAR || cType == SQL_C_BINARY
        || (cType != SQL_C_TYPE_TIME && cType != SQL_C_TIME && fixedSize(cType) != 0);
}

[[noreturn]] void restricted()
{
    throw DriverError("07006", "Restricted data type attribute violation");
}
[[noreturn]] void invalidCast()
{
    throw DriverError("22018", "Invalid character value for cast");
}
[[noreturn]] void datetimeOverflow()
{
    throw DriverError("22008", "Datetime field overflow");
}

template <typename T> T read(const char* data)
{
    T v;
    std::memcpy(&v, data, sizeof v);
    return v;
}

template <typename T> std::string integerText(T v)
{
    char buf[24];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

// The shortest text that reads back as the same value, as the program
// writes doubles into its literals: the NUMBER bind Oracle's driver makes
// of an SQL_C_DOUBLE then holds exactly what a literal would.
template <typename T> std::string realText(T v)
{
    if (!std::isfinite(v))
        throw DriverError("22003", "Numeric value out of range");
    char buf[64];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

// SQL_NUMERIC_STRUCT: a 128-bit little-endian magnitude, scaled by 10^-scale.
std::string numericText(const SQL_NUMERIC_STRUCT& n)
{
    unsigned char magnitude[SQL_MAX_NUMERIC_LEN];
    std::memcpy(magnitude, n.val, sizeof magnitude);
    std::string digits;
    for (;;) {
        // Divide the magnitude by ten, from the most significant byte down.
        unsigned remainder = 0;
        bool zero = true;
        for (int i = SQL_MAX_NUMERIC_LEN - 1; i >= 0; --i) {
            const unsigned v = remainder * 256 + magnitude[i];
            magnitude[i] = (unsigned char)(v / 10);
            remainder = v % 10;
            zero = zero && magnitude[i] == 0;
        }
        digits.insert(digits.begin(), char('0' + remainder));
        if (zero)
            break;
    }
    std::string text = n.sign ? digits : "-" + digits;
    if (n.scale != 0)
        text += "e" + std::to_string(-int(n.scale));
    return text;
}

DateTime checkedDate(int year, int month, int day)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1
        || day > daysInMonth(year, month))
        datetimeOverflow();
    return DateTime { year, month, day, 0, 0, 0, 0 };
}

DateTime checkedTimestamp(const SQL_TIMESTAMP_STRUCT& ts)
{
    DateTime dt = checkedDate(ts.year, ts.month, ts.day);
    if (ts.hour > 23 || ts.minute > 59 || ts.second > 59 || ts.fraction > 999999999)
        datetimeOverflow();
    dt.hour = ts.hour;
    dt.minute = ts.minute;
    dt.second = ts.second;
    dt.nanos = ts.fraction;
    return dt;
}

Literal dateTimeLiteral(const DateTime& dt, SQLSMALLINT sqlType)
{
    // ODBC refuses to drop a time of day into SQL_TYPE_DATE.
    if (isDateOnly(sqlType) && (dt.hour || dt.minute || dt.second || dt.nanos))
        datetimeOverflow();
    Literal v = Literal::of(Literal::Kind::DateTimeValue);
    v.dateTime = dt;
    v.dateOnly = isDateOnly(sqlType);
    return v;
}

// Text, by the SQL type it is bound as: as it is for the character types,
// a numeric literal for the numeric ones, ODBC's date form for the datetime
// ones and hex for the binary ones (which the engine reads as Oracle reads
// a hex literal).
Literal fromText(std::string text, SQLSMALLINT sqlType)
{
    switch (sqlClass(sqlType)) {
    case SqlClass::Character:
    case SqlClass::Binary:
        return Literal::of(Literal::Kind::String, std::move(text));
    case SqlClass::Numeric:
        if (!Decimal::parse(text, '.'))
            invalidCast();
        return Literal::of(Literal::Kind::Number, std::move(text));
    case SqlClass::DateTime: {
        std::size_t from = text.find_first_not_of(' ');
        std::size_t to = text.find_last_not_of(' ');
        DateTime dt;
        if (from == std::string::npos
            || !parseCanonical(std::string_view(text).substr(from, to - from + 1), dt))
            invalidCast();
        return dateTimeLiteral(dt, sqlType);
    }
    }
    restricted();
}

// A number written as text, by the SQL type it is bound as.
Literal fromNumber(std::string text, SQLSMALLINT sqlType)
{
    switch (sqlClass(sqlType)) {
    case SqlClass::Numeric:
        return Literal::of(Literal::Kind::Number, std::move(text));
    case SqlClass::Character:
        return Literal::of(Literal::Kind::String, std::move(text));
    default:
        restricted();
    }
}

} // namespace

char* elementAt(SQLPOINTER base, const SQLULEN* offset, SQLULEN bindType, std::size_t elementSize,
    std::size_t index)
{
    if (!base)
        return nullptr;
    char* p = static_cast<char*>(base) + (offset ? *offset : 0);
    return p + index * (bindType == SQL_BIND_BY_COLUMN ? elementSize : std::size_t(bindType));
}

void checkParameterBinding(
    SQLSMALLINT ioType, const ParameterBinding& binding, const DriverProfile& profile)
{
    if (ioType != SQL_PARAM_INPUT)
        throw DriverError("HYC00", "Optional feature not implemented");
    sqlClass(binding.sqlType);
    if (binding.cType != SQL_C_DEFAULT && !knownCType(binding.cType))
        throw DriverError("HY003", "Invalid application buffer type");
    // SQL_C_DEFAULT with SQL_BIGINT means SQL_C_SBIGINT, and goes with it.
    profile.checkCType(
        binding.cType == SQL_C_DEFAULT ? defaultCType(binding.sqlType) : binding.cType);
    if (binding.bufferLength < 0)
        throw DriverError("HY090", "Invalid string or buffer length");
}

Literal boundValue(
    const ParameterBinding& b, std::size_t row, SQLULEN bindType, const SQLULEN* offset)
{
    const SQLSMALLINT cType = b.cType == SQL_C_DEFAULT ? defaultCType(b.sqlType) : b.cType;
    const std::size_t size = fixedSize(cType);
    const char* data
        = elementAt(b.value, offset, bindType, size ? size : std::size_t(b.bufferLength), row);
    const auto* indicator = reinterpret_cast<const SQLLEN*>(
        elementAt(b.indicator, offset, bindType, sizeof(SQLLEN), row));
    const SQLLEN length = indicator ? *indicator : SQL_NTS;
    if (length == SQL_NULL_DATA)
        return Literal {};
    if (length == SQL_DATA_AT_EXEC || length <= SQL_LEN_DATA_AT_EXEC_OFFSET
        || length == SQL_DEFAULT_PARAM || length == SQL_COLUMN_IGNORE)
        throw DriverError("HYC00", "Optional feature not implemented");
    if (!data)
        throw DriverError("HY009", "Invalid use of null pointer");
    if (length < 0 && length != SQL_NTS)
        throw DriverError("HY090", "Invalid string or buffer length");

    switch (cType) {
    case SQL_C_CHAR: {
        const std::size_t n = length == SQL_NTS
            ? (b.bufferLength > 0 ? strnlen(data, std::size_t(b.bufferLength)) : std::strlen(data))
            : std::size_t(length);
        return fromText(std::string(data, n), b.sqlType);
    }
    case SQL_C_WCHAR: {
        SQLLEN units = length / SQLLEN(sizeof(SQLWCHAR));
        if (length == SQL_NTS) {
            const SQLLEN limit
                = b.bufferLength > 0 ? b.bufferLength / SQLLEN(sizeof(SQLWCHAR)) : -1;
            units = 0;
            while ((limit < 0 || units < limit)
                && read<SQLWCHAR>(data + units * SQLLEN(sizeof(SQLWCHAR))) != 0)
                ++units;
        }
        if (reinterpret_cast<std::uintptr_t>(data) % alignof(SQLWCHAR) == 0)
            return fromText(toUtf8(reinterpret_cast<const SQLWCHAR*>(data), units), b.sqlType);
        std::vector<SQLWCHAR> aligned(static_cast<std::size_t>(units));
        std::memcpy(aligned.data(), data, aligned.size() * sizeof(SQLWCHAR));
        return fromText(toUtf8(aligned.data(), units), b.sqlType);
    }
    case SQL_C_BINARY: {
        if (length == SQL_NTS)
            throw DriverError("HY090", "Invalid string or buffer length");
        std::string bytes(data, std::size_t(length));
        switch (sqlClass(b.sqlType)) {
        case SqlClass::Binary:
            return Literal::of(Literal::Kind::Bytes, std::move(bytes));
        case SqlClass::Character:
            return Literal::of(Literal::Kind::String, std::move(bytes));
        default:
            restricted();
        }
    }
    case SQL_C_SLONG:
    case SQL_C_LONG:
        return fromNumber(integerText(read<SQLINTEGER>(data)), b.sqlType);
    case SQL_C_ULONG:
        return fromNumber(integerText(read<SQLUINTEGER>(data)), b.sqlType);
    case SQL_C_SSHORT:
    case SQL_C_SHORT:
        return fromNumber(integerText(read<SQLSMALLINT>(data)), b.sqlType);
    case SQL_C_USHORT:
        return fromNumber(integerText(read<SQLUSMALLINT>(data)), b.sqlType);
    case SQL_C_STINYINT:
    case SQL_C_TINYINT:
        return fromNumber(integerText(int(read<SQLSCHAR>(data))), b.sqlType);
    case SQL_C_UTINYINT:
    case SQL_C_BIT:
        return fromNumber(integerText(unsigned(read<SQLCHAR>(data))), b.sqlType);
    case SQL_C_SBIGINT:
        return fromNumber(integerText(read<SQLBIGINT>(data)), b.sqlType);
    case SQL_C_UBIGINT:
        return fromNumber(integerText(read<SQLUBIGINT>(data)), b.sqlType);
    case SQL_C_DOUBLE:
        return fromNumber(realText(read<SQLDOUBLE>(data)), b.sqlType);
    case SQL_C_FLOAT:
        return fromNumber(realText(read<SQLREAL>(data)), b.sqlType);
    case SQL_C_NUMERIC:
        return fromNumber(numericText(read<SQL_NUMERIC_STRUCT>(data)), b.sqlType);
    case SQL_C_TYPE_DATE:
    case SQL_C_DATE: {
        const auto d = read<SQL_DATE_STRUCT>(data);
        const DateTime dt = checkedDate(d.year, d.month, d.day);
        switch (sqlClass(b.sqlType)) {
        case SqlClass::DateTime:
            return dateTimeLiteral(dt, b.sqlType);
        case SqlClass::Character:
            return Literal::of(Literal::Kind::String, formatCanonical(dt, 0).substr(0, 10));
        default:
            restricted();
        }
    }
    case SQL_C_TYPE_TIMESTAMP:
    case SQL_C_TIMESTAMP: {
        const DateTime dt = checkedTimestamp(read<SQL_TIMESTAMP_STRUCT>(data));
        switch (sqlClass(b.sqlType)) {
        case SqlClass::DateTime:
            return dateTimeLiteral(dt, b.sqlType);
        case SqlClass::Character:
            return Literal::of(Literal::Kind::String, formatCanonical(dt, b.decimalDigits));
        default:
            restricted();
        }
    }
    default:
        throw DriverError("HY003", "Invalid application buffer type");
    }
}

} // namespace orastandin::odbc

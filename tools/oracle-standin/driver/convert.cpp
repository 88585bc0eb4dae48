#include "convert.h"

#include "decimal.h"
#include "diagnostics.h"
#include "metadata.h"
#include "session.h"
#include "utf.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace orastandin::odbc {

namespace {

[[noreturn]] void restricted()
{
    throw DriverError("07006", "Restricted data type attribute violation");
}
[[noreturn]] void outOfRange()
{
    throw DriverError("22003", "Numeric value out of range");
}
[[noreturn]] void invalidCast()
{
    throw DriverError("22018", "Invalid character value for cast");
}

template <typename T> Converted fixed(const T& value, bool fractional = false)
{
    Converted c;
    c.bytes.assign(reinterpret_cast<const char*>(&value), sizeof(T));
    c.fractionalTruncation = fractional;
    return c;
}

Converted text(std::string utf8, SQLSMALLINT cType)
{
    Converted c;
    c.variable = true;
    if (cType == SQL_C_WCHAR) {
        // SQLWCHAR is UTF-16 in unixODBC's default build: the units as they are.
        static_assert(sizeof(SQLWCHAR) == sizeof(char16_t));
        const std::u16string w = toUtf16(utf8);
        c.bytes.assign(reinterpret_cast<const char*>(w.data()), w.size() * sizeof(char16_t));
        c.terminatorSize = sizeof(SQLWCHAR);
    } else if (cType == SQL_C_CHAR) {
        c.bytes = std::move(utf8);
        c.terminatorSize = 1;
    } else {
        c.bytes = std::move(utf8);
    }
    return c;
}

// The number a cell holds, for the numeric C types.
struct Numeric {
    Decimal exact;
    double approximate = 0;
    bool isExact = true;
};

Numeric numericValue(const Cell& cell)
{
    Numeric n;
    switch (cell.kind) {
    case Cell::Kind::Number:
    case Cell::Kind::Text: {
        const auto d = Decimal::parse(cell.text, '.');
        if (!d)
            invalidCast();
        n.exact = *d;
        n.approximate = d->toDouble();
        break;
    }
    case Cell::Kind::Real:
        n.isExact = false;
        n.approximate = cell.real;
        break;
    default:
        restricted();
    }
    return n;
}

// A stored NUMBER holds plain decimal text ("-12", "0.5"): whole numbers
// and doubles come straight from it, the common case of every block fetch.
template <typename T> bool quickInteger(const Cell& cell, Converted& out)
{
    if (cell.kind != Cell::Kind::Number || cell.text.find('.') != std::string::npos)
        return false;
    T value {};
    const auto r = std::from_chars(cell.text.data(), cell.text.data() + cell.text.size(), value);
    if (r.ec == std::errc::result_out_of_range)
        outOfRange();
    if (r.ec != std::errc() || r.ptr != cell.text.data() + cell.text.size())
        return false;
    out = fixed(value);
    return true;
}

template <typename T> Converted integer(const Numeric& n)
{
    if (n.isExact) {
        // Cut toward zero by dropping the fraction's digits.
        const std::string s = n.exact.toString('.');
        const auto dot = s.find('.');
        std::string whole = s.substr(0, dot);
        if (whole == "-0")
            whole = "0";
        T value {};
        const auto r = std::from_chars(whole.data(), whole.data() + whole.size(), value);
        if (r.ec != std::errc() || r.ptr != whole.data() + whole.size())
            outOfRange();
        return fixed(value, dot != std::string::npos);
    }
    if (!std::isfinite(n.approximate))
        outOfRange();
    const long double whole = std::trunc((long double)n.approximate);
    if (whole < (long double)std::numeric_limits<T>::min()
        || whole > (long double)std::numeric_limits<T>::max())
        outOfRange();
    return fixed(T(whole), whole != (long double)n.approximate);
}

template <typename T> Converted integerOf(const Cell& cell)
{
    Converted quick;
    if (quickInteger<T>(cell, quick))
        return quick;
    return integer<T>(numericValue(cell));
}

std::string numberText(const Cell& cell, const ColumnType& type)
{
    if (cell.kind == Cell::Kind::Real)
        return realToText(cell.real, type.kind == TypeKind::BinaryFloat);
    return cell.text;
}

Converted fromNumber(const Cell& cell, const ColumnType& type, SQLSMALLINT cType)
{
    switch (cType) {
    case SQL_C_CHAR:
    case SQL_C_WCHAR:
    case SQL_C_BINARY: {
        std::string s = numberText(cell, type);
        Converted c = text(s, cType);
        const auto dot = s.find('.');
        c.minimumText = (dot == std::string::npos ? s.size() : dot) + 1;
        return c;
    }
    case SQL_C_DOUBLE: {
        SQLDOUBLE v = 0;
        if (cell.kind == Cell::Kind::Number
            && std::from_chars(cell.text.data(), cell.text.data() + cell.text.size(), v).ec
                == std::errc())
            return fixed(v);
        const Numeric n = numericValue(cell);
        return fixed(SQLDOUBLE(n.approximate));
    }
    case SQL_C_FLOAT: {
        const Numeric n = numericValue(cell);
        if (std::isfinite(n.approximate)
            && std::fabs(n.approximate) > std::numeric_limits<float>::max())
            outOfRange();
        return fixed(SQLREAL(n.approximate));
    }
    case SQL_C_SBIGINT:
        return integerOf<SQLBIGINT>(cell);
    case SQL_C_UBIGINT:
        return integerOf<SQLUBIGINT>(cell);
    case SQL_C_SLONG:
    case SQL_C_LONG:
        return integerOf<SQLINTEGER>(cell);
    case SQL_C_ULONG:
        return integerOf<SQLUINTEGER>(cell);
    case SQL_C_SSHORT:
    case SQL_C_SHORT:
        return integerOf<SQLSMALLINT>(cell);
    case SQL_C_USHORT:
        return integerOf<SQLUSMALLINT>(cell);
    case SQL_C_STINYINT:
    case SQL_C_TINYINT:
        return integerOf<SQLSCHAR>(cell);
    case SQL_C_UTINYINT:
        return integerOf<SQLCHAR>(cell);
    case SQL_C_BIT: {
        const Numeric n = numericValue(cell);
        const double v = n.approximate;
        if (v < 0 || v >= 2)
            outOfRange();
        return fixed(SQLCHAR(v >= 1 ? 1 : 0), v != 0 && v != 1);
    }
    default:
        restricted();
    }
}

Converted fromDateTime(const DateTime& dt, const ColumnType& type, SQLSMALLINT cType)
{
    switch (cType) {
    case SQL_C_CHAR:
    case SQL_C_WCHAR:
    case SQL_C_BINARY: {
        Converted c
            = text(formatCanonical(dt, type.kind == TypeKind::Timestamp ? type.scale : 0), cType);
        c.minimumText = 20; // "YYYY-MM-DD HH:MM:SS" and the terminator
        return c;
    }
    case SQL_C_TYPE_TIMESTAMP:
    case SQL_C_TIMESTAMP: {
        SQL_TIMESTAMP_STRUCT ts {};
        ts.year = SQLSMALLINT(dt.year);
        ts.month = SQLUSMALLINT(dt.month);
        ts.day = SQLUSMALLINT(dt.day);
        ts.hour = SQLUSMALLINT(dt.hour);
        ts.minute = SQLUSMALLINT(dt.minute);
        ts.second = SQLUSMALLINT(dt.second);
        ts.fraction = type.kind == TypeKind::Date ? 0 : SQLUINTEGER(dt.nanos);
        return fixed(ts);
    }
    case SQL_C_TYPE_DATE:
    case SQL_C_DATE: {
        SQL_DATE_STRUCT d { SQLSMALLINT(dt.year), SQLUSMALLINT(dt.month), SQLUSMALLINT(dt.day) };
        const bool cut = dt.hour || dt.minute || dt.second || dt.nanos;
        return fixed(d, cut);
    }
    case SQL_C_TYPE_TIME:
    case SQL_C_TIME: {
        SQL_TIME_STRUCT t { SQLUSMALLINT(dt.hour), SQLUSMALLINT(dt.minute),
            SQLUSMALLINT(dt.second) };
        return fixed(t, dt.nanos != 0);
    }
    default:
        restricted();
    }
}

Converted fromText(const Cell& cell, const ColumnType& type, SQLSMALLINT cType)
{
    switch (cType) {
    case SQL_C_CHAR:
    case SQL_C_WCHAR:
    case SQL_C_BINARY:
        return text(cell.text, cType);
    case SQL_C_TYPE_TIMESTAMP:
    case SQL_C_TIMESTAMP:
    case SQL_C_TYPE_DATE:
    case SQL_C_DATE:
    case SQL_C_TYPE_TIME:
    case SQL_C_TIME: {
        DateTime dt;
        std::string t = cell.text;
        while (!t.empty() && t.back() == ' ')
            t.pop_back();
        if (!parseCanonical(t, dt))
            invalidCast();
        ColumnType asTimestamp;
        asTimestamp.kind = TypeKind::Timestamp;
        asTimestamp.scale = 9;
        return fromDateTime(dt, asTimestamp, cType);
    }
    default:
        return fromNumber(cell, type, cType);
    }
}

Converted fromBinary(const Cell& cell, SQLSMALLINT cType)
{
    switch (cType) {
    case SQL_C_CHAR:
    case SQL_C_WCHAR:
        return text(toHex(cell.text), cType);
    case SQL_C_BINARY:
        return text(cell.text, cType);
    default:
        restricted();
    }
}

} // namespace

SQLSMALLINT resolveDefault(SQLSMALLINT cType, const ColumnType& type, const DriverProfile& profile)
{
    if (cType != SQL_C_DEFAULT)
        return cType;
    return defaultCType(
        describeColumn(ResultColumn { {}, type, true, {}, {} }, profile).conciseType);
}

std::size_t fixedSize(SQLSMALLINT cType)
{
    switch (cType) {
    case SQL_C_SLONG:
    case SQL_C_LONG:
    case SQL_C_ULONG:
        return sizeof(SQLINTEGER);
    case SQL_C_SSHORT:
    case SQL_C_SHORT:
    case SQL_C_USHORT:
        return sizeof(SQLSMALLINT);
    case SQL_C_STINYINT:
    case SQL_C_TINYINT:
    case SQL_C_UTINYINT:
    case SQL_C_BIT:
        return sizeof(SQLCHAR);
    case SQL_C_SBIGINT:
    case SQL_C_UBIGINT:
        return sizeof(SQLBIGINT);
    case SQL_C_DOUBLE:
        return sizeof(SQLDOUBLE);
    case SQL_C_FLOAT:
        return sizeof(SQLREAL);
    case SQL_C_NUMERIC:
        return sizeof(SQL_NUMERIC_STRUCT);
    case SQL_C_TYPE_DATE:
    case SQL_C_DATE:
        return sizeof(SQL_DATE_STRUCT);
    case SQL_C_TYPE_TIME:
    case SQL_C_TIME:
        return sizeof(SQL_TIME_STRUCT);
    case SQL_C_TYPE_TIMESTAMP:
    case SQL_C_TIMESTAMP:
        return sizeof(SQL_TIMESTAMP_STRUCT);
    default:
        return 0;
    }
}

Converted convertCell(const Cell& cell, const ColumnType& type, SQLSMALLINT cType)
{
    switch (cell.kind) {
    case Cell::Kind::Text:
        return fromText(cell, type, cType);
    case Cell::Kind::Number:
    case Cell::Kind::Real:
        return fromNumber(cell, type, cType);
    case Cell::Kind::DateTime:
        return fromDateTime(cell.dateTime, type, cType);
    case Cell::Kind::Binary:
        return fromBinary(cell, cType);
    case Cell::Kind::Null:
        break;
    }
    restricted();
}

} // namespace orastandin::odbc

#include "value_ops.h"

#include "decimal.h"
#include "implicit_conversion.h"
#include "interval.h"
#include "ora_error.h"

#include <cmath>

namespace orastandin {

Family familyOf(const ColumnType& type)
{
    switch (type.kind) {
    case TypeKind::Varchar2:
    case TypeKind::NVarchar2:
    case TypeKind::Char:
    case TypeKind::NChar:
        return Family::Text;
    case TypeKind::Number:
    case TypeKind::Float:
        return Family::Number;
    case TypeKind::BinaryFloat:
    case TypeKind::BinaryDouble:
        return Family::Real;
    case TypeKind::Date:
    case TypeKind::Timestamp:
        return Family::DateTime;
    case TypeKind::Raw:
        return Family::Raw;
    case TypeKind::IntervalDayToSecond:
        return Family::Interval;
    case TypeKind::Clob:
    case TypeKind::NClob:
    case TypeKind::Blob:
    case TypeKind::Long:
    case TypeKind::LongRaw:
        return Family::Lob;
    }
    return Family::Text;
}

const char* typeLabel(const ColumnType& type)
{
    switch (type.kind) {
    case TypeKind::Varchar2:
    case TypeKind::NVarchar2:
    case TypeKind::Char:
    case TypeKind::NChar:
        return "CHAR";
    case TypeKind::Number:
    case TypeKind::Float:
        return "NUMBER";
    case TypeKind::BinaryFloat:
        return "BINARY_FLOAT";
    case TypeKind::BinaryDouble:
        return "BINARY_DOUBLE";
    case TypeKind::Date:
        return "DATE";
    case TypeKind::Timestamp:
        return "TIMESTAMP";
    case TypeKind::Raw:
        return "BINARY";
    case TypeKind::IntervalDayToSecond:
        return "INTERVAL DAY TO SECOND";
    case TypeKind::Clob:
        return "CLOB";
    case TypeKind::NClob:
        return "NCLOB";
    case TypeKind::Blob:
        return "BLOB";
    case TypeKind::Long:
        return "LONG";
    case TypeKind::LongRaw:
        return "LONG BINARY";
    }
    return "CHAR";
}

void inconsistentTypes(const ColumnType& expected, const ColumnType& got)
{
    // For a LOB Oracle expects no particular type: "expected - got CLOB".
    const char* want = familyOf(got) == Family::Lob ? "-" : typeLabel(expected);
    throwOra(
        932, std::string("inconsistent datatypes: expected ") + want + " got " + typeLabel(got));
}

ColumnType varchar2Type(int length)
{
    ColumnType t;
    t.kind = TypeKind::Varchar2;
    t.length = length;
    return t;
}

ColumnType numberType()
{
    ColumnType t;
    t.kind = TypeKind::Number;
    return t;
}

namespace {

ColumnType timestampType()
{
    ColumnType t;
    t.kind = TypeKind::Timestamp;
    t.scale = 9;
    return t;
}

ColumnType ofKind(TypeKind kind)
{
    ColumnType t;
    t.kind = kind;
    return t;
}

// The widest type of a family, into which conversions lose nothing.
ColumnType unconstrained(const ColumnType& type)
{
    switch (familyOf(type)) {
    case Family::Text:
        return ofKind(TypeKind::Clob);
    case Family::Number:
        return numberType();
    case Family::Real:
        return ofKind(TypeKind::BinaryDouble);
    case Family::DateTime:
        return type.kind == TypeKind::Date ? ofKind(TypeKind::Date) : timestampType();
    case Family::Raw:
        return ofKind(TypeKind::Blob);
    case Family::Interval: {
        ColumnType t = ofKind(TypeKind::IntervalDayToSecond);
        t.precision = 9;
        t.scale = 9;
        return t;
    }
    case Family::Lob:
        return type;
    }
    return type;
}

} // namespace

ColumnType literalType(const Literal& l, bool bound)
{
    switch (l.kind) {
    case Literal::Kind::String: {
        // A quoted literal is CHAR (blank-padded comparisons); a bound text VARCHAR2.
        ColumnType t = varchar2Type(int(l.text.size()));
        if (!bound && !l.text.empty())
            t.kind = TypeKind::Char;
        return t;
    }
    case Literal::Kind::Number:
        return numberType();
    case Literal::Kind::Date:
    case Literal::Kind::ToDate:
    case Literal::Kind::SysDate:
    case Literal::Kind::CurrentDate:
        return ofKind(TypeKind::Date);
    case Literal::Kind::Timestamp:
    case Literal::Kind::ToTimestamp:
    case Literal::Kind::SysTimestamp:
    case Literal::Kind::CurrentTimestamp:
        return timestampType();
    case Literal::Kind::DateTimeValue:
        return l.dateOnly ? ofKind(TypeKind::Date) : timestampType();
    case Literal::Kind::Interval: {
        ColumnType t = ofKind(TypeKind::IntervalDayToSecond);
        t.precision = l.leadingPrecision;
        t.scale = l.fractionPrecision;
        return t;
    }
    case Literal::Kind::Bytes: {
        ColumnType t = ofKind(TypeKind::Raw);
        t.length = int(l.text.size());
        return t;
    }
    default:
        return varchar2Type(bound ? 4000 : 0);
    }
}

Value literalValue(const Literal& l, bool bound, const NlsSettings& nls, const Today& today)
{
    const ColumnType type = literalType(l, bound);
    switch (l.kind) {
    case Literal::Kind::Null:
        return Value { Cell {}, type };
    case Literal::Kind::Parameter:
        throwOra(1008, "not all variables bound");
    case Literal::Kind::String:
        return Value { l.text.empty() ? Cell {} : Cell::text_(l.text), type };
    case Literal::Kind::Bytes:
        return Value { l.text.empty() ? Cell {} : Cell::binary(l.text), type };
    case Literal::Kind::Interval:
        return Value { convertForColumn(l, unconstrained(type), {}, nls, today),
            unconstrained(type) };
    default:
        return Value { convertForColumn(l, unconstrained(type), {}, nls, today), type };
    }
}

Value convertValue(
    const Value& v, const ColumnType& target, const NlsSettings& nls, const Today& today)
{
    if (v.isNull())
        return Value { Cell {}, target };
    if (familyOf(target) == Family::Text)
        return Value { Cell::text_(valueText(v, nls)), varchar2Type(4000) };
    const ColumnType to = unconstrained(target);
    return Value { convertForColumn(asLiteral(v), to, {}, nls, today), to };
}

int compareNumberText(std::string_view a, std::string_view b)
{
    const bool na = !a.empty() && a[0] == '-';
    const bool nb = !b.empty() && b[0] == '-';
    if (na != nb)
        return na ? -1 : 1;
    if (na) {
        a.remove_prefix(1);
        b.remove_prefix(1);
    }
    auto split = [](std::string_view s, std::string_view& whole, std::string_view& fraction) {
        const auto dot = s.find('.');
        whole = s.substr(0, dot);
        fraction = dot == std::string_view::npos ? std::string_view() : s.substr(dot + 1);
        if (whole == "0")
            whole = {};
    };
    std::string_view aw, af, bw, bf;
    split(a, aw, af);
    split(b, bw, bf);
    int c = 0;
    if (aw.size() != bw.size())
        c = aw.size() < bw.size() ? -1 : 1;
    else if (const int w = aw.compare(bw); w != 0)
        c = w < 0 ? -1 : 1;
    else {
        for (std::size_t i = 0; i < std::max(af.size(), bf.size()) && c == 0; ++i) {
            const char x = i < af.size() ? af[i] : '0';
            const char y = i < bf.size() ? bf[i] : '0';
            if (x != y)
                c = x < y ? -1 : 1;
        }
    }
    return na ? -c : c;
}

Value asNumber(const Value& v, const NlsSettings& nls, const Today& today)
{
    if (v.isNull() || familyOf(v.type) == Family::Number)
        return v;
    if (familyOf(v.type) == Family::Real) {
        if (!std::isfinite(v.cell.real))
            invalidNumber();
        const auto d = Decimal::parse(realToText(v.cell.real, false), '.');
        return Value { Cell::number(fitNumber(*d, numberType())), numberType() };
    }
    if (familyOf(v.type) != Family::Text)
        inconsistentTypes(numberType(), v.type);
    return convertValue(v, numberType(), nls, today);
}

std::size_t utf8Length(std::string_view s)
{
    std::size_t n = 0;
    for (const unsigned char c : s) {
        if ((c & 0xC0) != 0x80)
            ++n;
    }
    return n;
}

} // namespace orastandin

// The SQL functions of the expression engine.

#include "decimal.h"
#include "implicit_conversion.h"
#include "ora_error.h"
#include "value_ops.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace orastandin {

namespace {

[[noreturn]] void wrongArguments()
{
    throwOra(909, "invalid number of arguments");
}

void arity(const Expr& e, std::size_t least, std::size_t most)
{
    if (e.args.size() < least || e.args.size() > most)
        wrongArguments();
}

ColumnType typeOf(TypeKind kind, int length = 0)
{
    ColumnType t;
    t.kind = kind;
    t.length = length;
    return t;
}

// How many characters a value of this type shows as text, for result types.
int textLength(const ColumnType& t)
{
    switch (familyOf(t)) {
    case Family::Text:
        return t.length;
    case Family::Raw:
        return t.length * 2;
    case Family::Lob:
        return 4000;
    default:
        return 75;
    }
}

// A number argument as a whole number (truncated, as SUBSTR and ORA_HASH take them).
std::optional<long double> numberArgument(const Value& v, const EvalContext& ctx)
{
    const Value n = asNumber(v, *ctx.nls, *ctx.today);
    if (n.isNull())
        return std::nullopt;
    return std::strtold(n.cell.text.c_str(), nullptr);
}

// A canonical decimal as an integer scaled by 10^scale, when it fits.
bool scaled(const std::string& text, int scale, __int128& out)
{
    const bool negative = !text.empty() && text[0] == '-';
    const auto dot = text.find('.');
    std::string digits = text.substr(
        negative ? 1 : 0, dot == std::string::npos ? std::string::npos : dot - (negative ? 1 : 0));
    std::string fraction = dot == std::string::npos ? std::string() : text.substr(dot + 1);
    if (int(fraction.size()) > scale)
        return false;
    fraction.append(std::size_t(scale) - fraction.size(), '0');
    digits += fraction;
    if (digits.size() > 38)
        return false;
    __int128 v = 0;
    for (const char c : digits)
        v = v * 10 + (c - '0');
    out = negative ? -v : v;
    return true;
}

int fractionDigits(const std::string& text)
{
    const auto dot = text.find('.');
    return dot == std::string::npos ? 0 : int(text.size() - dot - 1);
}

std::string scaledText(__int128 v, int scale)
{
    const bool negative = v < 0;
    if (negative)
        v = -v;
    std::string digits;
    do {
        digits.insert(digits.begin(), char('0' + int(v % 10)));
        v /= 10;
    } while (v > 0);
    if (scale > 0) {
        if (int(digits.size()) <= scale)
            digits.insert(0, std::size_t(scale) - digits.size() + 1, '0');
        digits.insert(digits.size() - std::size_t(scale), ".");
    }
    return (negative ? "-" : "") + digits;
}

Value number(const std::string& text)
{
    const auto d = Decimal::parse(text, '.');
    if (!d)
        invalidNumber();
    return Value { Cell::number(fitNumber(*d, numberType())), numberType() };
}

// MOD(m, n): m - n * TRUNC(m / n), m itself for n = 0, exactly for numbers
// of up to 38 digits.
Value mod(const Value& m, const Value& n, const EvalContext& ctx)
{
    if (familyOf(m.type) == Family::Real || familyOf(n.type) == Family::Real) {
        ColumnType d = typeOf(TypeKind::BinaryDouble);
        const double x = convertValue(m, d, *ctx.nls, *ctx.today).cell.real;
        const double y = convertValue(n, d, *ctx.nls, *ctx.today).cell.real;
        return Value { Cell::realValue(y == 0 ? x : std::fmod(x, y)), d };
    }
    const Value a = asNumber(m, *ctx.nls, *ctx.today);
    const Value b = asNumber(n, *ctx.nls, *ctx.today);
    if (a.isNull() || b.isNull())
        return Value { Cell {}, numberType() };
    const int scale = std::max(fractionDigits(a.cell.text), fractionDigits(b.cell.text));
    __int128 x = 0, y = 0;
    if (scaled(a.cell.text, scale, x) && scaled(b.cell.text, scale, y))
        return number(scaledText(y == 0 ? x : x % y, scale));
    const long double lx = std::strtold(a.cell.text.c_str(), nullptr);
    const long double ly = std::strtold(b.cell.text.c_str(), nullptr);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.30Lg", ly == 0 ? lx : std::fmod(lx, ly));
    return number(buf);
}

// The bytes ORA_HASH hashes: equal values give equal bytes in any session.
std::string hashInput(const Value& v)
{
    std::string key(1, char(familyOf(v.type)));
    switch (v.cell.kind) {
    case Cell::Kind::Real: {
        double d = v.cell.real;
        if (d == 0)
            d = 0; // -0 and 0 are one value
        if (std::isnan(d))
            d = std::nan("");
        char bytes[sizeof d];
        std::memcpy(bytes, &d, sizeof d);
        key.append(bytes, sizeof d);
        break;
    }
    case Cell::Kind::DateTime:
        key += formatCanonical(v.cell.dateTime, 9);
        break;
    default:
        key += v.cell.text;
    }
    return key;
}

std::uint32_t stableHash(const std::string& bytes, std::uint32_t seed)
{
    // 64-bit FNV-1a over the seed and the bytes, folded to 32 bits.
    std::uint64_t h = 14695981039346656037ULL;
    auto mix = [&](unsigned char c) {
        h ^= c;
        h *= 1099511628211ULL;
    };
    for (int i = 0; i < 4; ++i)
        mix((unsigned char)(seed >> (8 * i)));
    for (const unsigned char c : bytes)
        mix(c);
    return std::uint32_t(h ^ (h >> 32));
}

Value oraHash(const Expr& e, const EvalContext& ctx)
{
    const Value v = evaluate(*e.args[0], ctx);
    if (familyOf(v.type) == Family::Lob)
        inconsistentTypes(varchar2Type(0), v.type);
    long double limits[2] = { 4294967295.0L, 0 };
    for (std::size_t i = 1; i < e.args.size(); ++i) {
        const auto n = numberArgument(evaluate(*e.args[i], ctx), ctx);
        if (!n)
            return Value { Cell {}, numberType() };
        if (*n < 0 || *n > 4294967295.0L)
            throwOra(1428, "argument '" + std::to_string((long long)*n) + "' is out of range");
        limits[i - 1] = std::trunc(*n);
    }
    if (v.isNull())
        return Value { Cell {}, numberType() };
    const std::uint64_t buckets = std::uint64_t(limits[0]) + 1;
    const std::uint32_t h = stableHash(hashInput(v), std::uint32_t(limits[1]));
    return number(std::to_string(std::uint64_t(h) % buckets));
}

Value nlsSort(const Expr& e, const EvalContext& ctx)
{
    if (e.args.size() == 2) {
        const Value p = evaluate(*e.args[1], ctx);
        std::string setting;
        for (const char c : valueText(p, *ctx.nls)) {
            if (c != ' ')
                setting += char((c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c);
        }
        if (setting != "NLS_SORT=BINARY")
            throwOra(12702, "invalid NLS parameter string used in SQL function");
    }
    const Value v = evaluate(*e.args[0], ctx);
    if (v.isNull())
        return Value { Cell {}, e.type };
    if (familyOf(v.type) == Family::Lob)
        inconsistentTypes(varchar2Type(0), v.type);
    // Under BINARY the sort key is the value's own bytes.
    return Value { Cell::binary(valueText(v, *ctx.nls)), e.type };
}

// Upper or lower case for ASCII and the Latin-1, Greek and Cyrillic letters.
std::string changeCase(const std::string& s, bool upper)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = s[i];
        if (c < 0x80) {
            char ch = char(c);
            if (upper && ch >= 'a' && ch <= 'z')
                ch = char(ch - 32);
            else if (!upper && ch >= 'A' && ch <= 'Z')
                ch = char(ch + 32);
            out += ch;
            ++i;
            continue;
        }
        std::size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        len = std::min(len, s.size() - i);
        if (len == 2) {
            unsigned cp = ((c & 0x1F) << 6) | (static_cast<unsigned char>(s[i + 1]) & 0x3F);
            if (upper) {
                if ((cp >= 0xE0 && cp <= 0xFE && cp != 0xF7)
                    || (cp >= 0x3B1 && cp <= 0x3C9 && cp != 0x3C2))
                    cp -= 0x20;
                else if (cp >= 0x430 && cp <= 0x44F)
                    cp -= 0x20;
                else if (cp >= 0x450 && cp <= 0x45F)
                    cp -= 0x50;
            } else {
                if ((cp >= 0xC0 && cp <= 0xDE && cp != 0xD7)
                    || (cp >= 0x391 && cp <= 0x3A9 && cp != 0x3A2))
                    cp += 0x20;
                else if (cp >= 0x410 && cp <= 0x42F)
                    cp += 0x20;
                else if (cp >= 0x400 && cp <= 0x40F)
                    cp += 0x50;
            }
            out += char(0xC0 | (cp >> 6));
            out += char(0x80 | (cp & 0x3F));
        } else {
            out.append(s, i, len);
        }
        i += len;
    }
    return out;
}

Value substr(const Expr& e, const EvalContext& ctx)
{
    const Value v = evaluate(*e.args[0], ctx);
    const auto pos = numberArgument(evaluate(*e.args[1], ctx), ctx);
    std::optional<long double> count;
    if (e.args.size() > 2) {
        count = numberArgument(evaluate(*e.args[2], ctx), ctx);
        if (!count)
            return Value { Cell {}, e.type };
    }
    if (v.isNull() || !pos)
        return Value { Cell {}, e.type };
    const std::string text = valueText(v, *ctx.nls);
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            starts.push_back(i);
    }
    const long long n = (long long)starts.size();
    long long from = (long long)std::trunc(*pos);
    if (from == 0)
        from = 1;
    if (from < 0)
        from = n + from + 1;
    if (from < 1 || from > n)
        return Value { Cell {}, e.type };
    long long take = n - from + 1;
    if (count) {
        const long long c = (long long)std::trunc(std::min<long double>(*count, 1e18L));
        if (c < 1)
            return Value { Cell {}, e.type };
        take = std::min(take, c);
    }
    const std::size_t begin = starts[std::size_t(from - 1)];
    const std::size_t end
        = from - 1 + take < n ? starts[std::size_t(from - 1 + take)] : text.size();
    return Value { Cell::text_(text.substr(begin, end - begin)), e.type };
}

Value toChar(const Expr& e, const EvalContext& ctx)
{
    const Value v = evaluate(*e.args[0], ctx);
    std::optional<Value> format;
    if (e.args.size() > 1)
        format = evaluate(*e.args[1], ctx);
    if (v.isNull() || (format && format->isNull()))
        return Value { Cell {}, e.type };
    if (!format)
        return Value { Cell::text_(valueText(v, *ctx.nls)), e.type };
    if (familyOf(v.type) != Family::DateTime)
        throwOra(3001, "unimplemented feature"); // number format models
    const DateFormat f = DateFormat::parse(valueText(*format, *ctx.nls));
    const int digits = v.type.kind == TypeKind::Timestamp ? v.type.scale : 0;
    return Value { Cell::text_(formatDateTime(v.cell.dateTime, f, digits)), e.type };
}

Value toDateTime(const Expr& e, const EvalContext& ctx)
{
    const Value v = evaluate(*e.args[0], ctx);
    std::optional<Value> format;
    if (e.args.size() > 1)
        format = evaluate(*e.args[1], ctx);
    if (v.isNull() || (format && format->isNull()))
        return Value { Cell {}, e.type };
    Literal l
        = Literal::of(e.name == "TO_DATE" ? Literal::Kind::ToDate : Literal::Kind::ToTimestamp,
            valueText(v, *ctx.nls));
    l.numberArgument = familyOf(v.type) == Family::Number;
    if (format)
        l.mask = valueText(*format, *ctx.nls);
    return Value { convertForColumn(l, e.type, {}, *ctx.nls, *ctx.today), e.type };
}

} // namespace

ColumnType functionType(const Expr& e)
{
    const std::string& f = e.name;
    auto argType = [&](std::size_t i) { return e.args[i]->type; };
    if (f == "MOD") {
        arity(e, 2, 2);
        const bool real
            = familyOf(argType(0)) == Family::Real || familyOf(argType(1)) == Family::Real;
        return real ? typeOf(TypeKind::BinaryDouble) : numberType();
    }
    if (f == "ORA_HASH") {
        arity(e, 1, 3);
        return numberType();
    }
    if (f == "LENGTH") {
        arity(e, 1, 1);
        return numberType();
    }
    if (f == "NLSSORT") {
        arity(e, 1, 2);
        return typeOf(TypeKind::Raw, 2000);
    }
    if (f == "UPPER" || f == "LOWER") {
        arity(e, 1, 1);
        const ColumnType t = argType(0);
        return familyOf(t) == Family::Text ? t : varchar2Type(textLength(t));
    }
    if (f == "SUBSTR") {
        arity(e, 2, 3);
        const ColumnType t = argType(0);
        ColumnType r = varchar2Type(textLength(t));
        if (t.kind == TypeKind::NChar || t.kind == TypeKind::NVarchar2)
            r.kind = TypeKind::NVarchar2;
        return r;
    }
    if (f == "NVL") {
        arity(e, 2, 2);
        const Expr& first = *e.args[0];
        const bool nullLiteral
            = first.kind == Expr::Kind::Constant && first.literal.kind == Literal::Kind::Null;
        return nullLiteral ? argType(1) : argType(0);
    }
    if (f == "TO_CHAR") {
        arity(e, 1, 2);
        return varchar2Type(familyOf(argType(0)) == Family::Number ? 40 : textLength(argType(0)));
    }
    if (f == "TO_DATE" || f == "TO_TIMESTAMP") {
        arity(e, 1, 3);
        if (e.args.size() == 3)
            throwOra(3001, "unimplemented feature"); // the NLS settings argument
        ColumnType t = typeOf(f == "TO_DATE" ? TypeKind::Date : TypeKind::Timestamp);
        t.scale = f == "TO_DATE" ? 0 : 9;
        return t;
    }
    throwOra(904, "\"" + f + "\": invalid identifier");
}

Value callFunction(const Expr& e, const EvalContext& ctx)
{
    const std::string& f = e.name;
    if (f == "MOD")
        return mod(evaluate(*e.args[0], ctx), evaluate(*e.args[1], ctx), ctx);
    if (f == "ORA_HASH")
        return oraHash(e, ctx);
    if (f == "NLSSORT")
        return nlsSort(e, ctx);
    if (f == "SUBSTR")
        return substr(e, ctx);
    if (f == "TO_CHAR")
        return toChar(e, ctx);
    if (f == "TO_DATE" || f == "TO_TIMESTAMP")
        return toDateTime(e, ctx);
    const Value v = evaluate(*e.args[0], ctx);
    if (f == "NVL") {
        if (!v.isNull())
            return Value { v.cell, e.type };
        const Value other = evaluate(*e.args[1], ctx);
        if (other.isNull() || familyOf(other.type) == familyOf(e.type))
            return Value { other.cell, e.type };
        return Value { convertValue(other, e.type, *ctx.nls, *ctx.today).cell, e.type };
    }
    if (v.isNull())
        return Value { Cell {}, e.type };
    if (familyOf(v.type) == Family::Lob && v.type.kind != TypeKind::Clob
        && v.type.kind != TypeKind::NClob)
        inconsistentTypes(varchar2Type(0), v.type);
    const std::string text = valueText(v, *ctx.nls);
    if (f == "LENGTH")
        return number(std::to_string(utf8Length(text)));
    return Value { Cell::text_(changeCase(text, f == "UPPER")), e.type };
}

} // namespace orastandin

#include "expression.h"

#include "decimal.h"
#include "implicit_conversion.h"
#include "interval.h"
#include "ora_error.h"
#include "session.h"
#include "value_ops.h"

#include <cmath>
#include <cstring>
#include <tuple>

namespace orastandin {

namespace {

void bindColumn(Expr& e, const Scope& scope)
{
    bool found = false;
    for (std::size_t s = 0; s < scope.sources.size(); ++s) {
        const ScopeSource& source = scope.sources[s];
        if (!e.qualifier.empty() && e.qualifier != source.label)
            continue;
        const auto& columns = *source.columns;
        for (std::size_t c = 0; c < columns.size(); ++c) {
            if (columns[c].name != e.name)
                continue;
            if (found)
                throwOra(918, "column ambiguously defined");
            found = true;
            e.source = int(s);
            e.column = c;
            e.type = columns[c].type;
        }
    }
    if (!found) {
        const std::string name = e.qualifier.empty() ? "\"" + e.name + "\""
                                                     : "\"" + e.qualifier + "\".\"" + e.name + "\"";
        throwOra(904, name + ": invalid identifier");
    }
}

int compareText(const Value& a, const Value& b)
{
    const std::string& x = a.cell.text;
    const std::string& y = b.cell.text;
    const bool padded = (a.type.kind == TypeKind::Char || a.type.kind == TypeKind::NChar)
        && (b.type.kind == TypeKind::Char || b.type.kind == TypeKind::NChar);
    const std::size_t common = std::min(x.size(), y.size());
    const int c = std::memcmp(x.data(), y.data(), common);
    if (c != 0)
        return c < 0 ? -1 : 1;
    if (x.size() == y.size())
        return 0;
    if (padded) {
        // Blank-padded: the shorter one is read as if it had blanks to the longer one's end.
        const std::string& longer = x.size() > y.size() ? x : y;
        for (std::size_t i = common; i < longer.size(); ++i) {
            const unsigned char ch = longer[i];
            if (ch != ' ')
                return (ch > ' ') == (&longer == &x) ? 1 : -1;
        }
        return 0;
    }
    return x.size() < y.size() ? -1 : 1;
}

int compareReals(double x, double y)
{
    // NaN is greater than any other value and equal to itself.
    if (std::isnan(x) || std::isnan(y))
        return std::isnan(x) == std::isnan(y) ? 0 : (std::isnan(x) ? 1 : -1);
    return x < y ? -1 : (x > y ? 1 : 0);
}

double asReal(const Value& v, const NlsSettings& nls, const Today& today)
{
    if (familyOf(v.type) == Family::Real)
        return v.cell.real;
    if (familyOf(v.type) == Family::Number)
        return std::strtod(v.cell.text.c_str(), nullptr);
    ColumnType d;
    d.kind = TypeKind::BinaryDouble;
    return convertValue(v, d, nls, today).cell.real;
}

int compareIntervals(const std::string& x, const std::string& y)
{
    auto key = [](const std::string& s) {
        const DayToSecond v = parseDayToSecond(s);
        const int sign = v.negative ? -1 : 1;
        return std::make_tuple(sign * v.days,
            sign * ((v.hours * 60LL + v.minutes) * 60LL + v.seconds), sign * (long long)v.nanos);
    };
    const auto a = key(x);
    const auto b = key(y);
    return a < b ? -1 : (b < a ? 1 : 0);
}

Truth fromBool(bool b)
{
    return b ? Truth::True : Truth::False;
}

Truth negate(Truth t)
{
    return t == Truth::Unknown ? t : fromBool(t == Truth::False);
}

Truth compareTruth(const Value& a, const Value& b, const std::string& op, const EvalContext& ctx)
{
    if (a.isNull() || b.isNull())
        return Truth::Unknown;
    const int c = compareValues(a, b, *ctx.nls, *ctx.today);
    if (op == "=")
        return fromBool(c == 0);
    if (op == "<>")
        return fromBool(c != 0);
    if (op == "<")
        return fromBool(c < 0);
    if (op == "<=")
        return fromBool(c <= 0);
    if (op == ">")
        return fromBool(c > 0);
    return fromBool(c >= 0);
}

// Decodes one UTF-8 character at `i`, moving past it.
std::string_view nextChar(std::string_view s, std::size_t& i)
{
    const std::size_t start = i++;
    while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80)
        ++i;
    return s.substr(start, i - start);
}

struct PatternItem {
    enum Kind { Literal, One, Any } kind;
    std::string_view text;
};

bool likeMatch(std::string_view value, const std::vector<PatternItem>& pattern, std::size_t p)
{
    std::size_t i = 0;
    // Iterative matching with backtracking to the last '%'.
    std::size_t starP = std::string_view::npos, starI = 0;
    while (true) {
        if (p < pattern.size() && pattern[p].kind == PatternItem::Any) {
            starP = ++p;
            starI = i;
            continue;
        }
        if (i == value.size() && p == pattern.size())
            return true;
        if (i < value.size() && p < pattern.size()) {
            std::size_t next = i;
            const std::string_view ch = nextChar(value, next);
            if (pattern[p].kind == PatternItem::One || pattern[p].text == ch) {
                i = next;
                ++p;
                continue;
            }
        }
        if (starP == std::string_view::npos || starI >= value.size())
            return false;
        nextChar(value, starI);
        i = starI;
        p = starP;
    }
}

Truth like(const Expr& e, const EvalContext& ctx)
{
    const Value v = evaluate(*e.args[0], ctx);
    const Value pattern = evaluate(*e.args[1], ctx);
    std::optional<Value> escape;
    if (e.args.size() > 2)
        escape = evaluate(*e.args[2], ctx);
    if (v.isNull() || pattern.isNull() || (escape && escape->isNull()))
        return Truth::Unknown;
    for (const Value* x : { &v, &pattern }) {
        if (familyOf(x->type) == Family::Lob && x->type.kind != TypeKind::Clob
            && x->type.kind != TypeKind::NClob)
            inconsistentTypes(varchar2Type(0), x->type);
    }
    std::string esc;
    if (escape) {
        esc = valueText(*escape, *ctx.nls);
        if (utf8Length(esc) != 1)
            throwOra(1425, "escape character must be character string of length 1");
    }
    const std::string text = valueText(v, *ctx.nls);
    const std::string pat = valueText(pattern, *ctx.nls);
    std::vector<PatternItem> items;
    for (std::size_t i = 0; i < pat.size();) {
        const std::string_view ch = nextChar(pat, i);
        if (!esc.empty() && ch == esc) {
            if (i >= pat.size())
                throwOra(1424, "missing or illegal character following the escape character");
            const std::string_view quoted = nextChar(pat, i);
            if (quoted != "%" && quoted != "_" && quoted != esc)
                throwOra(1424, "missing or illegal character following the escape character");
            items.push_back({ PatternItem::Literal, quoted });
        } else if (ch == "%") {
            items.push_back({ PatternItem::Any, ch });
        } else if (ch == "_") {
            items.push_back({ PatternItem::One, ch });
        } else {
            items.push_back({ PatternItem::Literal, ch });
        }
    }
    const bool matched = likeMatch(text, items, 0);
    return fromBool(matched != e.negated);
}

// Types no conversion brings together are Oracle's ORA-00932 at parse,
// before any row; markers and NULL take any type.
void checkComparable(const Expr& a, const Expr& b)
{
    auto open = [](const Expr& e) {
        return e.kind == Expr::Kind::Parameter
            || (e.kind == Expr::Kind::Constant && e.literal.kind == Literal::Kind::Null);
    };
    if (open(a) || open(b))
        return;
    const Family fa = familyOf(a.type);
    const Family fb = familyOf(b.type);
    if (fa == Family::Lob)
        inconsistentTypes(b.type, a.type);
    if (fb == Family::Lob)
        inconsistentTypes(a.type, b.type);
    auto numeric = [](Family f) { return f == Family::Number || f == Family::Real; };
    if (fa == fb || fa == Family::Text || fb == Family::Text || (numeric(fa) && numeric(fb)))
        return;
    inconsistentTypes(a.type, b.type);
}

} // namespace

void bindExpression(Expr& e, Scope& scope)
{
    switch (e.kind) {
    case Expr::Kind::Constant:
        if (!e.constant) {
            const Value v = literalValue(e.literal, false, *scope.nls, *scope.today);
            e.constant = v.cell;
            e.type = v.type;
        }
        return;
    case Expr::Kind::Parameter:
        e.type = scope.parameters && e.parameter < scope.parameters->size()
                && (*scope.parameters)[e.parameter].kind != Literal::Kind::Parameter
            ? literalType((*scope.parameters)[e.parameter], true)
            : varchar2Type(4000);
        return;
    case Expr::Kind::Column:
        bindColumn(e, scope);
        return;
    case Expr::Kind::Count: {
        if (!scope.aggregates)
            throwOra(934, "group function is not allowed here");
        e.aggregate = scope.aggregateCount++;
        scope.aggregates = false; // no aggregate inside an aggregate
        try {
            for (const ExprPtr& a : e.args)
                bindExpression(*a, scope);
        } catch (...) {
            scope.aggregates = true;
            throw;
        }
        scope.aggregates = true;
        e.type = numberType();
        return;
    }
    default:
        for (const ExprPtr& a : e.args)
            bindExpression(*a, scope);
        if (e.kind == Expr::Kind::Function)
            e.type = functionType(e);
        if (e.kind == Expr::Kind::Compare || e.kind == Expr::Kind::Between
            || e.kind == Expr::Kind::In) {
            for (std::size_t i = 1; i < e.args.size(); ++i)
                checkComparable(*e.args[0], *e.args[i]);
        }
        return;
    }
}

bool containsAggregate(const Expr& e)
{
    if (e.kind == Expr::Kind::Count)
        return true;
    for (const ExprPtr& a : e.args) {
        if (containsAggregate(*a))
            return true;
    }
    return false;
}

bool referencesSource(const Expr& e, int source)
{
    if (e.kind == Expr::Kind::Column && e.source == source)
        return true;
    for (const ExprPtr& a : e.args) {
        if (referencesSource(*a, source))
            return true;
    }
    return false;
}

Value evaluate(const Expr& e, const EvalContext& ctx)
{
    switch (e.kind) {
    case Expr::Kind::Constant:
        return Value { *e.constant, e.type };
    case Expr::Kind::Parameter:
        if (!ctx.parameters || e.parameter >= ctx.parameters->size())
            throwOra(1008, "not all variables bound");
        return literalValue((*ctx.parameters)[e.parameter], true, *ctx.nls, *ctx.today);
    case Expr::Kind::Column: {
        const auto* row = ctx.rows[std::size_t(e.source)];
        if (!row)
            return Value { Cell {}, e.type };
        const auto* types = ctx.types[std::size_t(e.source)];
        return Value { (*row)[e.column], types ? (*types)[e.column] : e.type };
    }
    case Expr::Kind::Count:
        return Value { (*ctx.aggregates)[e.aggregate], e.type };
    case Expr::Kind::Function:
        return callFunction(e, ctx);
    default:
        throwOra(920, "invalid relational operator");
    }
}

Truth testCondition(const Expr& e, const EvalContext& ctx)
{
    switch (e.kind) {
    case Expr::Kind::Not:
        return negate(testCondition(*e.args[0], ctx));
    case Expr::Kind::And: {
        const Truth a = testCondition(*e.args[0], ctx);
        if (a == Truth::False)
            return a;
        const Truth b = testCondition(*e.args[1], ctx);
        return b == Truth::False ? b : (a == Truth::Unknown ? a : b);
    }
    case Expr::Kind::Or: {
        const Truth a = testCondition(*e.args[0], ctx);
        if (a == Truth::True)
            return a;
        const Truth b = testCondition(*e.args[1], ctx);
        return b == Truth::True ? b : (a == Truth::Unknown ? a : b);
    }
    case Expr::Kind::Compare:
        return compareTruth(evaluate(*e.args[0], ctx), evaluate(*e.args[1], ctx), e.op, ctx);
    case Expr::Kind::IsNull:
        return fromBool(evaluate(*e.args[0], ctx).isNull() != e.negated);
    case Expr::Kind::Between: {
        const Value v = evaluate(*e.args[0], ctx);
        const Truth low = compareTruth(v, evaluate(*e.args[1], ctx), ">=", ctx);
        const Truth high = compareTruth(v, evaluate(*e.args[2], ctx), "<=", ctx);
        Truth t = Truth::True;
        if (low == Truth::False || high == Truth::False)
            t = Truth::False;
        else if (low == Truth::Unknown || high == Truth::Unknown)
            t = Truth::Unknown;
        return e.negated ? negate(t) : t;
    }
    case Expr::Kind::In: {
        const Value v = evaluate(*e.args[0], ctx);
        Truth t = Truth::False;
        for (std::size_t i = 1; i < e.args.size() && t != Truth::True; ++i) {
            const Truth one = compareTruth(v, evaluate(*e.args[i], ctx), "=", ctx);
            if (one != Truth::False)
                t = one;
        }
        return e.negated ? negate(t) : t;
    }
    case Expr::Kind::Like:
        return like(e, ctx);
    default:
        throwOra(920, "invalid relational operator");
    }
}

int compareValues(const Value& a, const Value& b, const NlsSettings& nls, const Today& today)
{
    const Family fa = familyOf(a.type);
    const Family fb = familyOf(b.type);
    if (fa == Family::Lob)
        inconsistentTypes(b.type, a.type);
    if (fb == Family::Lob)
        inconsistentTypes(a.type, b.type);
    if (fa == Family::Real || fb == Family::Real) {
        if ((fa != Family::Real && fa != Family::Number && fa != Family::Text)
            || (fb != Family::Real && fb != Family::Number && fb != Family::Text))
            inconsistentTypes(
                fa == Family::Real ? a.type : b.type, fa == Family::Real ? b.type : a.type);
        return compareReals(asReal(a, nls, today), asReal(b, nls, today));
    }
    if (fa == fb) {
        switch (fa) {
        case Family::Text:
            return compareText(a, b);
        case Family::Number:
            return compareNumberText(a.cell.text, b.cell.text);
        case Family::DateTime: {
            const DateTime& x = a.cell.dateTime;
            const DateTime& y = b.cell.dateTime;
            const auto kx = std::tie(x.year, x.month, x.day, x.hour, x.minute, x.second, x.nanos);
            const auto ky = std::tie(y.year, y.month, y.day, y.hour, y.minute, y.second, y.nanos);
            return kx < ky ? -1 : (ky < kx ? 1 : 0);
        }
        case Family::Raw: {
            const int c = a.cell.text.compare(b.cell.text);
            return c < 0 ? -1 : (c > 0 ? 1 : 0);
        }
        case Family::Interval:
            return compareIntervals(a.cell.text, b.cell.text);
        default:
            break;
        }
    }
    // Text meets another type: the text is converted to it.
    if (fa == Family::Text && fb != Family::Text)
        return compareValues(convertValue(a, b.type, nls, today), b, nls, today);
    if (fb == Family::Text && fa != Family::Text)
        return compareValues(a, convertValue(b, a.type, nls, today), nls, today);
    inconsistentTypes(a.type, b.type);
}

Literal asLiteral(const Value& v)
{
    switch (v.cell.kind) {
    case Cell::Kind::Null:
        return Literal {};
    case Cell::Kind::Text:
        if (v.type.isInterval()) {
            Literal l = Literal::of(Literal::Kind::Interval, v.cell.text);
            l.leadingPrecision = 9;
            l.fractionPrecision = 9;
            return l;
        }
        return Literal::of(Literal::Kind::String, v.cell.text);
    case Cell::Kind::Number:
        return Literal::of(Literal::Kind::Number, v.cell.text);
    case Cell::Kind::Real:
        return Literal::of(
            std::isfinite(v.cell.real) ? Literal::Kind::Number : Literal::Kind::String,
            realToText(v.cell.real, v.type.kind == TypeKind::BinaryFloat));
    case Cell::Kind::Binary:
        return Literal::of(Literal::Kind::Bytes, v.cell.text);
    case Cell::Kind::DateTime: {
        Literal l = Literal::of(Literal::Kind::DateTimeValue);
        l.dateTime = v.cell.dateTime;
        l.dateOnly = v.type.kind == TypeKind::Date;
        return l;
    }
    }
    return Literal {};
}

std::string valueText(const Value& v, const NlsSettings& nls)
{
    switch (v.cell.kind) {
    case Cell::Kind::Null:
        return {};
    case Cell::Kind::Text:
        return v.cell.text;
    case Cell::Kind::Number: {
        const auto d = Decimal::parse(v.cell.text, '.');
        return d ? numberAsText(*d, nls.decimalChar) : v.cell.text;
    }
    case Cell::Kind::Real:
        return realToText(v.cell.real, v.type.kind == TypeKind::BinaryFloat);
    case Cell::Kind::Binary:
        return toHex(v.cell.text);
    case Cell::Kind::DateTime:
        return v.type.kind == TypeKind::Date
            ? formatDateTime(v.cell.dateTime, nls.dateFormat, 0)
            : formatDateTime(v.cell.dateTime, nls.timestampFormat, v.type.scale);
    }
    return {};
}

} // namespace orastandin

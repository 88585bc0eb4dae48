#include "key_lookup.h"

#include "implicit_conversion.h"
#include "ora_error.h"
#include "value_ops.h"

namespace orastandin {

namespace {

void conjuncts(const Expr& e, std::vector<const Expr*>& out)
{
    if (e.kind == Expr::Kind::And) {
        conjuncts(*e.args[0], out);
        conjuncts(*e.args[1], out);
    } else {
        out.push_back(&e);
    }
}

bool independent(const Expr& e, int source)
{
    return !referencesSource(e, source) && !containsAggregate(e);
}

} // namespace

std::optional<ColumnEquals> keyLookup(
    const Expr* condition, int source, const TableInfo& table, const EvalContext& ctx)
{
    if (!condition || !table.primaryKey)
        return std::nullopt;
    std::vector<const Expr*> parts;
    conjuncts(*condition, parts);
    ColumnEquals equal;
    for (const std::size_t key : table.primaryKey->columns) {
        const Expr* value = nullptr;
        for (const Expr* p : parts) {
            if (p->kind != Expr::Kind::Compare || p->op != "=")
                continue;
            for (int side = 0; side < 2 && !value; ++side) {
                const Expr& column = *p->args[std::size_t(side)];
                const Expr& other = *p->args[std::size_t(1 - side)];
                if (column.kind == Expr::Kind::Column && column.source == source
                    && column.column == key && independent(other, source))
                    value = &other;
            }
        }
        if (!value)
            return std::nullopt;
        const ColumnDef& def = table.columns[key];
        try {
            const Value v = evaluate(*value, ctx);
            const Family from = familyOf(v.type);
            const Family to = familyOf(def.type);
            if (!v.isNull() && from != to && !(from == Family::Text && to != Family::Lob))
                return std::nullopt;
            const Cell stored = v.isNull()
                ? Cell {}
                : convertForColumn(asLiteral(v), def.type, {}, *ctx.nls, *ctx.today);
            equal.emplace_back(key, stored);
        } catch (const OraError&) {
            return std::nullopt; // the full read reports it, as Oracle would
        }
    }
    return equal;
}

} // namespace orastandin

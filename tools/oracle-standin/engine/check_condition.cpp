#include "check_condition.h"

#include "expression.h"
#include "lexer.h"
#include "ora_error.h"

namespace orastandin {

namespace {

void markColumns(const Expr& e, std::vector<bool>& used)
{
    if (e.kind == Expr::Kind::Column && e.column < used.size())
        used[e.column] = true;
    for (const ExprPtr& a : e.args) {
        if (a)
            markColumns(*a, used);
    }
}

} // namespace

CheckCondition::CheckCondition(const std::string& condition, const std::string& table,
    const std::vector<ColumnDef>& columns, const NlsSettings& nls, const Today& today,
    const std::string& inlineColumn)
    : m_nls(&nls)
    , m_today(&today)
{
    for (const Token& t : tokenize(condition, MaxStringSize::Extended)) {
        if (t.isSymbol('?'))
            throwOra(1027, "bind variables not allowed for data definition operations");
        // Values that change from one row's insert to the next have no place in a constraint.
        if (t.isWord("SYSDATE") || t.isWord("SYSTIMESTAMP") || t.isWord("CURRENT_DATE")
            || t.isWord("CURRENT_TIMESTAMP") || t.isWord("LOCALTIMESTAMP") || t.isWord("USER")
            || t.isWord("UID") || t.isWord("USERENV"))
            throwOra(2436, "date or system variable wrongly specified in CHECK constraint");
    }
    m_expr = parseCondition(condition);
    for (const ColumnDef& c : columns) {
        m_columns.push_back(ResultColumn { c.name, c.type, !c.notNull, {}, table });
        m_types.push_back(c.type);
    }
    Scope scope { { ScopeSource { table, &m_columns } }, &nls, &today };
    bindExpression(*m_expr, scope);
    m_used.assign(columns.size(), false);
    markColumns(*m_expr, m_used);
    if (!inlineColumn.empty()) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (m_used[i] && columns[i].name != inlineColumn)
                throwOra(2438, "Column check constraint cannot reference other columns");
        }
    }
}

bool CheckCondition::allows(const std::vector<Cell>& row) const
{
    EvalContext ctx;
    ctx.rows[0] = &row;
    ctx.types[0] = &m_types;
    ctx.nls = m_nls;
    ctx.today = m_today;
    return testCondition(*m_expr, ctx) != Truth::False;
}

std::vector<std::string> CheckCondition::columnNames() const
{
    std::vector<std::string> names;
    for (std::size_t i = 0; i < m_used.size(); ++i) {
        if (m_used[i])
            names.push_back(m_columns[i].name);
    }
    return names;
}

RowChecks::RowChecks(const TableInfo& table, const NlsSettings& nls, const Today& today)
{
    for (const ConstraintInfo& k : table.constraints) {
        if (k.type == 'C' && !k.condition.empty())
            m_checks.emplace_back(table.owner + "." + k.name,
                CheckCondition(k.condition, table.name, table.columns, nls, today));
    }
}

void RowChecks::enforceAll(const std::vector<Cell>& row) const
{
    for (const auto& [name, check] : m_checks) {
        if (!check.allows(row))
            throwOra(2290, "check constraint (" + name + ") violated");
    }
}

} // namespace orastandin

// SELECT: a row source filtered as its rows stream, projected, and when
// ordered or made distinct, passed through a spill that SQLite sorts.

#include "expression.h"
#include "key_lookup.h"
#include "ora_error.h"
#include "session.h"
#include "spill.h"
#include "system_views.h"
#include "value_ops.h"

#include <cmath>

namespace orastandin {

namespace {

// A table's rows from storage as a row source's cursor.
class TableRows : public RowCursor {
public:
    explicit TableRows(std::unique_ptr<TableCursor> cursor)
        : m_cursor(std::move(cursor))
    { }
    bool next(std::vector<Cell>& row) override
    {
        if (!m_cursor)
            return false;
        if (!m_cursor->next(row)) {
            m_cursor.reset();
            return false;
        }
        return true;
    }

private:
    std::unique_ptr<TableCursor> m_cursor;
};

// The name Oracle gives a result column without an alias: the expression
// as written, upper-cased and without blanks outside quotes.
std::string columnName(const Expr& e)
{
    if (e.kind == Expr::Kind::Column)
        return e.name;
    std::string out;
    char quote = 0;
    for (const char c : e.text) {
        if (quote) {
            out += c;
            if (c == quote)
                quote = 0;
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
            out += c;
        } else if (c != ' ' && c != '\t' && c != '\n' && c != '\r') {
            out += (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
        }
    }
    return out;
}

ExprPtr columnOf(std::size_t index, const ResultColumn& c)
{
    auto e = std::make_shared<Expr>();
    e->kind = Expr::Kind::Column;
    e->name = c.name;
    e->source = 0;
    e->column = index;
    e->type = c.type;
    return e;
}

// Whether a column is read outside any aggregate (ORA-00937 next to one).
bool columnOutsideAggregate(const Expr& e)
{
    if (e.kind == Expr::Kind::Count)
        return false;
    if (e.kind == Expr::Kind::Column)
        return true;
    for (const ExprPtr& a : e.args) {
        if (columnOutsideAggregate(*a))
            return true;
    }
    return false;
}

void collectAggregates(const Expr& e, std::vector<const Expr*>& out)
{
    if (e.kind == Expr::Kind::Count) {
        if (out.size() <= e.aggregate)
            out.resize(e.aggregate + 1);
        out[e.aggregate] = &e;
        return;
    }
    for (const ExprPtr& a : e.args)
        collectAggregates(*a, out);
}

// OFFSET and FETCH counts: whole, not negative; NULL is 0.
long long rowCountLimit(const ExprPtr& e, Scope& scope, const EvalContext& ctx)
{
    bindExpression(*e, scope);
    const Value n = asNumber(evaluate(*e, ctx), *ctx.nls, *ctx.today);
    if (n.isNull())
        return 0;
    const long double v = std::trunc(std::strtold(n.cell.text.c_str(), nullptr));
    return v < 0 ? 0 : (v > 9e18L ? (long long)9e18 : (long long)v);
}

struct OrderKey {
    ExprPtr expr;
    bool descending;
    bool nullsFirst;
};

class QueryRows : public RowCursor {
public:
    QueryRows(RowSource source, std::vector<ExprPtr> items, ExprPtr where,
        std::vector<OrderKey> order, bool distinct, bool aggregate, long long offset,
        std::optional<long long> limit, std::vector<Literal> parameters, NlsSettings nls,
        Today today)
        : m_source(std::move(source))
        , m_items(std::move(items))
        , m_where(std::move(where))
        , m_order(std::move(order))
        , m_distinct(distinct)
        , m_aggregate(aggregate)
        , m_skip(offset)
        , m_left(limit)
        , m_parameters(std::move(parameters))
        , m_nls(std::move(nls))
        , m_today(today)
    {
        for (const ResultColumn& c : m_source.columns)
            m_types.push_back(c.type);
        m_ctx.rows[0] = &m_row;
        m_ctx.types[0] = &m_types;
        m_ctx.parameters = &m_parameters;
        m_ctx.nls = &m_nls;
        m_ctx.today = &m_today;
        m_identity = m_items.size() == m_types.size();
        for (std::size_t i = 0; i < m_items.size(); ++i) {
            const Expr& e = *m_items[i];
            m_identity = m_identity && e.kind == Expr::Kind::Column && e.column == i;
            collectAggregates(e, m_aggregates);
        }
        if (m_aggregate)
            m_identity = false;
    }

    bool next(std::vector<Cell>& row) override
    {
        for (;;) {
            if (m_left && *m_left <= 0) {
                finish();
                return false;
            }
            if (!produce(row)) {
                finish();
                return false;
            }
            if (m_skip > 0) {
                --m_skip;
                continue;
            }
            if (m_left)
                --*m_left;
            return true;
        }
    }

private:
    void finish()
    {
        m_source.rows.reset();
        m_spill.reset();
    }

    // The next source row that passes the WHERE clause.
    bool nextSourceRow()
    {
        while (m_source.rows && m_source.rows->next(m_row)) {
            if (!m_where || testCondition(*m_where, m_ctx) == Truth::True)
                return true;
        }
        m_source.rows.reset();
        return false;
    }

    void project(std::vector<Cell>& out)
    {
        if (m_identity) {
            out.swap(m_row);
            return;
        }
        out.clear();
        out.reserve(m_items.size());
        for (const ExprPtr& e : m_items) {
            if (e->kind == Expr::Kind::Column)
                out.push_back(m_row[e->column]);
            else
                out.push_back(evaluate(*e, m_ctx).cell);
        }
    }

    bool produce(std::vector<Cell>& row)
    {
        if (m_aggregate)
            return aggregateRow(row);
        if (m_order.empty() && !m_distinct) {
            if (!nextSourceRow())
                return false;
            project(row);
            return true;
        }
        if (!m_spill) {
            m_spill = std::make_unique<Spill>(m_distinct);
            std::string orderKey, distinctKey;
            std::vector<Cell> projected;
            while (nextSourceRow()) {
                orderKey.clear();
                for (const OrderKey& k : m_order)
                    appendSortKey(orderKey, evaluate(*k.expr, m_ctx), k.descending, k.nullsFirst);
                project(projected);
                distinctKey.clear();
                for (std::size_t i = 0; m_distinct && i < projected.size(); ++i)
                    appendSortKey(
                        distinctKey, Value { projected[i], m_items[i]->type }, false, false);
                m_spill->add(orderKey, distinctKey, projected);
            }
        }
        return m_spill->next(row);
    }

    // COUNT and the expressions over it: one row, whatever the source holds.
    bool aggregateRow(std::vector<Cell>& row)
    {
        if (m_aggregated)
            return false;
        m_aggregated = true;
        std::vector<long long> counts(m_aggregates.size(), 0);
        while (nextSourceRow()) {
            for (std::size_t i = 0; i < m_aggregates.size(); ++i) {
                const Expr* a = m_aggregates[i];
                if (a && (a->args.empty() || !evaluate(*a->args[0], m_ctx).isNull()))
                    ++counts[i];
            }
        }
        std::vector<Cell> values;
        for (const long long n : counts)
            values.push_back(Cell::number(std::to_string(n)));
        m_ctx.aggregates = &values;
        m_ctx.rows[0] = nullptr;
        row.clear();
        for (const ExprPtr& e : m_items)
            row.push_back(evaluate(*e, m_ctx).cell);
        return true;
    }

    RowSource m_source;
    std::vector<ExprPtr> m_items;
    ExprPtr m_where;
    std::vector<OrderKey> m_order;
    bool m_distinct;
    bool m_aggregate;
    long long m_skip;
    std::optional<long long> m_left;
    std::vector<Literal> m_parameters;
    NlsSettings m_nls;
    Today m_today;
    std::vector<ColumnType> m_types;
    std::vector<Cell> m_row;
    EvalContext m_ctx;
    bool m_identity = false;
    std::vector<const Expr*> m_aggregates;
    bool m_aggregated = false;
    std::unique_ptr<Spill> m_spill;
};

} // namespace

RowSource Session::openSource(const TableRef& ref, const ColumnEquals* equal)
{
    if (auto table = m_storage->openTable(m_user, ref.name, equal)) {
        RowSource s;
        for (const ColumnDef& c : table->table().columns)
            s.columns.push_back(ResultColumn { c.name, c.type, !c.notNull, m_user, ref.name });
        s.rows = std::make_unique<TableRows>(std::move(table));
        return s;
    }
    if (auto view = openSystemView(*m_storage, m_user, ref.name))
        return std::move(*view);
    throwOra(942, "table or view does not exist");
}

Result Session::select(const SelectStmt& s, const std::vector<Literal>* parameters)
{
    const std::vector<Literal> bound = parameters ? *parameters : std::vector<Literal>();
    // The columns first, so that the statement's faults come before any row is read.
    std::vector<ResultColumn> columns;
    std::optional<TableInfo> table = m_storage->findTable(m_user, s.from.name);
    if (table) {
        for (const ColumnDef& c : table->columns)
            columns.push_back(ResultColumn { c.name, c.type, !c.notNull, m_user, s.from.name });
    } else if (auto view = openSystemView(*m_storage, m_user, s.from.name)) {
        columns = view->columns;
    } else {
        throwOra(942, "table or view does not exist");
    }
    Scope scope { { ScopeSource { s.from.label(), &columns } }, &m_nls, &m_today, true, 0, &bound };
    std::vector<ExprPtr> items;
    std::vector<std::string> names;
    for (const SelectItem& item : s.items) {
        if (!item.expr) {
            if (!item.starQualifier.empty() && item.starQualifier != s.from.label())
                throwOra(904, "\"" + item.starQualifier + "\": invalid identifier");
            for (std::size_t i = 0; i < columns.size(); ++i) {
                items.push_back(columnOf(i, columns[i]));
                names.push_back(columns[i].name);
            }
            continue;
        }
        bindExpression(*item.expr, scope);
        items.push_back(item.expr);
        names.push_back(item.alias.empty() ? columnName(*item.expr) : item.alias);
    }
    bool aggregate = false, plain = false;
    for (const ExprPtr& e : items) {
        aggregate = aggregate || containsAggregate(*e);
        plain = plain || columnOutsideAggregate(*e);
    }
    if (aggregate && plain)
        throwOra(937, "not a single-group group function");
    scope.aggregates = false;
    if (s.where)
        bindExpression(*s.where, scope);

    std::vector<OrderKey> order;
    for (const OrderItem& o : s.orderBy) {
        ExprPtr e = o.expr;
        if (e->kind == Expr::Kind::Constant && e->literal.kind == Literal::Kind::Number) {
            const std::string& n = e->literal.text;
            const bool whole = n.find_first_not_of("0123456789") == std::string::npos;
            const long long position = whole && n.size() < 10 ? std::stoll(n) : 0;
            if (position < 1 || position > (long long)items.size())
                throwOra(1785, "ORDER BY item must be the number of a SELECT-list expression");
            e = items[std::size_t(position - 1)];
        } else if (e->kind == Expr::Kind::Column && e->qualifier.empty()) {
            for (std::size_t i = 0; i < s.items.size(); ++i) {
                if (!s.items[i].alias.empty() && s.items[i].alias == e->name) {
                    e = s.items[i].expr;
                    break;
                }
            }
        }
        if (e == o.expr) {
            scope.aggregates = aggregate;
            bindExpression(*e, scope);
            scope.aggregates = false;
        }
        if (s.distinct) {
            bool selected = false;
            for (std::size_t i = 0; i < items.size() && !selected; ++i) {
                const Expr& it = *items[i];
                selected = items[i] == e
                    || (e->kind == Expr::Kind::Column && it.kind == Expr::Kind::Column
                        && it.column == e->column)
                    || (!e->text.empty() && columnName(*e) == columnName(it));
            }
            if (!selected)
                throwOra(1791, "not a SELECTed expression");
        }
        const bool nullsFirst = o.nullsFirst ? *o.nullsFirst : o.descending;
        order.push_back(OrderKey { e, o.descending, nullsFirst });
    }

    Scope none { {}, &m_nls, &m_today, false, 0, &bound };
    EvalContext constants;
    constants.parameters = &bound;
    constants.nls = &m_nls;
    constants.today = &m_today;
    const long long offset = s.offset ? rowCountLimit(s.offset, none, constants) : 0;
    std::optional<long long> limit;
    if (s.fetch)
        limit = rowCountLimit(s.fetch, none, constants);

    Result result;
    result.isQuery = true;
    result.rowCount = -1;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const Expr& e = *items[i];
        ResultColumn c;
        if (e.kind == Expr::Kind::Column) {
            c = columns[e.column];
        } else {
            c.type = e.type;
            c.owner = m_user;
        }
        c.name = names[i];
        result.columns.push_back(std::move(c));
    }

    std::optional<ColumnEquals> equal;
    if (table && s.where)
        equal = keyLookup(s.where.get(), 0, *table, constants);
    RowSource source = openSource(s.from, equal ? &*equal : nullptr);
    if (source.columns.size() != columns.size())
        throwOra(942, "table or view does not exist"); // replaced meanwhile
    // SELECT * streams the source's own rows, with nothing in between.
    bool whole = items.size() == columns.size() && !s.where && order.empty() && !s.distinct
        && !aggregate && offset == 0 && !limit;
    for (std::size_t i = 0; whole && i < items.size(); ++i)
        whole = items[i]->kind == Expr::Kind::Column && items[i]->column == i;
    if (whole) {
        result.rows = std::move(source.rows);
        return result;
    }
    result.rows = std::make_unique<QueryRows>(std::move(source), std::move(items), s.where,
        std::move(order), s.distinct, aggregate, offset, limit, bound, m_nls, m_today);
    return result;
}

} // namespace orastandin

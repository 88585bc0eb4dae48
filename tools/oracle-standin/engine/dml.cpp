// UPDATE, DELETE and MERGE, each execution (one set of marker values) a
// statement of its own that is undone whole when it fails.

#include "check_condition.h"
#include "expression.h"
#include "implicit_conversion.h"
#include "key_lookup.h"
#include "ora_error.h"
#include "session.h"
#include "value_ops.h"

#include <set>

namespace orastandin {

namespace {

// The table a statement changes, with what its rows need to be written.
struct Target {
    TableInfo table;
    std::vector<ResultColumn> columns;
    std::vector<ColumnType> types;
    std::vector<ColumnRef> refs;
    std::unique_ptr<RowWriter> writer;
    std::optional<RowChecks> checks;

    std::size_t position(const std::string& column) const
    {
        for (std::size_t i = 0; i < table.columns.size(); ++i) {
            if (table.columns[i].name == column)
                return i;
        }
        throwOra(904, "\"" + column + "\": invalid identifier");
    }
};

// col = expr, bound: the column's place and the value.
struct BoundAssignment {
    std::size_t column;
    ExprPtr value;
};

std::vector<BoundAssignment> bindAssignments(
    const std::vector<Assignment>& set, const Target& target, Scope& scope)
{
    std::vector<BoundAssignment> out;
    std::set<std::size_t> seen;
    const auto& identity = target.table.identity;
    for (const Assignment& a : set) {
        const std::size_t column = target.position(a.column);
        if (!seen.insert(column).second)
            throwOra(957, "duplicate column name");
        if (identity && identity->column == column && identity->definition.always)
            throwOra(32796, "cannot update a generated always identity column");
        bindExpression(*a.value, scope);
        if (containsAggregate(*a.value))
            throwOra(934, "group function is not allowed here");
        out.push_back(BoundAssignment { column, a.value });
    }
    return out;
}

// The first column of `source` an expression reads, if any.
const Expr* firstColumnOf(const Expr& e, int source)
{
    if (e.kind == Expr::Kind::Column && e.source == source)
        return &e;
    for (const ExprPtr& a : e.args) {
        if (const Expr* c = firstColumnOf(*a, source))
            return c;
    }
    return nullptr;
}

std::string quotedColumn(
    const std::string& owner, const std::string& table, const std::string& column)
{
    return "(\"" + owner + "\".\"" + table + "\".\"" + column + "\")";
}

} // namespace

ArrayOutcome Session::executeRows(
    const ParsedStatement& statement, std::size_t rows, const ParameterRows& values)
{
    if (const auto* s = std::get_if<InsertStmt>(&statement))
        return insertRows(*s, rows, values);
    if (!m_fixedToday)
        m_today = Today::now();
    const bool opened = !m_storage->transactionOpen();
    if (opened)
        m_storage->begin();
    ArrayOutcome outcome;
    try {
        // The statement's own faults (no table, no column) come before any
        // set, as the server finds them at parse.
        Execution once;
        if (const auto* s = std::get_if<UpdateStmt>(&statement))
            once = planUpdate(*s);
        else if (const auto* s = std::get_if<DeleteStmt>(&statement))
            once = planDelete(*s);
        else
            once = planMerge(std::get<MergeStmt>(statement));
        std::vector<Literal> bound(
            parameterCount(statement), Literal::of(Literal::Kind::Parameter));
        for (std::size_t r = 0; r < rows; ++r) {
            bool inSavepoint = false;
            try {
                if (values && !values(r, bound))
                    continue;
                m_storage->savepoint();
                inSavepoint = true;
                const long long n = once(bound);
                m_storage->releaseSavepoint();
                outcome.rows += std::size_t(n);
            } catch (...) {
                if (inSavepoint)
                    m_storage->rollbackToSavepoint();
                outcome.failedRow = r;
                outcome.error = std::current_exception();
                break;
            }
        }
    } catch (...) {
        if (opened)
            m_storage->rollback();
        throw;
    }
    endArray(opened, outcome);
    return outcome;
}

namespace {

Target openTarget(Storage& storage, const std::string& user, const TableRef& ref,
    const NlsSettings& nls, const Today& today)
{
    auto table = storage.findTable(user, ref.name);
    if (!table)
        throwOra(942, "table or view does not exist");
    Target t { std::move(*table), {}, {}, {}, nullptr, {} };
    for (const ColumnDef& c : t.table.columns) {
        t.columns.push_back(ResultColumn { c.name, c.type, !c.notNull, user, t.table.name });
        t.types.push_back(c.type);
        t.refs.push_back(ColumnRef { user, t.table.name, c.name });
    }
    t.writer = storage.rowWriter(t.table);
    t.checks.emplace(t.table, nls, today);
    return t;
}

// A value into a column by INSERT's rules; NULL into NOT NULL is `nullError`.
Cell store(const Value& v, std::size_t column, const Target& t, const NlsSettings& nls,
    const Today& today, int nullError)
{
    const ColumnDef& def = t.table.columns[column];
    Cell c = convertForColumn(asLiteral(v), def.type, t.refs[column], nls, today);
    if (def.notNull && c.isNull()) {
        const std::string where = quotedColumn(t.table.owner, t.table.name, def.name);
        if (nullError == 1407)
            throwOra(1407, "cannot update " + where + " to NULL");
        throwOra(1400, "cannot insert NULL into " + where);
    }
    return c;
}

} // namespace

Session::Execution Session::planUpdate(const UpdateStmt& s)
{
    auto target = std::make_shared<Target>(openTarget(*m_storage, m_user, s.table, m_nls, m_today));
    Target& t = *target;
    Scope scope { { ScopeSource { s.table.label(), &t.columns } }, &m_nls, &m_today, false, 0,
        nullptr };
    auto set = bindAssignments(s.set, t, scope);
    if (s.where)
        bindExpression(*s.where, scope);
    return [this, target, set, &s](const std::vector<Literal>& parameters) {
        Target& t = *target;
        std::vector<Cell> row;
        EvalContext ctx;
        ctx.types[0] = &t.types;
        ctx.parameters = &parameters;
        ctx.nls = &m_nls;
        ctx.today = &m_today;
        const auto equal = keyLookup(s.where.get(), 0, t.table, ctx);
        ctx.rows[0] = &row;
        auto cursor = m_storage->openRows(t.table, equal ? &*equal : nullptr);
        if (!cursor)
            throwOra(942, "table or view does not exist");
        long long n = 0;
        std::vector<Cell> changed;
        while (cursor->next(row)) {
            if (s.where && testCondition(*s.where, ctx) != Truth::True)
                continue;
            changed = row;
            for (const BoundAssignment& a : set)
                changed[a.column]
                    = store(evaluate(*a.value, ctx), a.column, t, m_nls, m_today, 1407);
            t.checks->enforce(changed);
            t.writer->update(cursor->rowid(), changed);
            ++n;
        }
        return n;
    };
}

Session::Execution Session::planDelete(const DeleteStmt& s)
{
    auto target = std::make_shared<Target>(openTarget(*m_storage, m_user, s.table, m_nls, m_today));
    Target& t = *target;
    Scope scope { { ScopeSource { s.table.label(), &t.columns } }, &m_nls, &m_today, false, 0,
        nullptr };
    if (s.where)
        bindExpression(*s.where, scope);
    return [this, target, &s](const std::vector<Literal>& parameters) {
        Target& t = *target;
        std::vector<Cell> row;
        EvalContext ctx;
        ctx.types[0] = &t.types;
        ctx.parameters = &parameters;
        ctx.nls = &m_nls;
        ctx.today = &m_today;
        const auto equal = keyLookup(s.where.get(), 0, t.table, ctx);
        ctx.rows[0] = &row;
        auto cursor = m_storage->openRows(t.table, equal ? &*equal : nullptr);
        if (!cursor)
            throwOra(942, "table or view does not exist");
        long long n = 0;
        while (cursor->next(row)) {
            if (s.where && testCondition(*s.where, ctx) != Truth::True)
                continue;
            t.writer->remove(cursor->rowid());
            ++n;
        }
        return n;
    };
}

Session::Execution Session::planMerge(const MergeStmt& s)
{
    auto target
        = std::make_shared<Target>(openTarget(*m_storage, m_user, s.target, m_nls, m_today));
    Target& t = *target;

    // The source: USING (SELECT ... FROM DUAL) is evaluated here, so that
    // its values keep the types of what was bound; other sources are queries.
    auto sourceColumns = std::make_shared<std::vector<ResultColumn>>();
    std::vector<ExprPtr> direct;
    const SelectStmt* query = s.sourceQuery ? &*s.sourceQuery : nullptr;
    const bool fromDual = query && query->from.name == "DUAL" && !query->where
        && query->orderBy.empty() && !query->distinct && !query->offset && !query->fetch
        && !m_storage->findTable(m_user, "DUAL");
    if (fromDual) {
        std::vector<ResultColumn> dual(1);
        dual[0].name = "DUMMY";
        dual[0].type = varchar2Type(1);
        Scope dualScope { { ScopeSource { query->from.label(), &dual } }, &m_nls, &m_today, false,
            0, nullptr };
        for (const SelectItem& item : query->items) {
            if (!item.expr)
                throwOra(3001, "unimplemented feature");
            bindExpression(*item.expr, dualScope);
            ResultColumn c;
            c.name = item.alias.empty() && item.expr->kind == Expr::Kind::Column ? item.expr->name
                                                                                 : item.alias;
            if (c.name.empty())
                c.name = item.expr->text;
            c.type = item.expr->type;
            sourceColumns->push_back(std::move(c));
            direct.push_back(item.expr);
        }
    }
    // Other sources are queries, run at each execution with its values.
    auto sourceQuery = std::make_shared<SelectStmt>();
    if (query) {
        *sourceQuery = *query;
    } else {
        sourceQuery->items.emplace_back();
        sourceQuery->from = s.sourceTable;
    }
    if (!fromDual) {
        const std::vector<Literal> unbound(s.parameters, Literal::of(Literal::Kind::Parameter));
        *sourceColumns = select(*sourceQuery, &unbound).columns;
    }
    const std::string sourceLabel = query ? s.sourceTable.alias : s.sourceTable.label();
    Scope scope { { ScopeSource { s.target.label(), &t.columns },
                      ScopeSource { sourceLabel, sourceColumns.get() } },
        &m_nls, &m_today, false, 0, nullptr };
    bindExpression(*s.on, scope);
    auto set = bindAssignments(s.update, t, scope);
    for (const BoundAssignment& a : set) {
        std::vector<const Expr*> stack { s.on.get() };
        while (!stack.empty()) {
            const Expr* e = stack.back();
            stack.pop_back();
            if (e->kind == Expr::Kind::Column && e->source == 0 && e->column == a.column)
                throwOra(38104,
                    "Columns referenced in the ON Clause cannot be updated: \"" + s.target.label()
                        + "\".\"" + t.table.columns[a.column].name + "\"");
            for (const ExprPtr& arg : e->args)
                stack.push_back(arg.get());
        }
    }
    std::vector<std::size_t> insertTargets;
    if (s.insert) {
        std::set<std::size_t> seen;
        if (s.insertColumns.empty()) {
            for (std::size_t i = 0; i < t.table.columns.size(); ++i)
                insertTargets.push_back(i);
        }
        for (const std::string& c : s.insertColumns) {
            insertTargets.push_back(t.position(c));
            if (!seen.insert(insertTargets.back()).second)
                throwOra(957, "duplicate column name");
        }
        const auto& identity = t.table.identity;
        if (identity && identity->definition.always
            && std::find(insertTargets.begin(), insertTargets.end(), identity->column)
                != insertTargets.end())
            throwOra(32795, "cannot insert into a generated always identity column");
        if (s.insertValues.size() > insertTargets.size())
            throwOra(913, "too many values");
        if (s.insertValues.size() < insertTargets.size())
            throwOra(947, "not enough values");
        for (const ExprPtr& v : s.insertValues) {
            bindExpression(*v, scope);
            if (const Expr* c = firstColumnOf(*v, 0))
                throwOra(38102,
                    "Invalid column in the INSERT VALUES Clause: \"" + s.target.label() + "\".\""
                        + c->name + "\"");
        }
    }
    return [this, target, sourceColumns, direct, fromDual, sourceQuery, set, insertTargets, &s](
               const std::vector<Literal>& parameters) {
        Target& t = *target;
        EvalContext ctx;
        ctx.parameters = &parameters;
        ctx.nls = &m_nls;
        ctx.today = &m_today;
        std::optional<Result> sourceRows;
        if (!fromDual)
            sourceRows = select(*sourceQuery, &parameters);
        std::vector<Cell> sourceRow, targetRow, changed;
        std::vector<ColumnType> sourceTypes;
        for (const ResultColumn& c : *sourceColumns)
            sourceTypes.push_back(c.type);
        ctx.types[0] = &t.types;
        ctx.rows[1] = &sourceRow;
        ctx.types[1] = &sourceTypes;
        std::set<long long> updated; // a target row updated twice is ORA-30926
        long long n = 0;
        bool dualDone = false;
        auto nextSource = [&]() {
            if (!fromDual)
                return sourceRows->rows->next(sourceRow);
            if (dualDone)
                return false;
            dualDone = true;
            std::vector<Cell> dummy { Cell::text_("X") };
            std::vector<ColumnType> dummyType { varchar2Type(1) };
            EvalContext dualCtx = ctx;
            dualCtx.rows = { &dummy, nullptr };
            dualCtx.types = { &dummyType, nullptr };
            sourceRow.clear();
            for (std::size_t i = 0; i < direct.size(); ++i) {
                Value v = evaluate(*direct[i], dualCtx);
                sourceRow.push_back(std::move(v.cell));
                sourceTypes[i] = v.type;
            }
            return true;
        };
        while (nextSource()) {
            ctx.rows[0] = nullptr;
            const auto equal = keyLookup(s.on.get(), 0, t.table, ctx);
            auto cursor = m_storage->openRows(t.table, equal ? &*equal : nullptr);
            if (!cursor)
                throwOra(942, "table or view does not exist");
            ctx.rows[0] = &targetRow;
            bool matched = false;
            while (cursor->next(targetRow)) {
                if (testCondition(*s.on, ctx) != Truth::True)
                    continue;
                matched = true;
                if (set.empty())
                    continue;
                if (!updated.insert(cursor->rowid()).second)
                    throwOra(30926, "unable to get a stable set of rows in the source tables");
                changed = targetRow;
                for (const BoundAssignment& a : set)
                    changed[a.column]
                        = store(evaluate(*a.value, ctx), a.column, t, m_nls, m_today, 1407);
                t.checks->enforce(changed);
                t.writer->update(cursor->rowid(), changed);
                ++n;
            }
            if (matched || !s.insert)
                continue;
            ctx.rows[0] = nullptr;
            std::vector<Cell> row(t.table.columns.size());
            std::vector<bool> given(row.size(), false);
            for (std::size_t i = 0; i < insertTargets.size(); ++i) {
                const Value v = evaluate(*s.insertValues[i], ctx);
                // BY DEFAULT ON NULL: a NULL takes the sequence's value, as left out.
                const auto& identity = t.table.identity;
                if (v.isNull() && identity && identity->column == insertTargets[i]
                    && identity->definition.onNull)
                    continue;
                row[insertTargets[i]] = store(v, insertTargets[i], t, m_nls, m_today, 1400);
                given[insertTargets[i]] = true;
            }
            for (std::size_t i = 0; i < row.size(); ++i) {
                if (given[i])
                    continue;
                const ColumnDef& c = t.table.columns[i];
                row[i] = c.identity
                    ? convertForColumn(Literal::of(Literal::Kind::Number,
                                           std::to_string(t.writer->nextIdentity())),
                        c.type, t.refs[i], m_nls, m_today)
                    : c.defaultValue
                    ? convertForColumn(*c.defaultValue, c.type, t.refs[i], m_nls, m_today)
                    : Cell {};
                if (c.notNull && row[i].isNull())
                    throwOra(1400,
                        "cannot insert NULL into "
                            + quotedColumn(t.table.owner, t.table.name, c.name));
            }
            t.checks->enforce(row);
            t.writer->insert(row);
            ++n;
        }
        return n;
    };
}

} // namespace orastandin

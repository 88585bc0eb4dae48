#include "session.h"

#include "check_condition.h"
#include "expression.h"
#include "implicit_conversion.h"
#include "ora_error.h"
#include "statement.h"

#include <algorithm>
#include <set>

namespace orastandin {

namespace {

std::string upperAscii(std::string s)
{
    for (char& c : s) {
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    }
    return s;
}

// Rows the engine has at hand anyway, such as the short list of table names.
class ListedRows : public RowCursor {
public:
    explicit ListedRows(std::vector<std::vector<Cell>> rows)
        : m_rows(std::move(rows))
    { }
    bool next(std::vector<Cell>& row) override
    {
        if (m_next >= m_rows.size()) {
            std::vector<std::vector<Cell>>().swap(m_rows);
            return false;
        }
        row = std::move(m_rows[m_next++]);
        return true;
    }

private:
    std::vector<std::vector<Cell>> m_rows;
    std::size_t m_next = 0;
};

[[noreturn]] void invalidIdentifier(const std::string& name)
{
    throwOra(904, "\"" + name + "\": invalid identifier");
}

} // namespace

std::unique_ptr<RowCursor> listedRows(std::vector<std::vector<Cell>> rows)
{
    return std::make_unique<ListedRows>(std::move(rows));
}

std::string sidPath(const std::string& dataDirectory, const std::string& sid)
{
    // Net service names are case-insensitive; keep one file per name.
    const std::string name = upperAscii(sid);
    if (name.empty() || name.size() > 64)
        return {};
    for (const char c : name) {
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '$'
            || c == '#' || c == '-';
        if (!ok)
            return {};
    }
    return dataDirectory + "/" + name + ".sid";
}

std::string canonicalUserName(const std::string& name)
{
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        return name.substr(1, name.size() - 2);
    return upperAscii(name);
}

Session::Session(std::unique_ptr<Storage> storage, std::string user)
    : m_storage(std::move(storage))
    , m_user(std::move(user))
{ }

Session::~Session()
{
    // Closing the connection would roll back as well; say it outright.
    try {
        m_storage->rollback();
    } catch (...) { }
}

std::unique_ptr<Session> Session::logon(const std::string& dataDirectory, const std::string& sid,
    const std::string& user, const std::string& password)
{
    const std::string path = sidPath(dataDirectory, sid);
    if (path.empty() || dataDirectory.empty())
        throwOra(12154, "TNS:could not resolve the connect identifier specified");
    auto storage = Storage::open(path);
    const std::string name = canonicalUserName(user);
    if (password.empty() && !name.empty())
        throwOra(1005, "null password given; logon denied");
    const auto stored = storage->password(name);
    if (name.empty() || !stored || *stored != password)
        throwOra(1017, "invalid username/password; logon denied");
    return std::make_unique<Session>(std::move(storage), name);
}

std::vector<TableInfo> Session::tables()
{
    return m_storage->tables(m_user);
}

Result Session::execute(const std::string& sql)
{
    return run(parseStatement(sql, m_maxStringSize), nullptr);
}

PreparedStatement Session::prepare(const std::string& sql) const
{
    PreparedStatement p { parseStatement(sql, m_maxStringSize) };
    p.parameters = parameterCount(p.statement);
    return p;
}

Result Session::execute(const PreparedStatement& statement, const std::vector<Literal>* parameters)
{
    return run(statement.statement, parameters);
}

Result Session::run(const ParsedStatement& statement, const std::vector<Literal>* parameters)
{
    if (!m_fixedToday)
        m_today = Today::now();
    Result result;
    if (const auto* s = std::get_if<SelectStmt>(&statement))
        return select(*s, parameters);
    if (std::holds_alternative<InsertStmt>(statement)
        || std::holds_alternative<UpdateStmt>(statement)
        || std::holds_alternative<DeleteStmt>(statement)
        || std::holds_alternative<MergeStmt>(statement)) {
        ParameterRows values;
        if (parameters)
            values = [parameters](std::size_t, std::vector<Literal>& bound) {
                bound = *parameters;
                return true;
            };
        const ArrayOutcome outcome = executeRows(statement, 1, values);
        if (outcome.error)
            std::rethrow_exception(outcome.error);
        result.rowCount = (long long)outcome.rows;
        return result;
    }
    if (const auto* s = std::get_if<TransactionStmt>(&statement)) {
        if (s->commit)
            commit();
        else
            rollback();
        return result;
    }
    if (const auto* s = std::get_if<AlterSessionStmt>(&statement)) {
        m_nls.set(s->parameter, s->value);
        return result;
    }
    // DDL: Oracle commits the open transaction before it starts.
    commit();
    if (const auto* s = std::get_if<CreateTableStmt>(&statement)) {
        checkDefaults(*s);
        CreateTableStmt create = *s;
        readChecks(create.table, create.columns, create.constraints);
        m_storage->createTable(m_user, create);
    } else if (const auto* s = std::get_if<DropTableStmt>(&statement)) {
        m_storage->dropTable(m_user, s->table, s->cascadeConstraints);
    } else if (const auto* s = std::get_if<RenameStmt>(&statement)) {
        m_storage->renameTable(m_user, s->from, s->to);
    } else if (const auto* s = std::get_if<AlterTableStmt>(&statement)) {
        AlterTableStmt alter = *s;
        if (const auto table = m_storage->findTable(m_user, alter.table))
            readChecks(table->name, table->columns, alter.constraints);
        // A CHECK added to a table must hold for the rows already there.
        m_storage->alterTable(m_user, alter,
            [&](const TableInfo& t, const ConstraintDef& k, const std::string& name) {
                const CheckCondition check(k.condition, t.name, t.columns, m_nls, m_today);
                auto cursor = m_storage->openTable(m_user, t.name);
                std::vector<Cell> row;
                while (cursor && cursor->next(row)) {
                    if (!check.allows(row))
                        throwOra(
                            2293, "cannot validate (" + name + ") - check constraint violated");
                }
            });
    } else if (const auto* s = std::get_if<CreateIndexStmt>(&statement)) {
        m_storage->createIndex(m_user, *s);
    } else if (const auto* s = std::get_if<DropIndexStmt>(&statement)) {
        m_storage->dropIndex(m_user, s->name);
    } else if (const auto* s = std::get_if<CommentStmt>(&statement)) {
        m_storage->comment(m_user, *s);
    }
    return result;
}

void Session::setAutocommit(bool on)
{
    if (on && !m_autocommit)
        commit();
    m_autocommit = on;
}

void Session::commit()
{
    m_storage->commit();
}

void Session::rollback()
{
    m_storage->rollback();
}

void Session::checkDefaults(const CreateTableStmt& s)
{
    // Oracle checks a default's type when the table is created; its value
    // (a text read with the session's formats, say) only on each INSERT.
    for (const ColumnDef& c : s.columns) {
        if (!c.defaultValue || c.defaultValue->kind == Literal::Kind::String)
            continue;
        try {
            convertForColumn(
                *c.defaultValue, c.type, ColumnRef { m_user, s.table, c.name }, m_nls, m_today);
        } catch (const OraError& e) {
            if (e.code() == 932 || e.code() == 3001)
                throw;
        }
    }
}

void Session::readChecks(const std::string& table, const std::vector<ColumnDef>& columns,
    std::vector<ConstraintDef>& constraints)
{
    // Oracle reads a CHECK's condition when the constraint is made; the
    // columns it names are the constraint's in USER_CONS_COLUMNS.
    for (ConstraintDef& k : constraints) {
        if (k.kind == ConstraintDef::Kind::Check)
            k.columns = CheckCondition(k.condition, table, columns, m_nls, m_today, k.inlineColumn)
                            .columnNames();
    }
}

std::vector<std::size_t> Session::targetColumns(const TableInfo& table, const InsertStmt& s) const
{
    // Positions of the target columns, in VALUES order.
    std::vector<std::size_t> targets;
    if (s.columns.empty()) {
        for (std::size_t i = 0; i < table.columns.size(); ++i)
            targets.push_back(i);
    } else {
        std::set<std::string> seen;
        for (const std::string& name : s.columns) {
            const auto it = std::find_if(table.columns.begin(), table.columns.end(),
                [&](const ColumnDef& c) { return c.name == name; });
            if (it == table.columns.end())
                invalidIdentifier(name);
            if (!seen.insert(name).second)
                throwOra(957, "duplicate column name");
            targets.push_back(std::size_t(it - table.columns.begin()));
        }
    }
    if (s.values.size() > targets.size())
        throwOra(913, "too many values");
    if (s.values.size() < targets.size())
        throwOra(947, "not enough values");
    return targets;
}

ArrayOutcome Session::insertRows(const InsertStmt& s, std::size_t rows, const ParameterRows& values)
{
    if (!m_fixedToday)
        m_today = Today::now();
    const auto table = m_storage->findTable(m_user, s.table);
    if (!table)
        throwOra(942, "table or view does not exist");
    const std::vector<std::size_t> targets = targetColumns(*table, s);
    std::vector<ColumnRef> refs;
    std::vector<bool> given(table->columns.size(), false);
    for (const ColumnDef& c : table->columns)
        refs.push_back(ColumnRef { m_user, table->name, c.name });
    for (const std::size_t t : targets)
        given[t] = true;
    // An identity column takes the sequence's next value where the row
    // gives none: left out, DEFAULT, or (ON NULL) a NULL. GENERATED ALWAYS
    // takes no value at all.
    const std::size_t noColumn = table->columns.size();
    const std::size_t identity = table->identity ? table->identity->column : noColumn;
    bool identityWritten = false;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        if (targets[i] == identity && s.values[i].kind != Literal::Kind::Default)
            identityWritten = true;
    }
    if (identityWritten && table->identity->definition.always)
        throwOra(32795, "cannot insert into a generated always identity column");
    const RowChecks checks(*table, m_nls, m_today);

    // Under autocommit the statement has a transaction of its own; without,
    // the first write opens the session's.
    const bool opened = !m_storage->transactionOpen();
    if (opened)
        m_storage->begin();
    ArrayOutcome outcome;
    try {
        const auto writer = m_storage->rowWriter(*table);
        std::vector<Literal> bound(s.parameters, Literal::of(Literal::Kind::Parameter));
        const Literal implied = Literal::of(Literal::Kind::Default);
        std::vector<Cell> row(table->columns.size());
        auto convert = [&](const Literal& value, std::size_t position) {
            const ColumnDef& column = table->columns[position];
            // DEFAULT, written or implied, is the column's default or NULL.
            const Literal& effective = value.kind == Literal::Kind::Default
                ? (column.defaultValue ? *column.defaultValue : value)
                : value;
            row[position]
                = convertForColumn(effective, column.type, refs[position], m_nls, m_today);
        };
        for (std::size_t r = 0; r < rows; ++r) {
            try {
                if (values && !values(r, bound))
                    continue;
                for (std::size_t i = 0; i < targets.size(); ++i) {
                    convert(s.values[i].kind == Literal::Kind::Parameter
                            ? bound[s.values[i].parameter]
                            : s.values[i],
                        targets[i]);
                }
                for (std::size_t i = 0; i < row.size(); ++i) {
                    if (!given[i])
                        convert(implied, i);
                }
                if (identity != noColumn
                    && (!identityWritten
                        || (table->identity->definition.onNull && row[identity].isNull())))
                    convert(
                        Literal::of(Literal::Kind::Number, std::to_string(writer->nextIdentity())),
                        identity);
                for (std::size_t i = 0; i < row.size(); ++i) {
                    if (table->columns[i].notNull && row[i].isNull())
                        throwOra(1400,
                            "cannot insert NULL into (\"" + m_user + "\".\"" + table->name + "\".\""
                                + table->columns[i].name + "\")");
                }
                checks.enforce(row);
                writer->insert(row);
                ++outcome.rows;
            } catch (...) {
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

void Session::endArray(bool opened, const ArrayOutcome& outcome)
{
    if (m_autocommit && !outcome.error)
        m_storage->commit();
    else if (opened && (m_autocommit || outcome.rows == 0))
        m_storage->rollback(); // nothing of the transaction to keep: let go of the lock
}

std::vector<ResultColumn> Session::parameterColumns(const ParsedStatement& statement)
{
    std::vector<ResultColumn> columns(parameterCount(statement));
    for (ResultColumn& c : columns) {
        c.type.kind = TypeKind::Varchar2;
        c.type.length = 4000;
    }
    const TableRef* target = nullptr;
    const std::vector<Assignment>* set = nullptr;
    if (const auto* u = std::get_if<UpdateStmt>(&statement)) {
        target = &u->table;
        set = &u->set;
    } else if (const auto* m = std::get_if<MergeStmt>(&statement)) {
        target = &m->target;
        set = &m->update;
    }
    if (target) {
        const auto table = m_storage->findTable(m_user, target->name);
        if (!table)
            throwOra(942, "table or view does not exist");
        for (const Assignment& a : *set) {
            if (a.value->kind != Expr::Kind::Parameter)
                continue;
            for (const ColumnDef& c : table->columns) {
                if (c.name == a.column)
                    columns[a.value->parameter]
                        = ResultColumn { c.name, c.type, !c.notNull, m_user, table->name };
            }
        }
    }
    const auto* insert = std::get_if<InsertStmt>(&statement);
    if (!insert)
        return columns;
    const InsertStmt& s = *insert;
    const auto table = m_storage->findTable(m_user, s.table);
    if (!table)
        throwOra(942, "table or view does not exist");
    const std::vector<std::size_t> targets = targetColumns(*table, s);
    for (std::size_t i = 0; i < s.values.size(); ++i) {
        if (s.values[i].kind != Literal::Kind::Parameter)
            continue;
        const ColumnDef& c = table->columns[targets[i]];
        columns[s.values[i].parameter]
            = ResultColumn { c.name, c.type, !c.notNull, m_user, table->name };
    }
    return columns;
}

} // namespace orastandin

#include "query_parser.h"

#include "expression.h"
#include "literal_parser.h"
#include "ora_error.h"
#include "token_reader.h"

#include <array>
#include <string_view>

namespace orastandin {

namespace {

[[noreturn]] void unimplemented()
{
    throwOra(3001, "unimplemented feature");
}

// Words that end a FROM item rather than name its alias.
bool endsTableReference(const Token& t)
{
    static constexpr std::array<std::string_view, 16> words { "OFFSET", "FETCH", "UNION", "MINUS",
        "INTERSECT", "JOIN", "INNER", "LEFT", "RIGHT", "FULL", "CROSS", "NATURAL", "USING", "WHEN",
        "SET", "PARTITION" };
    if (t.kind != TokenKind::Word)
        return false;
    for (const std::string_view w : words) {
        if (t.text == w)
            return true;
    }
    return isReservedWord(t.text);
}

std::string tableName(TokenReader& in, bool* quoted)
{
    const Token& t = in.peek();
    if (t.isSymbol('('))
        unimplemented(); // an inline view
    if (!t.isName() || (t.kind == TokenKind::Word && isReservedWord(t.text)))
        throwOra(903, "invalid table name");
    if (quoted)
        *quoted = t.kind == TokenKind::QuotedName;
    return in.take().text;
}

// An alias after a table or a query, where one may stand.
std::string optionalAlias(TokenReader& in)
{
    const Token& t = in.peek();
    if (t.kind == TokenKind::QuotedName || (t.kind == TokenKind::Word && !endsTableReference(t)))
        return in.take().text;
    return {};
}

TableRef tableReference(TokenReader& in)
{
    TableRef r;
    r.name = tableName(in, &r.quoted);
    if (in.peek().isSymbol('.') || in.peek().isSymbol('@'))
        unimplemented(); // another schema's table, a database link
    r.alias = optionalAlias(in);
    const Token& t = in.peek();
    if (t.isSymbol(',') || t.isWord("JOIN") || t.isWord("INNER") || t.isWord("LEFT")
        || t.isWord("RIGHT") || t.isWord("FULL") || t.isWord("CROSS") || t.isWord("NATURAL"))
        unimplemented();
    return r;
}

// col or alias.col on the left of SET's '=' or in MERGE's INSERT list.
std::string targetColumn(TokenReader& in, const TableRef& table)
{
    auto name = [&]() {
        const Token& t = in.peek();
        if (!t.isName() || (t.kind == TokenKind::Word && isReservedWord(t.text)))
            throwOra(904, "\"" + t.text + "\": invalid identifier");
        return in.take().text;
    };
    std::string column = name();
    if (in.takeSymbol('.')) {
        if (column != table.label())
            throwOra(904, "\"" + column + "\".\"" + in.peek().text + "\": invalid identifier");
        column = name();
    }
    return column;
}

std::vector<Assignment> assignments(TokenReader& in, const TableRef& table, std::size_t& parameters)
{
    if (!in.takeWord("SET"))
        throwOra(971, "missing SET keyword");
    if (in.peek().isSymbol('('))
        unimplemented(); // SET (a, b) = (subquery)
    std::vector<Assignment> set;
    for (;;) {
        Assignment a;
        a.column = targetColumn(in, table);
        if (!in.takeSymbol('='))
            throwOra(927, "missing equal sign");
        if (in.peek().isWord("DEFAULT") || (in.peek().isSymbol('(') && in.peek(1).isWord("SELECT")))
            unimplemented();
        a.value = parseExpression(in, parameters);
        set.push_back(std::move(a));
        if (!in.takeSymbol(','))
            break;
    }
    return set;
}

// OFFSET n ROW[S], FETCH FIRST|NEXT [n] ROW[S] ONLY.
void rowLimits(TokenReader& in, SelectStmt& s, std::size_t& parameters)
{
    if (in.takeWord("OFFSET")) {
        s.offset = parseExpression(in, parameters);
        if (!in.takeWord("ROWS") && !in.takeWord("ROW"))
            throwOra(905, "missing keyword");
    }
    if (in.takeWord("FETCH")) {
        if (!in.takeWord("FIRST") && !in.takeWord("NEXT"))
            throwOra(905, "missing keyword");
        if (in.peek().isWord("ROW") || in.peek().isWord("ROWS")) {
            auto one = std::make_shared<Expr>();
            one->literal = Literal::of(Literal::Kind::Number, "1");
            s.fetch = std::move(one);
        } else {
            s.fetch = parseExpression(in, parameters);
        }
        if (in.peek().isWord("PERCENT"))
            unimplemented();
        if (!in.takeWord("ROWS") && !in.takeWord("ROW"))
            throwOra(905, "missing keyword");
        if (in.peek().isWord("WITH"))
            unimplemented(); // WITH TIES
        if (!in.takeWord("ONLY"))
            throwOra(905, "missing keyword");
    }
}

} // namespace

SelectStmt parseSelect(TokenReader& in, std::size_t& parameters)
{
    in.take(); // SELECT
    SelectStmt s;
    if (in.takeWord("DISTINCT") || in.takeWord("UNIQUE"))
        s.distinct = true;
    else
        in.takeWord("ALL");
    for (;;) {
        SelectItem item;
        if (in.takeSymbol('*')) {
            s.items.push_back(std::move(item));
        } else if (in.peek().isName() && in.peek(1).isSymbol('.') && in.peek(2).isSymbol('*')) {
            item.starQualifier = in.take().text;
            in.take();
            in.take();
            s.items.push_back(std::move(item));
        } else {
            if (in.peek().kind == TokenKind::End)
                throwOra(936, "missing expression");
            item.expr = parseExpression(in, parameters);
            if (in.takeWord("AS")) {
                if (!in.peek().isName()
                    || (in.peek().kind == TokenKind::Word && isReservedWord(in.peek().text)))
                    throwOra(923, "FROM keyword not found where expected");
                item.alias = in.take().text;
            } else if (in.peek().kind == TokenKind::QuotedName
                || (in.peek().kind == TokenKind::Word && !isReservedWord(in.peek().text))) {
                item.alias = in.take().text;
            }
            s.items.push_back(std::move(item));
        }
        if (!in.takeSymbol(','))
            break;
    }
    if (!in.takeWord("FROM"))
        throwOra(923, "FROM keyword not found where expected");
    s.from = tableReference(in);
    if (in.takeWord("WHERE"))
        s.where = parseCondition(in, parameters);
    if (in.peek().isWord("GROUP") || in.peek().isWord("HAVING") || in.peek().isWord("CONNECT")
        || in.peek().isWord("START"))
        unimplemented();
    if (in.takeWord("ORDER")) {
        if (in.takeWord("SIBLINGS"))
            unimplemented();
        if (!in.takeWord("BY"))
            throwOra(924, "missing BY keyword");
        for (;;) {
            OrderItem o;
            o.expr = parseExpression(in, parameters);
            if (in.takeWord("DESC"))
                o.descending = true;
            else
                in.takeWord("ASC");
            if (in.takeWord("NULLS")) {
                if (in.takeWord("FIRST"))
                    o.nullsFirst = true;
                else if (in.takeWord("LAST"))
                    o.nullsFirst = false;
                else
                    throwOra(905, "missing keyword");
            }
            s.orderBy.push_back(std::move(o));
            if (!in.takeSymbol(','))
                break;
        }
    }
    rowLimits(in, s, parameters);
    if (in.peek().isWord("FOR") || in.peek().isWord("UNION") || in.peek().isWord("MINUS")
        || in.peek().isWord("INTERSECT"))
        unimplemented();
    return s;
}

UpdateStmt parseUpdate(TokenReader& in, std::size_t& parameters)
{
    in.take(); // UPDATE
    UpdateStmt s;
    s.table = tableReference(in);
    s.set = assignments(in, s.table, parameters);
    if (in.takeWord("WHERE"))
        s.where = parseCondition(in, parameters);
    if (in.peek().isWord("RETURNING") || in.peek().isWord("RETURN") || in.peek().isWord("LOG"))
        unimplemented();
    return s;
}

DeleteStmt parseDelete(TokenReader& in, std::size_t& parameters)
{
    in.take(); // DELETE
    in.takeWord("FROM");
    DeleteStmt s;
    s.table = tableReference(in);
    if (in.takeWord("WHERE"))
        s.where = parseCondition(in, parameters);
    if (in.peek().isWord("RETURNING") || in.peek().isWord("RETURN") || in.peek().isWord("LOG"))
        unimplemented();
    return s;
}

MergeStmt parseMerge(TokenReader& in, std::size_t& parameters)
{
    in.take(); // MERGE
    if (!in.takeWord("INTO"))
        throwOra(925, "missing INTO keyword");
    MergeStmt s;
    s.target = tableReference(in);
    if (!in.takeWord("USING"))
        throwOra(905, "missing keyword");
    if (in.peek().isSymbol('(') && in.peek(1).isWord("SELECT")) {
        in.take();
        s.sourceQuery = parseSelect(in, parameters);
        if (!in.takeSymbol(')'))
            throwOra(907, "missing right parenthesis");
        s.sourceTable.alias = optionalAlias(in);
    } else {
        s.sourceTable = tableReference(in);
    }
    if (!in.takeWord("ON"))
        throwOra(969, "missing ON keyword");
    if (!in.takeSymbol('('))
        throwOra(906, "missing left parenthesis");
    s.on = parseCondition(in, parameters);
    if (!in.takeSymbol(')'))
        throwOra(907, "missing right parenthesis");
    bool matched = false;
    while (in.takeWord("WHEN")) {
        const bool notMatched = in.takeWord("NOT");
        if (!in.takeWord("MATCHED") || !in.takeWord("THEN"))
            throwOra(905, "missing keyword");
        if (!notMatched) {
            if (matched || !in.takeWord("UPDATE"))
                throwOra(905, "missing keyword");
            matched = true;
            s.update = assignments(in, s.target, parameters);
            if (in.peek().isWord("WHERE") || in.peek().isWord("DELETE"))
                unimplemented();
            continue;
        }
        if (s.insert || !in.takeWord("INSERT"))
            throwOra(905, "missing keyword");
        s.insert = true;
        if (in.takeSymbol('(')) {
            for (;;) {
                s.insertColumns.push_back(targetColumn(in, s.target));
                if (in.takeSymbol(','))
                    continue;
                if (in.takeSymbol(')'))
                    break;
                throwOra(917, "missing comma");
            }
        }
        if (!in.takeWord("VALUES"))
            throwOra(926, "missing VALUES keyword");
        if (!in.takeSymbol('('))
            throwOra(906, "missing left parenthesis");
        for (;;) {
            s.insertValues.push_back(parseExpression(in, parameters));
            if (in.takeSymbol(','))
                continue;
            if (in.takeSymbol(')'))
                break;
            throwOra(917, "missing comma");
        }
        if (in.peek().isWord("WHERE"))
            unimplemented();
    }
    if (!matched && !s.insert)
        throwOra(905, "missing keyword");
    return s;
}

} // namespace orastandin

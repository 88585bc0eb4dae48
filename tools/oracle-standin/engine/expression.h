#pragma once

// Expressions and conditions as Oracle evaluates them: column references,
// literals, bound parameters, comparisons with Oracle's implicit conversions,
// three-valued logic and a few functions. Parsed once, bound to the columns
// of the statement's row sources at each execution, then evaluated per row.
//
// On its own, for a condition kept as text (a CHECK constraint):
//
//     ExprPtr e = parseCondition(text);          // ORA errors of the text
//     Scope scope { { ScopeSource { "T", &tableColumns } }, &nls, &today };
//     bindExpression(*e, scope);                 // ORA-00904 for unknown names
//     EvalContext ctx { { &row }, { &types }, nullptr, &nls, &today };
//     Truth t = testCondition(*e, ctx);          // a CHECK fails on False only

#include "cell.h"
#include "column_type.h"
#include "lexer.h"
#include "nls.h"
#include "statement.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace orastandin {

struct ResultColumn;

struct Expr {
    enum class Kind {
        Constant, // a literal as INSERT takes it (literal)
        Parameter, // a '?' marker (parameter)
        Column, // [qualifier.]name
        Not,
        And,
        Or,
        Compare, // op: = <> < <= > >=
        IsNull, // negated: IS NOT NULL
        Between, // args: value, low, high
        In, // args: value, list...
        Like, // args: value, pattern [, escape]
        Function, // name, args
        Count, // COUNT(*) (no args) or COUNT(expr): an aggregate
    } kind
        = Kind::Constant;
    Literal literal;
    std::size_t parameter = 0;
    std::string qualifier; // Column: the table or alias before the dot
    std::string name; // Column: the column; Function: the upper-cased name
    std::string op;
    bool negated = false;
    std::vector<ExprPtr> args;
    std::string text; // as written, for the name of a result column

    // Set by bindExpression.
    int source = -1; // Column: which row source
    std::size_t column = 0; // Column: its place in that source
    ColumnType type; // the type Oracle gives the value
    std::optional<Cell> constant; // Constant: the value, once converted
    std::size_t aggregate = 0; // Count: its slot among the query's aggregates
};

// What an expression evaluates to: a cell and the type it has.
struct Value {
    Cell cell;
    ColumnType type;
    bool isNull() const { return cell.isNull(); }
};

enum class Truth { False, True, Unknown };

// A row source a statement can name in its expressions.
struct ScopeSource {
    std::string label; // the alias, or the table's name
    const std::vector<ResultColumn>* columns = nullptr;
};

struct Scope {
    std::vector<ScopeSource> sources;
    const NlsSettings* nls = nullptr;
    const Today* today = nullptr;
    bool aggregates = false; // COUNT allowed here (a select list)
    std::size_t aggregateCount = 0; // slots handed out so far
    // The bound values, when known at binding (their types then count).
    const std::vector<Literal>* parameters = nullptr;
};

// The row each source is on, the bound parameter values and the session.
struct EvalContext {
    std::array<const std::vector<Cell>*, 2> rows {};
    std::array<const std::vector<ColumnType>*, 2> types {};
    const std::vector<Literal>* parameters = nullptr;
    const NlsSettings* nls = nullptr;
    const Today* today = nullptr;
    const std::vector<Cell>* aggregates = nullptr; // Count values, by slot
};

class TokenReader;

// Parses one expression or condition from the reader; markers are numbered
// from `parameters` on, which is advanced.
ExprPtr parseExpression(TokenReader& in, std::size_t& parameters);
ExprPtr parseCondition(TokenReader& in, std::size_t& parameters);
// A whole text that is one condition (ORA-00933 when more follows).
ExprPtr parseCondition(const std::string& text);

// Resolves column names (ORA-00904, ORA-00918), checks functions and their
// arguments (ORA-00904, ORA-00909), converts literals, and sets each node's type.
void bindExpression(Expr& e, Scope& scope);
bool containsAggregate(const Expr& e);
bool referencesSource(const Expr& e, int source);

Value evaluate(const Expr& e, const EvalContext& ctx);
Truth testCondition(const Expr& e, const EvalContext& ctx);

// Oracle's comparison of two values (NULLs aside): text to number, text to
// date by the session's format, blank-padded text when both are CHAR or
// literals, bytes under NLS_SORT=BINARY. Throws ORA-00932, ORA-01722, ...
int compareValues(const Value& a, const Value& b, const NlsSettings& nls, const Today& today);

// A value as a literal of its own type, so that storing it into a column
// meets exactly the conversions and checks of INSERT.
Literal asLiteral(const Value& v);

// The value's text as TO_CHAR gives it without a format model.
std::string valueText(const Value& v, const NlsSettings& nls);

// Appends a key whose bytes sort as Oracle orders the value under
// NLS_SORT=BINARY: numbers by value, dates in time, text and RAW by their
// bytes, with NULLs first or last. ORA-00932 for LOBs.
void appendSortKey(std::string& key, const Value& v, bool descending, bool nullsFirst);

} // namespace orastandin

// The expression engine on its own, as a CHECK constraint or a catalog
// view would use it: a condition kept as text, bound to a table's columns
// and tested against rows, with Oracle's three-valued answers.

#include "expression.h"
#include "ora_error.h"
#include "row_source.h"

#include <cstdio>

using namespace orastandin;

int main()
{
    std::vector<ResultColumn> columns(3);
    columns[0].name = "N";
    columns[0].type.kind = TypeKind::Number;
    columns[1].name = "S";
    columns[1].type.kind = TypeKind::Varchar2;
    columns[1].type.length = 10;
    columns[2].name = "D";
    columns[2].type.kind = TypeKind::Date;
    std::vector<ColumnType> types;
    for (const ResultColumn& c : columns)
        types.push_back(c.type);
    const NlsSettings nls;
    const Today today { 2024, 5 };
    const std::vector<std::vector<Cell>> rows {
        { Cell::number("7"), Cell::text_("xyz"), Cell::dateTimeValue(DateTime { 2024, 1, 2 }) },
        { Cell::number("3"), Cell {}, Cell {} },
    };
    const struct {
        const char* condition;
        Truth first, second;
    } cases[] = {
        { "N > 5 AND S LIKE 'x%'", Truth::True, Truth::False },
        { "S = 'xyz' OR N < 5", Truth::True, Truth::True },
        { "S <> 'a'", Truth::True, Truth::Unknown },
        { "NOT (S IS NULL)", Truth::True, Truth::False },
        { "T.N BETWEEN '2' AND 7", Truth::True, Truth::True },
        { "D >= DATE '2024-01-01' AND LENGTH(S) = 3", Truth::True, Truth::Unknown },
        { "N IN (1, 3, NULL)", Truth::Unknown, Truth::True },
        { "MOD(N, 2) = 1 AND UPPER(NVL(S, 'q')) IN ('XYZ', 'Q')", Truth::True, Truth::True },
    };
    int failures = 0;
    for (const auto& c : cases) {
        try {
            ExprPtr e = parseCondition(c.condition);
            Scope scope { { ScopeSource { "T", &columns } }, &nls, &today };
            bindExpression(*e, scope);
            for (int r = 0; r < 2; ++r) {
                const EvalContext ctx { { &rows[std::size_t(r)] }, { &types }, nullptr, &nls,
                    &today };
                const Truth want = r == 0 ? c.first : c.second;
                if (testCondition(*e, ctx) != want) {
                    std::fprintf(stderr, "FAIL: %s on row %d\n", c.condition, r + 1);
                    ++failures;
                }
            }
        } catch (const OraError& e) {
            std::fprintf(stderr, "FAIL: %s: %s\n", c.condition, e.what());
            ++failures;
        }
    }
    const struct {
        const char* condition;
        int code;
    } errors[] = { { "X > 1", 904 }, { "N >", 936 }, { "N = 1 extra", 933 }, { "D = 5", 932 },
        { "COUNT(*) > 1", 934 }, { "N", 920 } };
    for (const auto& c : errors) {
        int code = 0;
        try {
            ExprPtr e = parseCondition(c.condition);
            Scope scope { { ScopeSource { "T", &columns } }, &nls, &today };
            bindExpression(*e, scope);
        } catch (const OraError& e) {
            code = e.code();
        }
        if (code != c.code) {
            std::fprintf(
                stderr, "FAIL: %s gave ORA-%05d, not ORA-%05d\n", c.condition, code, c.code);
            ++failures;
        }
    }
    if (failures)
        std::fprintf(stderr, "%d check(s) failed\n", failures);
    return failures ? 1 : 0;
}

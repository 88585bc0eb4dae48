#pragma once

#include "expression.h"
#include "storage.h"

#include <optional>

namespace orastandin {

// The stored values a condition pins a table's primary key to: when its
// AND-ed comparisons `key column = value` cover every key column, and each
// value is known without the table's row (`source` in the context), the
// table need only be read through its key index. The condition is still
// tested on the rows found; nothing comes back when a value could match
// rows other than those holding its stored form (text against a number
// column converts the other way in Oracle), or cannot be converted.
std::optional<ColumnEquals> keyLookup(
    const Expr* condition, int source, const TableInfo& table, const EvalContext& ctx);

} // namespace orastandin

#pragma once

#include "cell.h"
#include "column_type.h"

#include <memory>
#include <string>
#include <vector>

namespace orastandin {

struct ResultColumn {
    std::string name;
    ColumnType type;
    bool nullable = true;
    std::string owner; // schema of the table the column comes from
    std::string table;
};

// The rows of a query, handed out one at a time, as a server cursor does.
class RowCursor {
public:
    virtual ~RowCursor() = default;
    // Puts the next row into `row`; false once there is none, by which time
    // the cursor holds no database resources any more. Throws OraError.
    virtual bool next(std::vector<Cell>& row) = 0;
};

// What a FROM clause reads: a table's or a view's columns and a cursor over
// its rows, a cell per column. Queries filter, order and project any source
// alike, so a view needs only to say its columns and hand out its rows.
struct RowSource {
    std::vector<ResultColumn> columns;
    std::unique_ptr<RowCursor> rows;
};

// A cursor over rows already at hand, such as those of a catalog query.
std::unique_ptr<RowCursor> listedRows(std::vector<std::vector<Cell>> rows);

} // namespace orastandin

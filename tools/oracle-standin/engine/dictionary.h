#pragma once

#include "cell.h"
#include "row_source.h"
#include "storage.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orastandin {

// A data dictionary view as a query reads it: its columns and its rows.
struct DictionaryView {
    std::vector<ResultColumn> columns;
    std::vector<std::vector<Cell>> rows;
};

// The views of Oracle's data dictionary this stand-in offers, over the
// user's own tables (the ALL_ views see no more: there are no grants):
// USER_/ALL_ TABLES (names only), TAB_COLUMNS, CONSTRAINTS, CONS_COLUMNS,
// INDEXES, IND_COLUMNS, IND_EXPRESSIONS, TAB_IDENTITY_COLS, TAB_COMMENTS,
// COL_COMMENTS and TRIGGERS (without rows), with the columns of Oracle Database Reference 19c that
// describe a table's definition. nullopt for any other name; `tables` gives
// the user's tables when the name is a view's.
std::optional<DictionaryView> dictionaryView(
    const std::string& name, const std::function<std::vector<TableInfo>()>& tables);

// USER_TAB_COLUMNS.DATA_DEFAULT of a column: its default as written, an
// identity column's sequence, or nullopt.
std::optional<std::string> columnDefault(const TableInfo& table, std::size_t column);

// The name USER_IND_COLUMNS gives the k-th column of an index: the column's,
// or for a descending one the hidden column Oracle indexes ("SYS_NC00005$").
std::string indexColumnName(const TableInfo& table, const IndexInfo& index, std::size_t k);

} // namespace orastandin

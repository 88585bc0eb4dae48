#pragma once

#include "statement.h"

#include <cstddef>
#include <string>
#include <vector>

namespace orastandin {

// The rules Oracle applies to a table's keys and indexes when they are
// declared, shared by CREATE TABLE, ALTER TABLE ADD and CREATE INDEX.

// The positions of `names` among `columns`: ORA-00904 for a name that is no
// column, ORA-00957 for one named twice.
std::vector<std::size_t> columnPositions(
    const std::vector<ColumnDef>& columns, const std::vector<std::string>& names);

// Checks constraints[first...] against the columns and against every
// constraint before them, and marks the columns that a NOT NULL or a
// primary key makes NOT NULL: one primary key (ORA-02260), one key per
// column list (ORA-02261), columns a key can have (ORA-02269, ORA-02329,
// ORA-01793, ORA-01450). Foreign keys' parents are the storage's to check.
void checkNewConstraints(std::vector<ColumnDef>& columns,
    const std::vector<ConstraintDef>& constraints, std::size_t first);

// The columns of an index: at most 32 (ORA-01793), no LOB (ORA-02327) or
// LONG (ORA-00997), keys of at most 6398 bytes (ORA-01450).
void checkIndexColumns(
    const std::vector<ColumnDef>& columns, const std::vector<std::size_t>& positions);

} // namespace orastandin

#pragma once

#include "db/value.h"

#include <sql.h>

namespace tw::db {

// How one result column is described and read.
struct ColumnInfo {
    SQLSMALLINT sqlType = SQL_UNKNOWN_TYPE;
    bool isUnsigned = false;
};

// Reads column `column` (1-based) of the current row of `stmt` as a typed
// value: text through SQL_C_WCHAR, binary through SQL_C_BINARY, both in
// chunks of any total size; numbers, dates and times as typed structures.
Value readColumn(SQLHSTMT stmt, SQLUSMALLINT column, const ColumnInfo& info);

} // namespace tw::db

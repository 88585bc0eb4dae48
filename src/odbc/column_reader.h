#pragma once

#include "odbc/value.h"

#include <sql.h>

namespace tw::odbc {

// How one result column is described and read.
struct ColumnInfo {
    SQLSMALLINT sqlType = SQL_UNKNOWN_TYPE;
    bool isUnsigned = false;
    // Read through MariaDB Connector/ODBC, whose wide text ends at the first
    // U+0000 and whose date structures turn MySQL's zero dates into NULL.
    bool mariadb = false;
    // SQL_FLOAT or SQL_DOUBLE whose precision the driver counts in decimal
    // digits (SQL_DESC_NUM_PREC_RADIX 10): the driver holds digits, as
    // Oracle's does for a NUMBER, not a binary double.
    bool decimalPrecision = false;
    // Read as text whatever the type: Oracle describes FLOAT(b) as
    // SQL_DOUBLE but keeps up to 38 digits in it.
    bool asText = false;
};

// Reads column `column` (1-based) of the current row of `stmt` as a typed
// value: text through SQL_C_WCHAR, binary through SQL_C_BINARY, both in
// chunks of any total size; decimal numbers as their exact digits; binary
// numbers, dates and times as typed structures; a column marked asText as
// its text. A column described as a date is read with its time of day,
// which an Oracle DATE may hold.
// From MariaDB's driver, text comes as the session's UTF-8 bytes and dates
// and timestamps as their text, so that both arrive whole.
Value readColumn(SQLHSTMT stmt, SQLUSMALLINT column, const ColumnInfo& info);

} // namespace tw::odbc

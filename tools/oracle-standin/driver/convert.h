#pragma once

#include "cell.h"
#include "column_type.h"
#include "driver_profile.h"
#include "odbc.h"

#include <string>

namespace orastandin::odbc {

// A value converted for one C type. Variable data (character and binary)
// may be read in pieces; fixed data (numbers, structures) comes at once.
struct Converted {
    bool variable = false;
    std::string bytes; // the data as it lands in the application's buffer
    int terminatorSize = 0; // 1 for SQL_C_CHAR, 2 for SQL_C_WCHAR, 0 otherwise
    bool fractionalTruncation = false; // 01S07
    // For numbers and dates read as text: the least buffer length that
    // avoids 22003 (the whole digits, or the date and time without fraction).
    std::size_t minimumText = 0;
};

// Converts a non-NULL cell following the ODBC conversion tables; `cType` is
// a C type, resolveDefault's answer for SQL_C_DEFAULT. Throws DriverError
// (07006, 22003, 22018) where the tables say the conversion fails.
Converted convertCell(const Cell& cell, const ColumnType& type, SQLSMALLINT cType);

// The C type SQL_C_DEFAULT means for this column, as described under `profile`.
SQLSMALLINT resolveDefault(SQLSMALLINT cType, const ColumnType& type, const DriverProfile& profile);

// The size of one value of a fixed-size C type; 0 for the character and
// binary types, whose elements in an array are BufferLength bytes apart.
std::size_t fixedSize(SQLSMALLINT cType);

} // namespace orastandin::odbc

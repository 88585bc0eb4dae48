#pragma once

#include "handles.h"
#include "odbc.h"
#include "statement.h"

#include <cstddef>

namespace orastandin::odbc {

// Where element `index` of a bound array lies: `elementSize` apart when
// bound by column, `bindType` apart when bound by row, shifted by the bind
// offset. Null for a null base.
char* elementAt(SQLPOINTER base, const SQLULEN* offset, SQLULEN bindType, std::size_t elementSize,
    std::size_t index);

// Checks a parameter binding as SQLBindParameter does: HY003 for a C type,
// HY004 for an SQL type the driver does not know, HYC00 for those Oracle's
// driver cannot bind (output parameters, TIME), and whatever `profile`
// refuses of the C type.
void checkParameterBinding(
    SQLSMALLINT ioType, const ParameterBinding& binding, const DriverProfile& profile);

// The value bound to a parameter in row `row` of the parameter array, as the
// Oracle bind it becomes: the C value converted to the SQL type by ODBC's
// rules (text for the character types, an exact number for the numeric
// ones, a DATE or TIMESTAMP, RAW bytes). The engine then applies Oracle's
// conversion to the column, as for a literal. Throws DriverError for what
// ODBC refuses (07006, 22003, 22008, 22018, HY090, HYC00).
Literal boundValue(
    const ParameterBinding& binding, std::size_t row, SQLULEN bindType, const SQLULEN* offset);

} // namespace orastandin::odbc

#pragma once

#include "driver_profile.h"
#include "odbc.h"
#include "session.h"

#include <string>

namespace orastandin::odbc {

// How a result column looks through ODBC, as Oracle's driver reports it.
struct OdbcColumn {
    SQLSMALLINT conciseType = SQL_VARCHAR;
    SQLSMALLINT verboseType = SQL_VARCHAR; // SQL_DATETIME for the datetime types
    SQLSMALLINT intervalCode = 0; // SQL_CODE_TIMESTAMP for the datetime types
    SQLULEN columnSize = 0;
    SQLSMALLINT decimalDigits = 0;
    SQLLEN octetLength = 0;
    SQLLEN displaySize = 0;
    SQLLEN length = 0; // SQL_DESC_LENGTH
    SQLSMALLINT precision = 0; // SQL_DESC_PRECISION
    SQLSMALLINT scale = 0; // SQL_DESC_SCALE
    SQLSMALLINT radix = 0;
    bool caseSensitive = false;
    bool isUnsigned = false;
    std::string typeName;
    std::string literalPrefix;
    std::string literalSuffix;
};

// How `column` is described by a driver registered with `profile`.
OdbcColumn describeColumn(const ResultColumn& column, const DriverProfile& profile);

// The C type SQL_C_DEFAULT stands for with a column of this SQL type.
SQLSMALLINT defaultCType(SQLSMALLINT sqlType);

} // namespace orastandin::odbc

#pragma once

#include "lexer.h"
#include "odbc.h"

#include <functional>
#include <string>

namespace orastandin::odbc {

// The answers on which Oracle's ODBC drivers are known, or suspected, to
// differ. Each registration of the stand-in (its odbcinst.ini section) may
// pick one; a key left out gives the answer of Oracle's own documentation.
//
//   SelectRowCount   = -1 | 0 | fetched       SQLRowCount after a SELECT:
//                                             unknown, zero, the rows fetched so far
//   DateColumns      = SQL_TYPE_TIMESTAMP | SQL_TYPE_DATE
//                                             how DATE columns are described; the
//                                             values keep their time either way
//   NumberColumns    = SQL_DECIMAL | SQL_NUMERIC | SQL_DOUBLE | SQL_FLOAT
//                                             how NUMBER (and INT) columns are described
//   CharacterColumns = narrow | wide          VARCHAR2, CHAR, CLOB and LONG described
//                                             as SQL_VARCHAR... or SQL_WVARCHAR...
//                                             (Oracle's "Force SQL_WCHAR")
//   MaxStringSize    = STANDARD | EXTENDED    the database's MAX_STRING_SIZE
//   BigIntCTypes     = refuse | accept        SQL_C_SBIGINT and SQL_C_UBIGINT, which
//                                             Oracle's ODBC appendix (11g to 19c) lists
//                                             as unsupported and its newest edition no
//                                             longer does
//   FailedArray      = documented | keep-unreported
//                                             what a parameter array with a refused set
//                                             reports: the statuses and the count ODBC
//                                             describes, or nothing at all (no Oracle
//                                             document says which)
struct DriverProfile {
    enum class RowCount { Unknown, Zero, Fetched };
    enum class FailedArray { Documented, KeepUnreported };

    RowCount selectRowCount = RowCount::Unknown;
    SQLSMALLINT dateType = SQL_TYPE_TIMESTAMP;
    SQLSMALLINT numberType = SQL_DECIMAL;
    bool wideCharacters = false;
    MaxStringSize maxStringSize = MaxStringSize::Standard;
    bool bigIntCTypes = false;
    FailedArray failedArray = FailedArray::Documented;

    // Reads the keys through `setting` (empty text for a key not given).
    // Throws DriverError (HY000) naming a key whose value it does not know,
    // so that a mistyped registration never passes for the default.
    static DriverProfile read(const std::function<std::string(const char* key)>& setting);

    // Throws DriverError for a C type this registration does not take: under
    // BigIntCTypes = refuse, SQL_C_SBIGINT and SQL_C_UBIGINT get HY004 in the
    // words public reports of Oracle's 19c driver show, "Invalid SQL data type <-25>.".
    void checkCType(SQLSMALLINT cType) const;
};

} // namespace orastandin::odbc

#pragma once

#include "odbc.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace orastandin::odbc {

struct DiagRecord {
    std::string sqlState;
    SQLINTEGER native = 0;
    std::string message; // complete, with the vendor prefixes
    // The row of a rowset or of a parameter array, and the column, that the
    // record is about (SQL_DIAG_ROW_NUMBER, SQL_DIAG_COLUMN_NUMBER), from 1.
    SQLLEN row = SQL_ROW_NUMBER_UNKNOWN;
    SQLINTEGER column = SQL_COLUMN_NUMBER_UNKNOWN;
};

// The diagnostic records of one handle, cleared by each new call on it.
class Diagnostics {
public:
    void clear()
    {
        m_records.clear();
        m_rowCount = 0;
    }
    // An Oracle error: "[Oracle][ODBC][Ora]ORA-nnnnn: text".
    DiagRecord& addOracle(int code, const std::string& oraMessage);
    // A driver-level condition such as 01004 or HY092: "[Oracle][ODBC]text".
    DiagRecord& addDriver(const char* sqlState, const std::string& text);

    const std::vector<DiagRecord>& records() const { return m_records; }
    SQLLEN rowCount() const { return m_rowCount; }
    void setRowCount(SQLLEN n) { m_rowCount = n; }
    SQLRETURN lastReturn = SQL_SUCCESS;

private:
    std::vector<DiagRecord> m_records;
    SQLLEN m_rowCount = 0;
};

// An ODBC-level failure raised inside the driver (not an ORA error).
class DriverError : public std::runtime_error {
public:
    DriverError(const char* sqlState, const std::string& text)
        : std::runtime_error(text)
        , sqlState(sqlState)
    { }
    const char* sqlState;
};

} // namespace orastandin::odbc

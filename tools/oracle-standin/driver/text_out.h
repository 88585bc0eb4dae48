#pragma once

#include "odbc.h"

#include <string>

namespace orastandin::odbc {

// Where a string result goes: an application buffer and its length, counted
// in characters or in bytes depending on the entry point (ODBC counts
// SQLDescribeColW's and SQLGetDiagRecW's in characters, attribute and info
// values in bytes).
struct TextTarget {
    void* buffer = nullptr;
    SQLLEN bufferLength = 0;
    bool wide = false;
    bool lengthInBytes = false;
};

// Writes UTF-8 text as UTF-8 or UTF-16, NUL-terminated, cut to fit without
// splitting a character. Returns the full length in the target's unit and
// sets `truncated` when the text did not fit.
SQLLEN writeText(const std::string& utf8, const TextTarget& target, bool& truncated);

// Stores a length through a pointer of whichever width the call uses.
template <typename T> void setLength(T* out, SQLLEN value)
{
    if (out)
        *out = static_cast<T>(value);
}

} // namespace orastandin::odbc

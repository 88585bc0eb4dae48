#pragma once

#include "odbc.h"

#include <string>
#include <string_view>

namespace orastandin::odbc {

// SQLWCHAR text is UTF-16 (unixODBC's default two-byte SQLWCHAR); everything
// inside the driver is UTF-8. Malformed input becomes U+FFFD rather than
// being dropped, so lengths stay predictable.
std::string toUtf8(const SQLWCHAR* text, SQLLEN length); // length in units or SQL_NTS
std::u16string toUtf16(std::string_view utf8);

// A narrow (ANSI entry point) argument: bytes taken as UTF-8.
std::string narrowArg(const SQLCHAR* text, SQLLEN length);

} // namespace orastandin::odbc

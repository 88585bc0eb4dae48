#pragma once

#include "odbc/value.h"

namespace tw::db {

// The default for a Null value; any other value unchanged.
inline const odbc::Value& NullDefault(const odbc::Value& value, const odbc::Value& fallback)
{
    return odbc::isNull(value) ? fallback : value;
}

} // namespace tw::db

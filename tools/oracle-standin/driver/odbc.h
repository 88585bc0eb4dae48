#pragma once

// The ODBC headers, with every function they declare given default
// visibility: the driver is built with hidden visibility, and the entry
// points defined against these declarations must stay exported.
#pragma GCC visibility push(default)
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>
#pragma GCC visibility pop

// The entry points are C functions; unixODBC looks them up by plain name.
#define ODBC_ENTRY extern "C" SQLRETURN SQL_API

#pragma once

#include "odbc/error.h"

#include <QString>
#include <exception>

namespace tw::transfer {

// Whether the failure of one row's statement would meet every later row of
// the same table too, and why (odbc::lastingFailure): the connection is lost
// or closed, the target table is missing, the database has no room left.
// Anything else (a value the column refuses, a constraint) is that row's own.
odbc::LastingFailure LastingFailureOf(std::exception_ptr error);
bool FailsEveryLaterRow(std::exception_ptr error);

// What the failing component says: the driver's message, every record.
QString FailureText(std::exception_ptr error);

} // namespace tw::transfer

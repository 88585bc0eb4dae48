#pragma once

#include <QString>
#include <exception>

namespace tw::transfer {

// Whether the failure of one row's statement would meet every later row of
// the same table too: the connection is lost or closed (SQLSTATE class 08,
// or the layer's "Operation is not allowed when the object is closed."), or
// the target table is missing (MySQL 42S02 / 1146, Oracle ORA-00942).
// Anything else (a value the column refuses, a constraint) is that row's own.
bool FailsEveryLaterRow(std::exception_ptr error);

// What the failing component says: the driver's message, every record.
QString FailureText(std::exception_ptr error);

} // namespace tw::transfer

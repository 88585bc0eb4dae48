#pragma once

#include "db/db_error.h"

namespace tw::db {

// Why a failed statement says that every later statement of its kind on the
// same connection must fail as well, so that a copy need not send them.
// Errors of one statement or one row (a value too long, a bad number, a
// duplicate key) are None: the next row may well succeed.
enum class LastingFailure {
    None,
    ConnectionGone, // never opened, closed, lost or killed; nothing reconnects it
    TableMissing, // the table the statement writes to does not exist
    NoRoom, // the database has no room left for more rows
};

LastingFailure lastingFailure(const DbError& error);

} // namespace tw::db

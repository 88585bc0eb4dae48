#pragma once

#include "db/connection.h"

namespace tw::db {

// Autocommit on a connection (ODBC's default is on: every statement commits
// as it ends). With it off, statements gather in one transaction until
// Commit or Rollback. Each throws DbError when the driver refuses.
void SetAutocommit(Connection& connection, bool on);
void Commit(Connection& connection);
void Rollback(Connection& connection);

} // namespace tw::db

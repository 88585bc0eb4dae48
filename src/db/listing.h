#pragma once

#include "db/login_details.h"
#include "db/table_list.h"

namespace tw::db {

// Fill a list with the tables of the MySQL database / of the Oracle user.
// The list is cleared only once the statement has succeeded; errors go to
// the caller. The first entry becomes the current item.
void ListMySQLTables(TableList& list, const LoginSource& login);
void ListOracleTables(TableList& list, const LoginSource& login);

} // namespace tw::db

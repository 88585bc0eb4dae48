#pragma once

#include "db/connection.h"
#include "db/table_list.h"
#include "odbc/value.h"

namespace tw::db {

// Look-ups visit every entry (no early exit); where several entries match
// ignoring case, ListFindItemNoCase answers the one with the highest index.
bool ListHasItem(const TableList& list, const QString& name);
bool ListHasItemNoCase(const TableList& list, const QString& name);
QString ListFindItemNoCase(const TableList& list, const QString& name);
void ListRemoveItem(TableList& list, const QString& name);

// The default for a Null value; any other value unchanged.
odbc::Value NullDefault(const odbc::Value& value, const odbc::Value& fallback);

void ExecuteSql(Connection& connection, const QString& sql);

} // namespace tw::db

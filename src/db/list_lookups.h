#pragma once

#include "db/table_list.h"

namespace tw::db {

// Look-ups visit every entry (no early exit); where several entries match
// ignoring case, ListFindItemNoCase answers the one with the highest index.
bool ListHasItem(const TableList& list, const QString& name);
bool ListHasItemNoCase(const TableList& list, const QString& name);
QString ListFindItemNoCase(const TableList& list, const QString& name);
void ListRemoveItem(TableList& list, const QString& name);

} // namespace tw::db

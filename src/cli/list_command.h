#pragma once

#include "cli/command_line.h"
#include "db/name_list.h"

namespace tw::cli {

// `tablewright list mysql|oracle`: the names on stdout, one per line.
int runList(const ListRequest& request);

// The tables of `side` a command offers: all but the program's own work
// tables (see copy/leftovers.h).
QStringList offeredTables(const db::NameList& tables, sql::Server side);

} // namespace tw::cli

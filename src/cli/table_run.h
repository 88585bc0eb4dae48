#pragma once

#include "cli/command_line.h"
#include "cli/progress.h"
#include "cli/refused_rows.h"
#include "cli/table_result.h"
#include "db/name_list.h"
#include "transfer/table_copy.h"

namespace tw::cli {

// Copies one source table with the engine: the overwrite decision, the
// table's statements, its rows until the end or a stop, and for a replacing
// copy the swap. `target` is the target's list of tables, kept up to date.
TableResult CopyTable(transfer::TableCopy& copy, const QString& sourceName, db::NameList& target,
    Overwrite overwrite, RefusedRows& refused, Progress& progress,
    const transfer::StopRequest& stop);

} // namespace tw::cli

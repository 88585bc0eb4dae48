#pragma once

#include "cli/command_line.h"
#include "db/name_list.h"

#include <optional>

namespace tw::cli {

// `tablewright copy`: the tables copied one after the other, the summary on
// stdout; answers the exit code.
int runCopy(const CopyRequest& request);

// The source names to copy (or compare), each as the source lists it: a
// name typed in another letter case counts when it matches one table only.
// Nothing when a name matches none: then `problem` says which.
std::optional<QStringList> chosenTables(
    const CopyRequest& request, const db::NameList& source, QString* problem);

} // namespace tw::cli

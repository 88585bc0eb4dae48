#pragma once

#include "cli/command_line.h"
#include "db/name_list.h"

#include <optional>

namespace tw::cli {

// `tablewright copy`: the tables copied one after the other, the summary on
// stdout; answers the exit code.
int runCopy(const CopyRequest& request);

} // namespace tw::cli

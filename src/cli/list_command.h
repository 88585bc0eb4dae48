#pragma once

#include "cli/command_line.h"

namespace tw::cli {

// `tablewright list mysql|oracle`: the names on stdout, one per line.
int runList(const ListRequest& request);

} // namespace tw::cli

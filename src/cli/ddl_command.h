#pragma once

#include "cli/command_line.h"

namespace tw::cli {

// `tablewright ddl`: the statements a copy with the same options would run,
// on stdout, each ending in ';'; what the target cannot hold on stderr.
// Only the source is connected to. Answers the exit code.
int runDdl(const DdlRequest& request);

} // namespace tw::cli

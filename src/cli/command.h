#pragma once

namespace tw::cli {

// Runs the program as a command (`tablewright list ...`, `tablewright copy
// ...`, `tablewright --help`, `--version`) without a display: no widget is ever made.
// Answers the exit code.
int runCommandLine(int argc, char** argv);

} // namespace tw::cli

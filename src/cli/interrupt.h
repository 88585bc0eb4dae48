#pragma once

#include "copy/loop/stop_request.h"

#include <termios.h>

namespace tw::cli {

// SIGINT and SIGTERM: the first asks `stop` to stop after the current row
// (the copy then prints its summary); the second ends the process at once
// with exit code 130, except during a swap, which it lets finish first.
void installStopSignals(copy::StopRequest& stop);
// Back to the system's own: SIGINT and SIGTERM end the process at once.
void defaultStopSignals();

// While alive, a second signal waits for the end of the swap of a replacing
// copy: stopping between its RENAMEs could leave no table under the name.
class SwapGuard {
public:
    SwapGuard();
    ~SwapGuard();
    SwapGuard(const SwapGuard&) = delete;
    SwapGuard& operator=(const SwapGuard&) = delete;
};

// A terminal whose echo is off while a password is typed gets `settings`
// back before the process ends on a second signal.
void restoreTerminalOnExit(const termios& settings);
void forgetTerminal();

} // namespace tw::cli

#include "cli/interrupt.h"

#include "cli/exit_codes.h"

#include <csignal>
#include <unistd.h>

namespace tw::cli {

namespace {
// Only what a signal handler may touch: lock-free flags and plain data.
copy::StopRequest* stopRequest = nullptr;
volatile sig_atomic_t signalCount = 0;
volatile sig_atomic_t swapping = 0;
volatile sig_atomic_t exitAfterSwap = 0;
volatile sig_atomic_t haveTerminal = 0;
termios terminalSettings {};

void say(const char* text, size_t size)
{
    // Nothing to do when stderr is gone.
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, text, size);
}

void onSignal(int)
{
    signalCount = signalCount + 1;
    if (signalCount == 1) {
        if (stopRequest)
            stopRequest->request();
        static const char first[]
            = "\nStopping after the current row (press Ctrl+C again to end at once).\n";
        say(first, sizeof first - 1);
        return;
    }
    if (swapping) {
        exitAfterSwap = 1;
        return;
    }
    if (haveTerminal)
        tcsetattr(STDIN_FILENO, TCSANOW, &terminalSettings);
    static const char second[] = "\nEnded at once.\n";
    say(second, sizeof second - 1);
    _exit(ExitStopped);
}
} // namespace

void installStopSignals(copy::StopRequest& stop)
{
    stopRequest = &stop;
    struct sigaction action { };
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // Calls inside the database drivers carry on after the signal.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void defaultStopSignals()
{
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    stopRequest = nullptr;
}

SwapGuard::SwapGuard()
{
    swapping = 1;
}

SwapGuard::~SwapGuard()
{
    swapping = 0;
    if (exitAfterSwap)
        _exit(ExitStopped);
}

void restoreTerminalOnExit(const termios& settings)
{
    haveTerminal = 0;
    terminalSettings = settings;
    haveTerminal = 1;
}

void forgetTerminal()
{
    haveTerminal = 0;
}

} // namespace tw::cli

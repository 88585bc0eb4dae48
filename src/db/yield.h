#pragma once

#include <QtGlobal>

namespace tw::db {

// Lets the event loop process pending window events once, so that long
// actions keep the window painted and the busy pointer showing.
void DoEvents();

// The yield of tight loops (every column of every copied row): it lets the
// event loop run only when 10 ms have passed since it last ran, which keeps
// the window as responsive as a yield per call at a fraction of the cost.
void DoEventsThrottled();

// For a process without windows (the command line): from now on DoEvents
// and DoEventsThrottled do nothing, as there is nothing to repaint.
void disableYields();

// How often the event loop ran and the longest stretch between two calls (for the
// benchmark, which reports how long the window waits for a yield).
struct YieldStats {
    qint64 calls = 0;
    qint64 longestGapNs = 0; // everything between two yields
    qint64 longestOwnGapNs = 0; // less the time spent waiting for a driver
    qint64 driverNs = 0; // in all, inside drivers
    qint64 eventLoopNs = 0; // in all, running the event loop
};

// Marks a stretch spent inside a database driver (connecting, running a
// statement, fetching a row), which the window waits for whatever the
// program does. Only the program's first thread counts them; on any other
// it does nothing.
class DriverWait {
public:
    DriverWait();
    ~DriverWait();
    DriverWait(const DriverWait&) = delete;
    DriverWait& operator=(const DriverWait&) = delete;

private:
    qint64 m_start;
};
void resetYieldStats();
YieldStats currentYieldStats();

} // namespace tw::db

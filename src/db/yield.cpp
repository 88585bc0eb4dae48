#include "db/yield.h"

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <ctime>
#include <thread>

namespace tw::db {

namespace {
using Clock = std::chrono::steady_clock;
YieldStats stats;
Clock::time_point last = Clock::now();
qint64 waitedNs = 0; // inside drivers since the last yield
int waitDepth = 0;
bool yieldsDisabled = false;

qint64 coarseNow()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}
qint64 lastCoarseNs = coarseNow();

// The statistics are the window's thread's (the one that starts the
// program): a copy's reading thread waits for its drivers uncounted.
const std::thread::id windowThread = std::this_thread::get_id();
bool onWindowThread()
{
    return std::this_thread::get_id() == windowThread;
}

qint64 nanoseconds(Clock::duration d)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(d).count();
}
} // namespace

DriverWait::DriverWait()
    : m_start(!onWindowThread() ? 0
            : ++waitDepth == 1  ? nanoseconds(Clock::now().time_since_epoch())
                                : 0)
{ }

DriverWait::~DriverWait()
{
    if (!onWindowThread())
        return;
    if (--waitDepth == 0) {
        const qint64 waited = nanoseconds(Clock::now().time_since_epoch()) - m_start;
        waitedNs += waited;
        stats.driverNs += waited;
    }
}

void disableYields()
{
    yieldsDisabled = true;
}

void DoEvents()
{
    if (yieldsDisabled)
        return;
    const qint64 gap = nanoseconds(Clock::now() - last);
    stats.longestGapNs = std::max(stats.longestGapNs, gap);
    stats.longestOwnGapNs = std::max(stats.longestOwnGapNs, gap - waitedNs);
    ++stats.calls;
    const Clock::time_point start = Clock::now();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    last = Clock::now();
    lastCoarseNs = coarseNow();
    stats.eventLoopNs += nanoseconds(last - start);
    waitedNs = 0;
}

void DoEventsThrottled()
{
    // Called for every column of every row: the coarse clock (a few
    // milliseconds fine, and far cheaper to read) is precise enough to
    // space yields 10 ms apart.
    constexpr qint64 intervalNs = 10'000'000;
    if (!yieldsDisabled && coarseNow() - lastCoarseNs >= intervalNs)
        DoEvents();
}

void resetYieldStats()
{
    stats = YieldStats();
    last = Clock::now();
    lastCoarseNs = coarseNow();
    waitedNs = 0;
}

YieldStats currentYieldStats()
{
    return stats;
}

} // namespace tw::db

#include "db/yield.h"

#include <QCoreApplication>
#include <chrono>

namespace tw::db {

namespace {
using Clock = std::chrono::steady_clock;
YieldStats stats;
Clock::time_point last = Clock::now();
} // namespace

void DoEvents()
{
    const Clock::time_point now = Clock::now();
    const qint64 gap = std::chrono::duration_cast<std::chrono::nanoseconds>(now - last).count();
    if (gap > stats.longestGapNs)
        stats.longestGapNs = gap;
    ++stats.calls;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    last = Clock::now();
}

void DoEventsThrottled()
{
    constexpr auto interval = std::chrono::milliseconds(10);
    if (Clock::now() - last >= interval)
        DoEvents();
}

void ResetYieldStats()
{
    stats = YieldStats();
    last = Clock::now();
}

YieldStats CurrentYieldStats()
{
    return stats;
}

} // namespace tw::db

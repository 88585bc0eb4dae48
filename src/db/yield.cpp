#include "db/yield.h"

#include <QCoreApplication>
#include <algorithm>
#include <chrono>

namespace tw::db {

namespace {
using Clock = std::chrono::steady_clock;
YieldStats stats;
Clock::time_point last = Clock::now();
qint64 waitedNs = 0; // inside drivers since the last yield
int waitDepth = 0;

qint64 nanoseconds(Clock::duration d)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(d).count();
}
} // namespace

DriverWait::DriverWait()
    : m_start(++waitDepth == 1 ? nanoseconds(Clock::now().time_since_epoch()) : 0)
{
}

DriverWait::~DriverWait()
{
    if (--waitDepth == 0)
        waitedNs += nanoseconds(Clock::now().time_since_epoch()) - m_start;
}

void DoEvents()
{
    const qint64 gap = nanoseconds(Clock::now() - last);
    stats.longestGapNs = std::max(stats.longestGapNs, gap);
    stats.longestOwnGapNs = std::max(stats.longestOwnGapNs, gap - waitedNs);
    ++stats.calls;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    last = Clock::now();
    waitedNs = 0;
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
    waitedNs = 0;
}

YieldStats CurrentYieldStats()
{
    return stats;
}

} // namespace tw::db

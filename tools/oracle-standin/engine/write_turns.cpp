#include "write_turns.h"

#include <chrono>
#include <map>
#include <mutex>
#include <thread>

namespace orastandin::writeturns {

namespace {

using Clock = std::chrono::steady_clock;

struct Holder {
    std::thread::id thread;
    const void* connection = nullptr;
};

struct Wait {
    std::string path;
    Clock::time_point when; // the busy handler runs every few milliseconds while waiting
};

std::mutex mutex;
std::map<std::string, Holder> holders;
std::map<std::thread::id, Wait> waits;
thread_local bool deadlocked = false;

// A thread waits still when its handler ran lately; an entry left behind by
// a wait that ended without taking the lock (a reader's) counts no more.
bool waiting(const Wait& w)
{
    return Clock::now() - w.when < std::chrono::milliseconds(200);
}

// Whether waiting for `path` would wait, through the chain of holders and
// what they wait for, on this very thread.
bool closesCycle(std::string path, std::thread::id me)
{
    for (int hops = 0; hops < 64; ++hops) {
        const auto h = holders.find(path);
        if (h == holders.end())
            return false;
        if (h->second.thread == me)
            return true;
        const auto w = waits.find(h->second.thread);
        if (w == waits.end() || !waiting(w->second))
            return false;
        path = w->second.path;
    }
    return false;
}

} // namespace

void held(const std::string& path, const void* connection)
{
    std::lock_guard lock(mutex);
    holders[path] = Holder { std::this_thread::get_id(), connection };
    waits.erase(std::this_thread::get_id());
}

void released(const std::string& path, const void* connection)
{
    std::lock_guard lock(mutex);
    const auto h = holders.find(path);
    if (h != holders.end() && h->second.connection == connection)
        holders.erase(h);
}

int busyHandler(void* pathArgument, int attempts)
{
    const std::string& path = *static_cast<const std::string*>(pathArgument);
    const auto me = std::this_thread::get_id();
    {
        std::lock_guard lock(mutex);
        if (closesCycle(path, me)) {
            waits.erase(me);
            deadlocked = true;
            return 0;
        }
        waits[me] = Wait { path, Clock::now() };
    }
    // Short sleeps first: most transactions of the program end within a batch.
    const int ms = attempts < 10 ? 1 : (attempts < 50 ? 5 : 20);
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return 1;
}

bool takeDeadlock()
{
    const bool d = deadlocked;
    deadlocked = false;
    return d;
}

} // namespace orastandin::writeturns

#pragma once

#include <atomic>

namespace tw::copy {

// Asks a running copy to stop after the row it is on: Esc in the tables
// window, Ctrl+C or SIGTERM in the command. Setting it is lock-free, so a
// signal handler may do it.
class StopRequest {
public:
    void request() noexcept { m_requested.store(true, std::memory_order_relaxed); }
    void reset() noexcept { m_requested.store(false, std::memory_order_relaxed); }
    bool requested() const noexcept { return m_requested.load(std::memory_order_relaxed); }

private:
    static_assert(std::atomic<bool>::is_always_lock_free);
    std::atomic<bool> m_requested = false;
};

} // namespace tw::copy

#pragma once

namespace tw::shell {

// One database action at a time across both windows. While an action yields
// to the event loop, clicks that would start another one are ignored.
class BusyGuard {
public:
    BusyGuard();
    ~BusyGuard();
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

    static bool Busy();
};

} // namespace tw::shell

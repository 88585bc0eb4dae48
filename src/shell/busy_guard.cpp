#include "shell/busy_guard.h"

namespace tw::shell {

namespace {
int depth = 0;
}

BusyGuard::BusyGuard()
{
    ++depth;
}
BusyGuard::~BusyGuard()
{
    --depth;
}
bool BusyGuard::Busy()
{
    return depth > 0;
}

} // namespace tw::shell

#include "shell/shutdown.h"

#include <cstdio>
#include <cstdlib>

namespace tw::shell {

namespace {
std::function<void()>& handler()
{
    static std::function<void()> h;
    return h;
}
} // namespace

void EndProgram()
{
    if (handler()) {
        handler()();
        return;
    }
    std::fflush(nullptr);
    std::_Exit(0);
}

void SetEndProgramHandler(std::function<void()> h)
{
    handler() = std::move(h);
}

} // namespace tw::shell

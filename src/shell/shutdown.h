#pragma once

#include <functional>

namespace tw::shell {

// Ends the program at once, from wherever it is (also from inside a yield
// of a running action): nothing is left to save or close by then.
void EndProgram();

// Tests replace the ending so that closing a window can be observed.
void SetEndProgramHandler(std::function<void()> handler);

} // namespace tw::shell

#pragma once

namespace tw::cli {

// The git commit the program was built from, as taken at build time
// (cmake/build_commit.cmake): the hash, with "-dirty" when the checkout had
// changes, or "unknown" when built outside git.
const char* BuildCommit();

} // namespace tw::cli

#pragma once

#include <string>

namespace orastandin::writeturns {

// SQLite lets one connection at a time write a SID file. Sessions take
// turns: a writer waits, as long as it takes, for the transaction before it
// to end, and readers never wait. A wait that could never end because the
// transaction it waits for belongs to its own thread (directly, or through
// other waiting threads) fails at once with ORA-00060 instead of hanging.

// The connection `connection` of this thread now holds the write lock of `path`.
void held(const std::string& path, const void* connection);
// ... and has let it go (commit, rollback, close).
void released(const std::string& path, const void* connection);

// SQLite's busy handler for a connection to `path` (a const std::string*):
// waits, or answers 0 for a deadlock, which takeDeadlock() then reports.
int busyHandler(void* path, int attempts);
// True once after busyHandler gave up on a deadlock on this thread.
bool takeDeadlock();

} // namespace orastandin::writeturns

#include "trace.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>

namespace orastandin::odbc {

std::string escapeForTrace(const std::string& sql)
{
    std::string out;
    out.reserve(sql.size());
    for (const char c : sql) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += c;
        }
    }
    return out;
}

bool tracing()
{
    const char* path = std::getenv("ORACLE_STANDIN_TRACE");
    return path && *path;
}

void traceStatement(const char* call, std::size_t parameterSets, const std::string& sql)
{
    const char* path = std::getenv("ORACLE_STANDIN_TRACE");
    if (!path || !*path)
        return;
    const std::string line = std::string(call) + "\t" + std::to_string(parameterSets) + "\t"
        + escapeForTrace(sql) + "\n";
    // One write per line on a file opened for appending: lines of several
    // threads and processes never interleave.
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    std::size_t written = 0;
    while (written < line.size()) {
        const ssize_t n = ::write(fd, line.data() + written, line.size() - written);
        if (n <= 0)
            break;
        written += std::size_t(n);
    }
    ::close(fd);
}

} // namespace orastandin::odbc

#pragma once

namespace tw::cli {

// Each exit code means one thing; `tablewright --help` lists them.
enum ExitCode {
    ExitCopied = 0, // every selected table copied, no row refused
    ExitRefused = 1, // some rows refused, or some tables refused, failed or skipped
    ExitUsage = 2, // a usage error, or a database that cannot be reached
    ExitStopped = 130, // stopped by Ctrl+C or SIGTERM (128 + SIGINT, as shells report it)
};

} // namespace tw::cli

#pragma once

#include <QStringList>

namespace tw::bench {

// `tw_bench --jobs [rows per table] [resume rows]`: `copy --jobs 4` against
// `--jobs 1` over 8 tables (default 250,000 rows each), row by row and with
// --fast, with peak memory; a --resume copy (default 1,000,000 rows) killed
// with SIGKILL at about half and resumed; an upsert of the same rows of which
// 10 % exist against an append. Prints figures; asserts nothing.
int runJobsBenchmark(const QStringList& arguments);

} // namespace tw::bench

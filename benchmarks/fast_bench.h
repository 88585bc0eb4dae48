#pragma once

#include <QStringList>

namespace tw::bench {

// `tw_bench --fast [rows...] [--rounds N] [--baseline PROGRAM] [--without-plain]`:
// `tablewright copy --fast` with the plain and the exact column types next
// to the plain `tablewright copy` of the same table, in both directions, and
// into MySQL next to the `mariadb` client reloading the same rows from a
// dump in INSERTs of 1,000 rows and to LOAD DATA INFILE of them from a file
// on the server; with --baseline, the fast copies of another build of the
// program too. Each at each size of the table (default 200,000 and
// 1,000,000 rows), side by side in every round, with each copy's peak
// resident memory. Prints figures; asserts nothing.
int runFastBenchmark(const QStringList& arguments);

} // namespace tw::bench

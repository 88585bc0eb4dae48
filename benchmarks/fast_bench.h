#pragma once

#include <QStringList>

namespace tw::bench {

// `tw_bench --fast [rows...] [--rounds N]`: `tablewright copy --fast` next to
// the plain `tablewright copy` of the same table, in both directions, and
// next to the `mariadb` client reloading the same rows from a dump in
// INSERTs of 1,000 rows; each at each size of the table (default 200,000
// and 1,000,000 rows), side by side in every round, with the peak resident
// memory of each fast copy. Prints figures; asserts nothing.
int runFastBenchmark(const QStringList& arguments);

} // namespace tw::bench

#pragma once

#include <QStringList>

namespace tw::bench {

// `tw_bench --compare [rows...] [--rounds N] [--exact]`: `tablewright compare`
// of the table a `copy --fast` just made, side by side with that copy, in
// both directions, on the benchmark's table (no key: compared as a multiset
// of whole rows) and on the same table keyed on its id; at each size
// (default 200,000 and 1,000,000 rows), with each process's peak resident
// memory. --exact adds the same with --types exact. Prints figures; asserts
// nothing.
int runCompareBenchmark(const QStringList& arguments);

} // namespace tw::bench

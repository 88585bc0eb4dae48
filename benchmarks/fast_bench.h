#pragma once

#include "bench_support.h"
#include "db/login_details.h"

#include <QByteArray>
#include <QHash>
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

struct Copy {
    double tableSeconds = 0; // the summary's: the table alone
    double processSeconds = 0;
    qint64 peakBytes = 0;
    double cpuSeconds = 0; // the process's, drivers included
    qint64 written = 0;
};

// One `copy --to ... --json` of `table` by `program` (this build's when
// empty) with `extra` options.
Copy runCopy(const db::LoginDetails& details, bool toOracle, const QString& table,
    const QStringList& extra, const QString& program = QString());

// The Oracle table of the window's benchmark (see bench_main) as `table`,
// with `ID` as its primary key when `keyed`, filled through parameter
// arrays rather than one literal INSERT per row.
void fillOracleBench(const db::LoginDetails& details, int rows, const QString& table, bool keyed);

// The best of the rounds' rates, and the median of the rounds' own ratios
// (a slow moment of the machine meets both figures of one round).
double best(const QList<double>& rates);
double medianRatio(const QList<double>& a, const QList<double>& b);

} // namespace tw::bench

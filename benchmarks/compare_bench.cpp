#include "compare_bench.h"

#include "bench_support.h"
#include "fast_bench.h"
#include "support/testbed.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstdio>

namespace tw::bench {

namespace {

double megabytes(qint64 bytes)
{
    return bytes / 1048576.0;
}

struct Compared {
    double tableSeconds = 0; // the summary's: the table alone
    double processSeconds = 0;
    qint64 peakBytes = 0;
    qint64 rows = 0;
    QString result;
};

// One `compare --to ... --json` of `table` with `extra` options.
Compared runCompare(
    const db::LoginDetails& details, bool toOracle, const QString& table, const QStringList& extra)
{
    const Child c = runProgram(QStringList { QStringLiteral("compare"), QStringLiteral("--to"),
                                   toOracle ? QStringLiteral("oracle") : QStringLiteral("mysql"),
                                   table, QStringLiteral("--json") }
            + extra,
        details);
    const QJsonObject summary = firstTable(c);
    Compared r;
    r.processSeconds = c.seconds;
    r.peakBytes = c.peakBytes;
    r.tableSeconds = summary.value(QStringLiteral("seconds")).toDouble();
    r.rows = summary.value(QStringLiteral("sourceRows")).toInteger();
    r.result = summary.value(QStringLiteral("result")).toString();
    if (c.exitCode != 0)
        say(QStringLiteral("  (the comparison ended with %1: %2)")
                .arg(c.exitCode)
                .arg(QString::fromUtf8(c.err).left(300)));
    return r;
}

// One table copied and compared, round after round.
struct Pairing {
    QString name;
    bool toOracle = true;
    QString table;
    QStringList options; // of both commands
    QList<double> copyRates;
    QList<double> compareRates;
    qint64 copyPeak = 0;
    qint64 comparePeak = 0;
};

} // namespace

int runCompareBenchmark(const QStringList& arguments)
{
    QList<int> sizes;
    int rounds = 2;
    bool exact = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--rounds"))
            rounds = std::max(1, arguments.value(++i).toInt());
        else if (arguments[i] == QLatin1String("--exact"))
            exact = true;
        else
            sizes << arguments[i].toInt();
    }
    if (sizes.isEmpty())
        sizes = { 200000, 1000000 };
    test::Testbed& bed = test::Testbed::instance();
    const QString database = bed.freshMySQLDatabase(QStringLiteral("tw_bench_compare"));
    const db::LoginDetails details
        = bed.login(database, bed.freshOracleUser(QStringLiteral("BENCH_COMPARE")));

    say(QStringLiteral("machine: %1").arg(machineDescription()));
    say(QStringLiteral(
        "tablewright compare of the table tablewright copy --fast just made, side by "
        "side, %1 rounds")
            .arg(rounds));
    QList<qint64> peaks; // the largest comparison's peak at each size
    for (const int rows : sizes) {
        bed.freshMySQLDatabase(QStringLiteral("tw_bench_compare"));
        bed.freshOracleUser(QStringLiteral("BENCH_COMPARE"));
        say(QString());
        say(QStringLiteral("%1 rows, eight columns").arg(rows));
        bed.mysql(mysqlBenchTable(rows)
                + QStringLiteral("CREATE TABLE bench_k LIKE bench; ALTER TABLE bench_k ADD PRIMARY "
                                 "KEY (id); INSERT INTO bench_k SELECT * FROM bench;"),
            database);
        fillOracleBench(details, rows, QStringLiteral("BENCH_O"), false);
        fillOracleBench(details, rows, QStringLiteral("BENCH_OK"), true);

        QList<Pairing> pairings;
        QList<QPair<QString, QStringList>> modes { { QStringLiteral("plain"), {} } };
        if (exact)
            modes << QPair<QString, QStringList> { QStringLiteral("exact"),
                { QStringLiteral("--types"), QStringLiteral("exact") } };
        for (const auto& [mode, options] : modes) {
            pairings << Pairing { QStringLiteral("MySQL -> Oracle, no key, %1").arg(mode), true,
                QStringLiteral("bench"), options, {}, {} }
                     << Pairing { QStringLiteral("MySQL -> Oracle, keyed on id, %1").arg(mode),
                            true, QStringLiteral("bench_k"), options, {}, {} }
                     << Pairing { QStringLiteral("Oracle -> MySQL, no key, %1").arg(mode), false,
                            QStringLiteral("BENCH_O"), options, {}, {} }
                     << Pairing { QStringLiteral("Oracle -> MySQL, keyed on ID, %1").arg(mode),
                            false, QStringLiteral("BENCH_OK"), options, {}, {} };
        }
        for (int r = 0; r < rounds; ++r) {
            for (Pairing& p : pairings) {
                const Copy copy = runCopy(details, p.toOracle, p.table,
                    QStringList { QStringLiteral("--fast") } + p.options);
                const Compared c = runCompare(details, p.toOracle, p.table, p.options);
                p.copyRates << (copy.tableSeconds > 0 ? rows / copy.tableSeconds : 0);
                p.compareRates << (c.tableSeconds > 0 ? rows / c.tableSeconds : 0);
                p.copyPeak = std::max(p.copyPeak, copy.peakBytes);
                p.comparePeak = std::max(p.comparePeak, c.peakBytes);
                say(QStringLiteral("  round %1, %2: copy --fast %3 s (%4 rows/s, peak %5 MB), "
                                   "compare %6 s (%7 rows/s, peak %8 MB, %9 rows, %10)")
                        .arg(r + 1)
                        .arg(p.name)
                        .arg(copy.tableSeconds, 0, 'f', 2)
                        .arg(p.copyRates.last(), 0, 'f', 0)
                        .arg(megabytes(copy.peakBytes), 0, 'f', 1)
                        .arg(c.tableSeconds, 0, 'f', 2)
                        .arg(p.compareRates.last(), 0, 'f', 0)
                        .arg(megabytes(c.peakBytes), 0, 'f', 1)
                        .arg(c.rows)
                        .arg(c.result));
            }
        }
        say(QStringLiteral("%1 rows: best and median of %2 rounds").arg(rows).arg(rounds));
        qint64 peak = 0;
        for (const Pairing& p : pairings) {
            peak = std::max(peak, p.comparePeak);
            say(QStringLiteral("  %1: compare best %2 rows/s (median %3), copy --fast best %4 "
                               "rows/s (median %5); compare's time / the copy's: median of the "
                               "rounds' %6 (goal below 1); peak resident compare %7 MB, copy %8 MB")
                    .arg(p.name)
                    .arg(best(p.compareRates), 0, 'f', 0)
                    .arg(median(p.compareRates), 0, 'f', 0)
                    .arg(best(p.copyRates), 0, 'f', 0)
                    .arg(median(p.copyRates), 0, 'f', 0)
                    .arg(medianRatio(p.copyRates, p.compareRates), 0, 'f', 2)
                    .arg(megabytes(p.comparePeak), 0, 'f', 1)
                    .arg(megabytes(p.copyPeak), 0, 'f', 1));
        }
        peaks << peak;
    }
    if (peaks.size() > 1) {
        const auto [low, high] = std::minmax_element(peaks.begin(), peaks.end());
        say(QString());
        say(QStringLiteral("compare's peak resident memory: %1 MB to %2 MB over the sizes, %3 MB "
                           "apart (goal under 200 MB, within 20 MB)")
                .arg(megabytes(*low), 0, 'f', 1)
                .arg(megabytes(*high), 0, 'f', 1)
                .arg(megabytes(*high - *low), 0, 'f', 1));
    }
    return 0;
}

} // namespace tw::bench

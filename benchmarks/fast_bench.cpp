#include "fast_bench.h"

#include "bench_support.h"
#include "bulk/bulk_insert.h"
#include "db/connection.h"
#include "db/connection_strings.h"
#include "db/transaction.h"
#include "support/testbed.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcessEnvironment>
#include <QTemporaryFile>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sqlext.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tw::bench {

Copy runCopy(const db::LoginDetails& details, bool toOracle, const QString& table,
    const QStringList& extra, const QString& program)
{
    // Into a new table: dropping the last copy (a million rows take the
    // stand-in half a second) is no part of the copy.
    test::Testbed& bed = test::Testbed::instance();
    bool dropped = false; // or there was none
    if (toOracle)
        bed.oracle(details.oracleUser, QStringLiteral("DROP TABLE \"%1\"").arg(table), &dropped);
    else
        bed.mysql(QStringLiteral("DROP TABLE IF EXISTS `%1`;").arg(table), details.mysqlDatabase);
    const Child c = runProgram(QStringList { QStringLiteral("copy"), QStringLiteral("--to"),
                                   toOracle ? QStringLiteral("oracle") : QStringLiteral("mysql"),
                                   table, QStringLiteral("--json") }
            + extra,
        details, program);
    Copy copy;
    copy.processSeconds = c.seconds;
    copy.peakBytes = c.peakBytes;
    copy.cpuSeconds = c.cpuSeconds;
    const QJsonObject summary = firstTable(c);
    copy.tableSeconds = summary.value(QStringLiteral("seconds")).toDouble();
    copy.written = summary.value(QStringLiteral("rowsWritten")).toInteger();
    if (c.exitCode != 0)
        say(QStringLiteral("  (the copy ended with %1: %2)")
                .arg(c.exitCode)
                .arg(QString::fromUtf8(c.err).left(300)));
    return copy;
}

void fillOracleBench(const db::LoginDetails& details, int rows, const QString& table, bool keyed)
{
    db::Connection oracle;
    oracle.Open(db::OracleConnectionString(details));
    oracle.Execute(
        QStringLiteral("CREATE TABLE \"%1\"(\"ID\" NUMBER(10)%2, \"NAME\" VARCHAR2(100), "
                       "\"AMOUNT\" NUMBER(12,2), \"RATIO\" BINARY_DOUBLE, \"BORN\" DATE, "
                       "\"SEEN\" TIMESTAMP, \"NOTE\" VARCHAR2(200), \"BIG\" NUMBER(19))")
            .arg(table, keyed ? QStringLiteral(" PRIMARY KEY") : QString()));
    bulk::BulkInsert insert(
        oracle, QStringLiteral("INSERT INTO \"%1\" VALUES(?, ?, ?, ?, ?, ?, ?, ?)").arg(table));
    bulk::ParameterArrays batch(
        { { SQL_C_CHAR, SQL_DECIMAL, 10, 0 }, { SQL_C_WCHAR, SQL_WVARCHAR, 100, 0 },
            { SQL_C_WCHAR, SQL_DECIMAL, 12, 2 }, { SQL_C_DOUBLE, SQL_DOUBLE, 15, 0 },
            { SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, 19, 0 },
            { SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, 26, 6 },
            { SQL_C_WCHAR, SQL_WVARCHAR, 200, 0 }, { SQL_C_CHAR, SQL_DECIMAL, 19, 0 } },
        1000);
    db::ManualCommit transaction(oracle);
    auto send = [&] {
        insert.send(batch, transaction);
        batch.clear();
    };
    for (int i = 1; i <= rows; ++i) {
        batch.add({ qint64(i), QStringLiteral("name %1 O'Brien").arg(i),
            QString::number(i / 7.0, 'f', 2), i / 3.0,
            QVariant::fromValue(odbc::SqlTimestamp { 1900 + i % 120, 1, 1, 0, 0, 0, 0 }),
            QVariant::fromValue(odbc::SqlTimestamp { 2000, 1, 1, 10, 0, i % 60, 250000000 }),
            QStringLiteral("note ").repeated(1 + i % 20), qint64(i) * 1000003 });
        if (batch.full())
            send();
    }
    send();
}

namespace {

// The rows MySQL holds in `table`, as a dump the `mariadb` client reloads
// into `reload`: mariadb-dump's own literals, 1,000 rows to an INSERT.
void writeDump(
    const test::Testbed& bed, const QString& database, const QString& table, const QString& path)
{
    QTemporaryFile rows;
    if (!rows.open())
        qFatal("cannot make the dump's file");
    const Child dump = runMeasured(
        { QStringLiteral("mariadb-dump"), QStringLiteral("--no-defaults"),
            QStringLiteral("-h127.0.0.1"), QStringLiteral("-P%1").arg(bed.mysqlPort()),
            QStringLiteral("-uroot"), QStringLiteral("--skip-extended-insert"),
            QStringLiteral("--no-create-info"), QStringLiteral("--compact"), database, table },
        {}, QString(), rows.fileName());
    QFile file(path);
    if (dump.exitCode != 0 || !file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot dump %s: %s", qPrintable(table), dump.err.constData());
    const QByteArray prefix = "INSERT INTO `" + table.toUtf8() + "` VALUES ";
    QByteArray statement;
    int count = 0;
    rows.seek(0);
    while (!rows.atEnd()) {
        QByteArray line = rows.readLine();
        if (line.endsWith('\n'))
            line.chop(1);
        if (!line.startsWith(prefix))
            continue;
        statement += (count == 0 ? QByteArray("INSERT INTO `reload` VALUES ") : QByteArray(","))
            + line.mid(prefix.size(), line.size() - prefix.size() - 1);
        if (++count == 1000) {
            file.write(statement + ";\n");
            statement.clear();
            count = 0;
        }
    }
    if (count > 0)
        file.write(statement + ";\n");
}

double reload(const test::Testbed& bed, const QString& database, const QString& path)
{
    bed.mysql(
        QStringLiteral("DROP TABLE IF EXISTS reload; CREATE TABLE reload LIKE BENCH_O;"), database);
    const Child c = runMeasured(
        { QStringLiteral("mariadb"), QStringLiteral("--no-defaults"), QStringLiteral("-h127.0.0.1"),
            QStringLiteral("-P%1").arg(bed.mysqlPort()), QStringLiteral("-uroot"), database },
        {}, path);
    if (c.exitCode != 0)
        say(QStringLiteral("  (the reload failed: %1)").arg(QString::fromUtf8(c.err).left(300)));
    bed.mysql(QStringLiteral("DROP TABLE reload;"), database);
    return c.seconds;
}

// Loads the rows MySQL holds in `table` with LOAD DATA INFILE from a file
// on the server, as a user who exports a file instead would: the server's
// own fastest way in. Answers the seconds of the LOAD alone.
double loadDataInfile(
    const test::Testbed& bed, const QString& database, const QString& table, const QString& path)
{
    bed.mysql(
        QStringLiteral("DROP TABLE IF EXISTS loaded; CREATE TABLE loaded LIKE `%1`;").arg(table),
        database);
    const Child c = runMeasured({ QStringLiteral("mariadb"), QStringLiteral("--no-defaults"),
        QStringLiteral("-h127.0.0.1"), QStringLiteral("-P%1").arg(bed.mysqlPort()),
        QStringLiteral("-uroot"), database, QStringLiteral("-e"),
        QStringLiteral("LOAD DATA INFILE '%1' INTO TABLE loaded").arg(path) });
    if (c.exitCode != 0)
        say(QStringLiteral("  (LOAD DATA failed: %1)").arg(QString::fromUtf8(c.err).left(300)));
    bed.mysql(QStringLiteral("DROP TABLE loaded;"), database);
    return c.seconds;
}

// One way of copying the benchmark's table, measured round after round.
struct Contender {
    QString name;
    QStringList options; // of `tablewright copy`; empty program: this build
    QString program;
    QList<double> rates; // rows/s per round
    qint64 peak = 0;
};

} // namespace

double best(const QList<double>& rates)
{
    return rates.isEmpty() ? 0 : *std::max_element(rates.begin(), rates.end());
}

double medianRatio(const QList<double>& a, const QList<double>& b)
{
    QList<double> ratios;
    for (qsizetype i = 0; i < std::min(a.size(), b.size()); ++i)
        ratios << (b[i] > 0 ? a[i] / b[i] : 0);
    return median(ratios);
}

int runFastBenchmark(const QStringList& arguments)
{
    QList<int> sizes;
    int rounds = 2;
    QString baseline;
    bool plain = true;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--rounds"))
            rounds = std::max(1, arguments.value(++i).toInt());
        else if (arguments[i] == QLatin1String("--baseline"))
            baseline = arguments.value(++i);
        else if (arguments[i] == QLatin1String("--without-plain"))
            plain = false;
        else
            sizes << arguments[i].toInt();
    }
    if (sizes.isEmpty())
        sizes = { 200000, 1000000 };
    test::Testbed& bed = test::Testbed::instance();
    const QString database = bed.freshMySQLDatabase(QStringLiteral("tw_bench_fast"));
    const db::LoginDetails details
        = bed.login(database, bed.freshOracleUser(QStringLiteral("BENCH_FAST")));
    QTemporaryFile dumpFile;
    if (!dumpFile.open())
        qFatal("cannot make the dump's file");
    const QString outfile = QDir::temp().filePath(
        QStringLiteral("tw_bench_rows_%1.txt").arg(QCoreApplication::applicationPid()));

    say(QStringLiteral("machine: %1").arg(machineDescription()));
    say(QStringLiteral("tablewright copy --fast, with the plain and exact column types, next to "
                       "the plain copy, the mariadb client reloading a dump and LOAD DATA INFILE, "
                       "%1 rounds, side by side%2")
            .arg(rounds)
            .arg(baseline.isEmpty() ? QString() : QStringLiteral(", and the build ") + baseline));
    for (const int rows : sizes) {
        bed.freshMySQLDatabase(QStringLiteral("tw_bench_fast"));
        bed.freshOracleUser(QStringLiteral("BENCH_FAST"));
        say(QString());
        say(QStringLiteral("%1 rows, eight columns").arg(rows));
        bed.mysql(mysqlBenchTable(rows), database);
        fillOracleBench(details, rows, QStringLiteral("BENCH_O"), false);

        const QStringList fast { QStringLiteral("--fast") };
        const QStringList exact { QStringLiteral("--fast"), QStringLiteral("--types"),
            QStringLiteral("exact") };
        QList<Contender> contenders { { QStringLiteral("fast"), fast, {}, {} },
            { QStringLiteral("fast exact"), exact, {}, {} } };
        if (!baseline.isEmpty())
            contenders << Contender { QStringLiteral("fast (baseline)"), fast, baseline,
                {} } << Contender { QStringLiteral("fast exact (baseline)"), exact, baseline, {} };
        if (plain)
            contenders << Contender { QStringLiteral("plain"), {}, {}, {} };
        QList<Contender> toOracle = contenders;
        QList<Contender> toMySQL = contenders;
        QList<double> reloads;
        QList<double> loads;

        auto take = [&](Contender& c, bool toOracleSide, int round) {
            const Copy copy = runCopy(details, toOracleSide,
                toOracleSide ? QStringLiteral("bench") : QStringLiteral("BENCH_O"), c.options,
                c.program);
            const double rate = copy.tableSeconds > 0 ? rows / copy.tableSeconds : 0;
            c.rates << rate;
            c.peak = std::max(c.peak, copy.peakBytes);
            say(QStringLiteral("  round %1, %2 %3: %4 s for the table (%5 rows/s), %6 s in all, "
                               "%9 s of CPU in the process, peak resident %7 MB, %8 rows written")
                    .arg(round + 1)
                    .arg(toOracleSide ? QStringLiteral("MySQL -> Oracle")
                                      : QStringLiteral("Oracle -> MySQL"))
                    .arg(c.name)
                    .arg(copy.tableSeconds, 0, 'f', 2)
                    .arg(rate, 0, 'f', 0)
                    .arg(copy.processSeconds, 0, 'f', 2)
                    .arg(copy.peakBytes / 1048576.0, 0, 'f', 1)
                    .arg(copy.written)
                    .arg(copy.cpuSeconds, 0, 'f', 2));
        };
        for (int r = 0; r < rounds; ++r) {
            // Every figure of a round next to the others, each in turn first.
            const qsizetype n = toOracle.size();
            for (qsizetype k = 0; k < n; ++k)
                take(toOracle[(r + k) % n], true, r);
            for (qsizetype k = 0; k < n + 2; ++k) {
                const qsizetype which = (r + k) % (n + 2);
                if (which < n) {
                    take(toMySQL[which], false, r);
                } else if (which == n) {
                    // The rows the last copy left in MySQL, as a dump.
                    writeDump(bed, database, QStringLiteral("BENCH_O"), dumpFile.fileName());
                    const double seconds = reload(bed, database, dumpFile.fileName());
                    reloads << rows / seconds;
                    say(QStringLiteral("  round %1, the mariadb client reloading the dump: %2 s "
                                       "(%3 rows/s)")
                            .arg(r + 1)
                            .arg(seconds, 0, 'f', 2)
                            .arg(rows / seconds, 0, 'f', 0));
                } else {
                    QFile::remove(outfile);
                    bed.mysql(
                        QStringLiteral("SELECT * INTO OUTFILE '%1' FROM `BENCH_O`;").arg(outfile),
                        database);
                    const double seconds
                        = loadDataInfile(bed, database, QStringLiteral("BENCH_O"), outfile);
                    loads << rows / seconds;
                    say(QStringLiteral("  round %1, LOAD DATA INFILE of the same rows: %2 s "
                                       "(%3 rows/s)")
                            .arg(r + 1)
                            .arg(seconds, 0, 'f', 2)
                            .arg(rows / seconds, 0, 'f', 0));
                }
            }
        }
        QFile::remove(outfile);
        // A child's peak counts this process's resident set when it forked.
        say(QStringLiteral("%1 rows: best and median of %2 rounds (this process's own peak "
                           "resident set: %3 MB)")
                .arg(rows)
                .arg(rounds)
                .arg(peakResidentBytes() / 1048576.0, 0, 'f', 1));
        for (const auto& [side, list] : { std::pair { "MySQL -> Oracle", &toOracle },
                 std::pair { "Oracle -> MySQL", &toMySQL } }) {
            for (const Contender& c : *list)
                say(QStringLiteral("  %1, %2: best %3 rows/s, median %4 rows/s, peak resident %5 "
                                   "MB")
                        .arg(QLatin1String(side), c.name)
                        .arg(best(c.rates), 0, 'f', 0)
                        .arg(median(c.rates), 0, 'f', 0)
                        .arg(c.peak / 1048576.0, 0, 'f', 1));
            const Contender& f = (*list)[0];
            const Contender& e = (*list)[1];
            say(QStringLiteral("  %1: fast exact takes %2 times the fast copy's time (median of "
                               "the rounds' %3; goal at most 1.2)")
                    .arg(QLatin1String(side))
                    .arg(best(f.rates) / std::max(1.0, best(e.rates)), 0, 'f', 2)
                    .arg(medianRatio(f.rates, e.rates), 0, 'f', 2));
            if (plain)
                say(QStringLiteral("  %1: fast / plain %2 (median of the rounds' %3)")
                        .arg(QLatin1String(side))
                        .arg(best(f.rates) / std::max(1.0, best(list->last().rates)), 0, 'f', 1)
                        .arg(medianRatio(f.rates, list->last().rates), 0, 'f', 1));
            if (!baseline.isEmpty())
                for (int k : { 0, 1 })
                    say(QStringLiteral("  %1: %2 / the baseline's %3 (median of the rounds' %4); "
                                       "peak resident %5 MB against %6 MB")
                            .arg(QLatin1String(side), (*list)[k].name)
                            .arg(best((*list)[k].rates) / std::max(1.0, best((*list)[k + 2].rates)),
                                0, 'f', 2)
                            .arg(medianRatio((*list)[k].rates, (*list)[k + 2].rates), 0, 'f', 2)
                            .arg((*list)[k].peak / 1048576.0, 0, 'f', 1)
                            .arg((*list)[k + 2].peak / 1048576.0, 0, 'f', 1));
        }
        say(QStringLiteral("  into MySQL: the mariadb client reloading the dump %1 rows/s, LOAD "
                           "DATA INFILE %2 rows/s (median %3)")
                .arg(best(reloads), 0, 'f', 0)
                .arg(best(loads), 0, 'f', 0)
                .arg(median(loads), 0, 'f', 0));
        say(QStringLiteral("  fast into MySQL / LOAD DATA INFILE: median of the rounds' %1 "
                           "(goal at least 1.0); fast / reload: median %2")
                .arg(medianRatio(toMySQL[0].rates, loads), 0, 'f', 2)
                .arg(medianRatio(toMySQL[0].rates, reloads), 0, 'f', 2));
    }
    return 0;
}

} // namespace tw::bench

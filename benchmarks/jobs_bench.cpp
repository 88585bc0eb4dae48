#include "jobs_bench.h"

#include "bench_support.h"
#include "support/testbed.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace tw::bench {

namespace {

// `tablewright copy --to TO ... --json` with the test bed's logins.
QStringList copyTo(const QStringList& extra, const QString& to = QStringLiteral("oracle"))
{
    return QStringList { QStringLiteral("copy"), QStringLiteral("--to"), to,
        QStringLiteral("--json") }
    + extra;
}

qint64 written(const Child& c)
{
    qint64 sum = 0;
    for (const QJsonValue& t :
        QJsonDocument::fromJson(c.out).object().value(QStringLiteral("tables")).toArray())
        sum += t.toObject().value(QStringLiteral("rowsWritten")).toInteger();
    return sum;
}

int oracleCount(const QString& user, const QString& table)
{
    bool ok = false;
    const QStringList n = test::Testbed::instance().oracle(
        user, QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(table), &ok);
    return ok ? n.value(0).toInt() : -1;
}

} // namespace

int runJobsBenchmark(const QStringList& arguments)
{
    const int rows = arguments.value(0, QStringLiteral("250000")).toInt();
    const int resumeRows = arguments.value(1, QStringLiteral("1000000")).toInt();
    test::Testbed& bed = test::Testbed::instance();
    const QString database = bed.freshMySQLDatabase(QStringLiteral("tw_bench_jobs"));
    const QString user = QStringLiteral("BENCH_JOBS");
    const db::LoginDetails details = bed.login(database, bed.freshOracleUser(user));
    say(QStringLiteral("machine: %1").arg(machineDescription()));

    // 8 tables of `rows` rows, by 1 and by 4 side by side.
    const auto makeMySQLTables = [&](int n) {
        bed.freshMySQLDatabase(QStringLiteral("tw_bench_jobs"));
        bed.mysql(mysqlBenchTable(n) + QStringLiteral("ALTER TABLE bench ADD PRIMARY KEY (id);"),
            database);
        for (int t = 1; t <= 8; ++t)
            bed.mysql(
                QStringLiteral("CREATE TABLE bench%1 LIKE bench; INSERT INTO bench%1 SELECT * "
                               "FROM bench;")
                    .arg(t),
                database);
    };
    QStringList tables;
    for (int t = 1; t <= 8; ++t)
        tables << QStringLiteral("bench%1").arg(t);
    // Each copy starts from an empty target; the source stays.
    const auto sideBySide = [&](const QString& to, const QStringList& how, bool fast,
                                const std::function<void()>& emptyTarget) {
        const QString label = fast ? QStringLiteral("--fast") : QStringLiteral("row by row");
        double rate[2] = { 0, 0 };
        for (const int jobs : { 1, 4 }) {
            emptyTarget();
            QStringList extra = tables + how;
            extra << QStringLiteral("--jobs") << QString::number(jobs);
            if (fast)
                extra << QStringLiteral("--fast");
            const Child c = runProgram(copyTo(extra, to), details);
            rate[jobs == 4] = c.seconds > 0 ? written(c) / c.seconds : 0;
            say(QStringLiteral("  %1 --jobs %2: %3 rows in %4 s, %5 rows/s, peak resident %6 MB%7")
                    .arg(label)
                    .arg(jobs)
                    .arg(written(c))
                    .arg(c.seconds, 0, 'f', 2)
                    .arg(rate[jobs == 4], 0, 'f', 0)
                    .arg(c.peakBytes / 1048576.0, 0, 'f', 1)
                    .arg(c.exitCode == 0 ? QString()
                                         : QStringLiteral(" (exit %1)").arg(c.exitCode)));
        }
        say(QStringLiteral("  %1: --jobs 4 / --jobs 1 = %2 (goal at least 1.5 row by row)")
                .arg(label)
                .arg(rate[0] > 0 ? rate[1] / rate[0] : 0, 0, 'f', 2));
    };
    makeMySQLTables(rows);
    say(QStringLiteral("8 tables of %1 rows into Oracle").arg(rows));
    for (const bool fast : { false, true })
        sideBySide(QStringLiteral("oracle"), {}, fast, [&] { bed.freshOracleUser(user); });
    // Into MySQL, where the row-by-row copy waits on a server of its own
    // process. Exact types both ways, so that the tables come back as they
    // were; a fifth of the rows, as one row at a time into MySQL is slower.
    const int mysqlRows = std::max(1, rows / 5);
    makeMySQLTables(mysqlRows);
    bed.freshOracleUser(user);
    const QStringList exact { QStringLiteral("--types"), QStringLiteral("exact") };
    runProgram(copyTo(tables + exact + QStringList { QStringLiteral("--fast") }), details);
    say(QStringLiteral("8 tables of %1 rows into MySQL (exact types)").arg(mysqlRows));
    for (const bool fast : { false, true })
        sideBySide(QStringLiteral("mysql"), exact, fast,
            [&] { bed.freshMySQLDatabase(QStringLiteral("tw_bench_jobs")); });

    // Resume: killed at about half, run again with the same state.
    bed.freshMySQLDatabase(QStringLiteral("tw_bench_jobs"));
    bed.freshOracleUser(user);
    bed.mysql(
        mysqlBenchTable(resumeRows) + QStringLiteral("ALTER TABLE bench ADD PRIMARY KEY (id);"),
        database);
    const QString state = QDir::temp().filePath(
        QStringLiteral("tw_bench_state_%1.json").arg(QCoreApplication::applicationPid()));
    QFile::remove(state);
    const QStringList resumed = copyTo({ QStringLiteral("bench"), QStringLiteral("--types"),
        QStringLiteral("exact"), QStringLiteral("--resume"), state });
    QProcess killed;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QHash<QString, QString> passwords = passwordEnvironment(details);
    for (auto it = passwords.begin(); it != passwords.end(); ++it)
        env.insert(it.key(), it.value());
    killed.setProcessEnvironment(env);
    const double start = now();
    killed.start(QCoreApplication::applicationDirPath() + QStringLiteral("/tablewright"),
        resumed + loginArguments(details));
    killed.waitForStarted();
    int atKill = 0;
    while (killed.state() == QProcess::Running
        && (atKill = oracleCount(user, "bench")) < resumeRows / 2)
        QThread::msleep(100);
    killed.kill();
    killed.waitForFinished();
    const double first = now() - start;
    atKill = oracleCount(user, QStringLiteral("bench"));
    const Child again = runProgram(resumed, details);
    const int total = oracleCount(user, QStringLiteral("bench"));
    say(QStringLiteral("resume: %1 rows, killed (SIGKILL) after %2 s with %3 rows committed; the "
                       "resumed run wrote %4 rows in %5 s; the table holds %6 rows (%7)")
            .arg(resumeRows)
            .arg(first, 0, 'f', 2)
            .arg(atKill)
            .arg(written(again))
            .arg(again.seconds, 0, 'f', 2)
            .arg(total)
            .arg(atKill + written(again) == resumeRows && total == resumeRows
                    ? QStringLiteral("every row once: the rows sent again were at most the batch "
                                     "the kill rolled back")
                    : QStringLiteral("NOT every row once")));

    // Upsert of the same rows, 10 % of which the target has, against an append.
    double rates[2] = { 0, 0 };
    for (const bool upsert : { false, true }) {
        bed.freshOracleUser(user);
        runProgram(copyTo({ QStringLiteral("bench"), QStringLiteral("--types"),
                       QStringLiteral("exact"), QStringLiteral("--where"),
                       upsert ? QStringLiteral("id % 10 = 0") : QStringLiteral("1 = 0") }),
            details);
        const Child c
            = runProgram(copyTo({ QStringLiteral("bench"), QStringLiteral("--types"),
                             QStringLiteral("exact"), QStringLiteral("--mode"),
                             upsert ? QStringLiteral("upsert") : QStringLiteral("append") }),
                details);
        rates[upsert] = c.seconds > 0 ? resumeRows / c.seconds : 0;
        say(QStringLiteral("  %1 of %2 rows: %3 s, %4 rows/s, peak resident %5 MB%6")
                .arg(upsert ? QStringLiteral("upsert (10 % exist)") : QStringLiteral("append"))
                .arg(resumeRows)
                .arg(c.seconds, 0, 'f', 2)
                .arg(rates[upsert], 0, 'f', 0)
                .arg(c.peakBytes / 1048576.0, 0, 'f', 1)
                .arg(c.exitCode == 0 ? QString() : QStringLiteral(" (exit %1)").arg(c.exitCode)));
    }
    say(QStringLiteral("  upsert / append = %1 (goal at least 0.5)")
            .arg(rates[0] > 0 ? rates[1] / rates[0] : 0, 0, 'f', 2));
    return 0;
}

} // namespace tw::bench

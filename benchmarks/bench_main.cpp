// Measures the transfer through the real window code (offscreen) and through
// the `tablewright copy` command against the test bed and prints the
// figures; it is not a test and asserts nothing.
//
//   tw_bench [rows] [tables] [rounds]   defaults: 100000 rows, 10000 tables, 5 rounds
//   tw_bench --fast [rows...] [--rounds N] ...   copy --fast against the others (fast_bench.h)
//   tw_bench --jobs [rows] [resume rows]        --jobs, --resume and upsert (jobs_bench.h)
//   tw_bench --compare [rows...] [--rounds N]    compare beside copy --fast (compare_bench.h)
#include "bench_support.h"
#include "compare_bench.h"
#include "db/connection.h"
#include "db/connection_strings.h"
#include "db/listing.h"
#include "db/recordset.h"
#include "db/yield.h"
#include "fast_bench.h"
#include "jobs_bench.h"
#include "odbc/error.h"
#include "odbc_replay.h"
#include "shell/dialogs.h"
#include "shell/error_trap.h"
#include "sql/dialect.h"
#include "sql/plain_statements.h"
#include "sql/value_text.h"
#include "support/command_process.h"
#include "support/general_log.h"
#include "support/scripted_dialogs.h"
#include "support/testbed.h"
#include "tables/form2.h"
#include "tables/send_tables.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <tuple>

using namespace tw;
using bench::say;

namespace {

struct Copy {
    double seconds = 0;
    qint64 peakBytes = 0;
    qint64 longestYieldGapNs = 0;
    qint64 longestOwnGapNs = 0;
    qint64 startBytes = 0;
    qint64 yields = 0;
    double driverSeconds = 0;
    double eventLoopSeconds = 0;
};

// Keeps the best time of the rounds and the worst of everything else.
void takeRound(Copy& kept, const Copy& c, bool first)
{
    if (first || c.seconds < kept.seconds)
        kept.seconds = c.seconds;
    kept.peakBytes = std::max(kept.peakBytes, c.peakBytes);
    kept.longestYieldGapNs = std::max(kept.longestYieldGapNs, c.longestYieldGapNs);
    kept.longestOwnGapNs = std::max(kept.longestOwnGapNs, c.longestOwnGapNs);
    kept.startBytes = std::max(kept.startBytes, c.startBytes);
    kept.yields = c.yields;
}

// One line per round: where the copy's time went, next to the replay's.
void sayRound(const QString& direction, int round, const Copy& c, double replay)
{
    say(QStringLiteral("  %1 round %2: program %3 s (in drivers %4 s, event loop %5 s, the "
                       "program's own work %6 s), replay %7 s")
            .arg(direction)
            .arg(round + 1)
            .arg(c.seconds, 0, 'f', 3)
            .arg(c.driverSeconds, 0, 'f', 3)
            .arg(c.eventLoopSeconds, 0, 'f', 3)
            .arg(c.seconds - c.driverSeconds - c.eventLoopSeconds, 0, 'f', 3)
            .arg(replay, 0, 'f', 3));
}

// One click on a send button of a window holding just the one table.
Copy runCopy(const db::LoginDetails& details, bool toOracle, const QString& table)
{
    db::FixedLogin login(details);
    test::ScriptedDialogs dialogs; // answers Yes to an overwrite question
    QWidget loginWindow;
    tables::Form2 form(login, dialogs, &loginWindow);
    form.Form_Load();
    form.show();
    db::ListMySQLTables(*form.List1, login);
    db::ListOracleTables(*form.List2, login);
    tables::TableListBox* source = toOracle ? form.List1 : form.List2;
    for (int i = 0; i < source->ListCount(); ++i)
        source->SetSelected(i, source->List(i) == table);
    QCoreApplication::processEvents();
    Copy c;
    bench::resetPeakResident();
    c.startBytes = bench::peakResidentBytes();
    db::resetYieldStats();
    const double start = bench::now();
    if (toOracle)
        form.PushButton3_Click();
    else
        form.PushButton4_Click();
    c.seconds = bench::now() - start;
    c.peakBytes = bench::peakResidentBytes();
    c.longestYieldGapNs = db::currentYieldStats().longestGapNs;
    c.longestOwnGapNs = db::currentYieldStats().longestOwnGapNs;
    c.yields = db::currentYieldStats().calls;
    c.driverSeconds = db::currentYieldStats().driverNs / 1e9;
    c.eventLoopSeconds = db::currentYieldStats().eventLoopNs / 1e9;
    if (!dialogs.reports().isEmpty())
        say(QStringLiteral("  (the copy reported %1 errors; first: %2)")
                .arg(dialogs.reports().size())
                .arg(dialogs.reports().first().left(300)));
    return c;
}

// The same copy by `tablewright copy` in a process of its own, replacing the
// window's copy of the table: the whole process (start, connections,
// listings, rows, swap) and the table alone, as its summary tells.
struct CommandCopy {
    double processSeconds = 0;
    double tableSeconds = 0;
};

CommandCopy runCommandCopy(const db::LoginDetails& details, bool toOracle, const QString& table)
{
    test::CommandProcess command(
        QStringList { QStringLiteral("copy"), QStringLiteral("--to"),
            toOracle ? QStringLiteral("oracle") : QStringLiteral("mysql"), table,
            QStringLiteral("--overwrite"), QStringLiteral("yes"), QStringLiteral("--json") }
            + bench::loginArguments(details),
        bench::passwordEnvironment(details));
    QElapsedTimer clock;
    clock.start();
    command.start();
    const test::CommandResult r = command.finish(-1);
    CommandCopy c;
    c.processSeconds = clock.nsecsElapsed() / 1e9;
    c.tableSeconds = r.table(table).value(QStringLiteral("seconds")).toDouble();
    if (r.exitCode != 0)
        say(QStringLiteral("  (the command ended with %1: %2)")
                .arg(r.exitCode)
                .arg(r.err.left(300)));
    return c;
}

void keepBest(CommandCopy& kept, const CommandCopy& c, bool first)
{
    if (first || c.processSeconds < kept.processSeconds)
        kept.processSeconds = c.processSeconds;
    if (first || c.tableSeconds < kept.tableSeconds)
        kept.tableSeconds = c.tableSeconds;
}

// The statements a copy to Oracle sends, built as the program builds them.
QList<QByteArray> oracleStatementsFor(
    const db::LoginDetails& details, const QString& table, qint64& dataBytes)
{
    db::Connection mysql;
    mysql.Open(db::MySQLConnectionString(details));
    db::Recordset rs;
    rs.Open(sql::dialect(sql::Server::MySQL).selectAll(table), mysql);
    QList<QPair<QString, qint16>> columns;
    for (int j = 0; j < rs.FieldCount(); ++j)
        columns.append({ rs.field(j).Name, rs.field(j).Type });
    QList<QByteArray> out;
    for (const QString& sql : sql::dialect(sql::Server::Oracle).sessionStatements(false))
        out << sql.toUtf8();
    out << sql::plainCreateStatement(
        sql::dialect(sql::Server::Oracle), table + QStringLiteral("_replay"), columns)
               .toUtf8();
    QList<odbc::Value> row;
    dataBytes = 0;
    while (!rs.atEnd()) {
        row.clear();
        for (int j = 0; j < rs.FieldCount(); ++j) {
            row << rs.field(j).Value;
            dataBytes += sql::valueText(rs.field(j).Value).toUtf8().size();
        }
        out << sql::plainInsertStatement(
            sql::dialect(sql::Server::Oracle), table + QStringLiteral("_replay"), row)
                   .toUtf8();
        rs.MoveNext();
    }
    return out;
}

double replayMySQL(const test::Testbed& bed, const QString& database, const QStringList& statements)
{
    QByteArray script = "SET SESSION sql_mode = CONCAT_WS(',', NULLIF(@@SESSION.sql_mode, ''), "
                        "'NO_BACKSLASH_ESCAPES');\n";
    for (const QString& s : statements)
        script += s.toUtf8() + ";\n";
    QProcess client;
    client.start(QStringLiteral("mariadb"),
        { QStringLiteral("--no-defaults"), QStringLiteral("-h127.0.0.1"),
            QStringLiteral("-P%1").arg(bed.mysqlPort()), QStringLiteral("-uroot"),
            QStringLiteral("--default-character-set=utf8mb4"), database });
    client.waitForStarted();
    const double start = bench::now();
    client.write(script);
    client.closeWriteChannel();
    client.waitForFinished(-1);
    const double seconds = bench::now() - start;
    if (client.exitCode() != 0)
        say(QStringLiteral("  replay failed: ")
            + QString::fromUtf8(client.readAllStandardError()).left(300));
    return seconds;
}

// The largest report a copy shows: a 16 MB BLOB's INSERT refused, in the
// real message box, from the failing step until the box is up and closed.
double showLargestReport(qsizetype& statementSize)
{
    const QString statement = sql::plainInsertStatement(sql::dialect(sql::Server::Oracle),
        QStringLiteral("blobs"), { odbc::Value(QByteArray(16 * 1024 * 1024, '\x5a')) });
    statementSize = statement.size();
    shell::QtDialogs dialogs;
    shell::ErrorTrap trap(
        dialogs, QStringLiteral("Palomirdual2017/04/05.Form2.PushButton3_Click"), &statement);
    QTimer::singleShot(0, [] {
        if (QWidget* box = QApplication::activeModalWidget())
            box->close();
    });
    const double start = bench::now();
    trap.Step(
        258, [] { throw odbc::DbError(QStringLiteral("ORA-01704: string literal too long")); });
    return bench::now() - start;
}

} // namespace

// Runs one copy in a process of its own, so that its peak memory is the
// program's alone: "tw_bench --memory to-oracle|to-mysql TABLE DB USER".
int memoryChild(char** argv)
{
    test::Testbed& bed = test::Testbed::instance();
    const bool toOracle = qstrcmp(argv[2], "to-oracle") == 0;
    const Copy c = runCopy(bed.login(QString::fromUtf8(argv[4]), QString::fromUtf8(argv[5])),
        toOracle, QString::fromUtf8(argv[3]));
    say(QStringLiteral("%1 %2").arg(c.startBytes).arg(c.peakBytes));
    return 0;
}

Copy measureMemory(
    bool toOracle, const QString& table, const QString& database, const QString& user)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
        { QStringLiteral("--memory"),
            toOracle ? QStringLiteral("to-oracle") : QStringLiteral("to-mysql"), table, database,
            user });
    child.waitForFinished(-1);
    const QStringList figures
        = QString::fromUtf8(child.readAllStandardOutput()).trimmed().split(QLatin1Char(' '));
    Copy c;
    c.startBytes = figures.value(0).toLongLong();
    c.peakBytes = figures.value(1).toLongLong();
    return c;
}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc == 6 && qstrcmp(argv[1], "--memory") == 0)
        return memoryChild(argv);
    if (argc > 1 && qstrcmp(argv[1], "--fast") == 0)
        return bench::runFastBenchmark(app.arguments().mid(2));
    if (argc > 1 && qstrcmp(argv[1], "--jobs") == 0)
        return bench::runJobsBenchmark(app.arguments().mid(2));
    if (argc > 1 && qstrcmp(argv[1], "--compare") == 0)
        return bench::runCompareBenchmark(app.arguments().mid(2));
    const int rows = argc > 1 ? QString::fromLatin1(argv[1]).toInt() : 100000;
    const int tables = argc > 2 ? QString::fromLatin1(argv[2]).toInt() : 10000;
    // Each copy runs this many times, alternating with its replay. The best
    // time of each counts, and the median of the rounds' own ratios shows how
    // far the machine's noise moves the figure: the two share one machine,
    // one disk and one server, and neither the order nor a slow moment of the
    // machine may decide the ratio.
    const int rounds = std::max(1, argc > 3 ? QString::fromLatin1(argv[3]).toInt() : 5);
    test::Testbed& bed = test::Testbed::instance();
    const QString database = bed.freshMySQLDatabase(QStringLiteral("tw_bench"));
    const QString user = bed.freshOracleUser(QStringLiteral("BENCH"));
    const db::LoginDetails details = bed.login(database, user);
    // The command's copy of a round, before the window's in every other
    // round: the one that runs second meets the servers still busy with the
    // first's writes.
    auto commandRound = [&](bool toOracle, const QString& table, CommandCopy& kept, int r) {
        const CommandCopy command = runCommandCopy(details, toOracle, table);
        keepBest(kept, command, r == 0);
        say(QStringLiteral("  %1 round %2: the command %3 s (the table %4 s)")
                .arg(toOracle ? QStringLiteral("MySQL -> Oracle")
                              : QStringLiteral("Oracle -> MySQL"))
                .arg(r + 1)
                .arg(command.processSeconds, 0, 'f', 3)
                .arg(command.tableSeconds, 0, 'f', 3));
    };

    say(QStringLiteral("machine: %1").arg(bench::machineDescription()));
    say(QStringLiteral("best of %1 runs of each copy and each replay").arg(rounds));
    say(QStringLiteral("rows: %1, eight columns (INT, VARCHAR(100), DECIMAL(12,2), DOUBLE, DATE, "
                       "DATETIME, TEXT, BIGINT)")
            .arg(rows));
    bed.mysql(bench::mysqlBenchTable(rows), database);

    // MySQL -> Oracle through the program, then the same stream without it.
    // The replays' statements are made only after the program's copy, so
    // that they do not count in the copy's memory.
    qint64 dataBytes = 0;
    Copy toOracle;
    double oracleReplay = 1e300;
    QList<double> oracleRatios;
    CommandCopy oracleCommand;
    for (int r = 0; r < rounds; ++r) {
        if (r % 2 == 1)
            commandRound(true, QStringLiteral("bench"), oracleCommand, r);
        const Copy c = runCopy(details, true, QStringLiteral("bench"));
        takeRound(toOracle, c, r == 0);
        QList<QByteArray> oracleStream
            = oracleStatementsFor(details, QStringLiteral("bench"), dataBytes);
        if (r > 0) // the first round has no table to drop yet
            oracleStream.insert(0, QByteArrayLiteral("DROP TABLE \"bench_replay\""));
        const double replay
            = bench::replayThroughOdbc(db::OracleConnectionString(details), oracleStream);
        oracleReplay = std::min(oracleReplay, replay);
        oracleRatios << c.seconds / replay;
        sayRound(QStringLiteral("MySQL -> Oracle"), r, c, replay);
        if (r % 2 == 0)
            commandRound(true, QStringLiteral("bench"), oracleCommand, r);
    }

    // Oracle -> MySQL from a table of Oracle's own types that MySQL can hold
    // after the mapping (two text columns at most, see README's known limits).
    {
        QList<QByteArray> fill;
        for (const QString& sql : sql::dialect(sql::Server::Oracle).sessionStatements(false))
            fill << sql.toUtf8();
        fill << QByteArrayLiteral(
            "CREATE TABLE \"BENCH_O\"(\"ID\" NUMBER(10), \"NAME\" VARCHAR2(100), "
            "\"AMOUNT\" NUMBER(12,2), \"RATIO\" BINARY_DOUBLE, \"BORN\" DATE, "
            "\"SEEN\" TIMESTAMP, \"NOTE\" VARCHAR2(200), \"BIG\" NUMBER(19))");
        for (int i = 1; i <= rows; ++i)
            fill << QStringLiteral(
                "INSERT INTO \"BENCH_O\" VALUES('%1', 'name %1 O''Brien', '%2', '%3', "
                "'%4-01-01 00:00:00', '2000-01-01 10:00:%5.25', '%6', '%7')")
                        .arg(i)
                        .arg(i / 7.0, 0, 'f', 2)
                        .arg(i / 3.0, 0, 'g', 17)
                        .arg(1900 + i % 120)
                        .arg(i % 60, 2, 10, QLatin1Char('0'))
                        .arg(QStringLiteral("note ").repeated(1 + i % 20))
                        .arg(qint64(i) * 1000003)
                        .toUtf8();
        bench::replayThroughOdbc(db::OracleConnectionString(details), fill);
    }
    Copy toMySQL;
    double mysqlReplay = 1e300;
    double mysqlDriverReplay = 1e300;
    QList<double> mysqlRatios;
    CommandCopy mysqlCommand;
    for (int r = 0; r < rounds; ++r) {
        if (r % 2 == 1)
            commandRound(false, QStringLiteral("BENCH_O"), mysqlCommand, r);
        QStringList mysqlStream;
        test::GeneralLog log(bed.generalLogPath());
        const Copy c = runCopy(details, false, QStringLiteral("BENCH_O"));
        takeRound(toMySQL, c, r == 0);
        mysqlStream << QStringLiteral("DROP TABLE IF EXISTS `bench_o_replay`");
        for (const QString& q : log.queries(QStringLiteral("root@127.0.0.1 on ") + database)) {
            // Every table the copy made or dropped, the trial of a replacing
            // copy's new table included, under a name of the replay's own.
            QString replay = q;
            replay.replace(QStringLiteral("`BENCH_O`"), QStringLiteral("`bench_o_replay`"));
            replay.replace(QStringLiteral("`BENCH_O_tw_new`"), QStringLiteral("`bench_o_trial`"));
            if (replay.startsWith(QLatin1String("DROP TABLE `")))
                replay.insert(11, QLatin1String("IF EXISTS "));
            if (replay.startsWith(QLatin1String("CREATE TABLE"))
                || replay.startsWith(QLatin1String("INSERT INTO"))
                || replay.startsWith(QLatin1String("DROP TABLE")))
                mysqlStream << replay;
        }
        const double replay = replayMySQL(bed, database, mysqlStream);
        mysqlReplay = std::min(mysqlReplay, replay);
        mysqlRatios << c.seconds / replay;
        sayRound(QStringLiteral("Oracle -> MySQL"), r, c, replay);
        if (r % 2 == 0)
            commandRound(false, QStringLiteral("BENCH_O"), mysqlCommand, r);
        // The same statements through MariaDB Connector/ODBC (wide calls, as
        // the program must make): what the driver itself adds to the client.
        QList<QByteArray> odbcStream {
            sql::dialect(sql::Server::MySQL).sessionStatements(false).first().toUtf8()
        };
        for (const QString& sql : std::as_const(mysqlStream))
            odbcStream << sql.toUtf8();
        const double throughDriver = bench::replayThroughOdbc(
            db::MySQLConnectionString(details), odbcStream, bench::Calls::Wide);
        mysqlDriverReplay = std::min(mysqlDriverReplay, throughDriver);
        say(QStringLiteral("  Oracle -> MySQL round %1: the replay through MariaDB "
                           "Connector/ODBC %2 s")
                .arg(r + 1)
                .arg(throughDriver, 0, 'f', 3));
    }

    // Memory: one more copy each way, each in a fresh process.
    {
        const Copy m = measureMemory(true, QStringLiteral("bench"), database, user);
        toOracle.startBytes = m.startBytes;
        toOracle.peakBytes = m.peakBytes;
        const Copy n = measureMemory(false, QStringLiteral("BENCH_O"), database, user);
        toMySQL.startBytes = n.startBytes;
        toMySQL.peakBytes = n.peakBytes;
    }

    auto rate = [&](double seconds) { return seconds > 0 ? rows / seconds : 0.0; };
    say(QString());
    say(QStringLiteral("%1 %2 %3 %4 %5")
            .arg(QStringLiteral("direction"), -22)
            .arg(QStringLiteral("program rows/s"), 15)
            .arg(QStringLiteral("replay rows/s"), 15)
            .arg(QStringLiteral("ratio"), 7)
            .arg(QStringLiteral("median of rounds' ratios"), 26));
    say(QStringLiteral("%1 %2 %3 %4 %5")
            .arg(QStringLiteral("MySQL -> Oracle"), -22)
            .arg(rate(toOracle.seconds), 15, 'f', 0)
            .arg(rate(oracleReplay), 15, 'f', 0)
            .arg(toOracle.seconds / oracleReplay, 7, 'f', 3)
            .arg(bench::median(oracleRatios), 26, 'f', 3));
    say(QStringLiteral("%1 %2 %3 %4 %5")
            .arg(QStringLiteral("Oracle -> MySQL"), -22)
            .arg(rate(toMySQL.seconds), 15, 'f', 0)
            .arg(rate(mysqlReplay), 15, 'f', 0)
            .arg(toMySQL.seconds / mysqlReplay, 7, 'f', 3)
            .arg(bench::median(mysqlRatios), 26, 'f', 3));
    say(QStringLiteral("%1 %2 %3 %4")
            .arg(QStringLiteral("  (through the driver)"), -22)
            .arg(QString(), 15)
            .arg(rate(mysqlDriverReplay), 15, 'f', 0)
            .arg(toMySQL.seconds / mysqlDriverReplay, 7, 'f', 3));
    say(QString());
    say(QStringLiteral("%1 %2 %3 %4")
            .arg(QStringLiteral("direction"), -22)
            .arg(QStringLiteral("window rows/s"), 15)
            .arg(QStringLiteral("command rows/s"), 15)
            .arg(QStringLiteral("command, the table alone"), 26));
    for (const auto& [name, window, command] :
        { std::tuple { "MySQL -> Oracle", toOracle.seconds, oracleCommand },
            { "Oracle -> MySQL", toMySQL.seconds, mysqlCommand } })
        say(QStringLiteral("%1 %2 %3 %4")
                .arg(QLatin1String(name), -22)
                .arg(rate(window), 15, 'f', 0)
                .arg(rate(command.processSeconds), 15, 'f', 0)
                .arg(rate(command.tableSeconds), 26, 'f', 0));
    say(QString());
    const double mb = 1024.0 * 1024.0;
    say(QStringLiteral("table data (value texts): %1 MB").arg(dataBytes / mb, 0, 'f', 1));
    say(QStringLiteral("memory goal for a copy: at most %1 MB (twice the data plus 50 MB)")
            .arg((2 * dataBytes) / mb + 50, 0, 'f', 1));
    for (const auto& [name, c] :
        { std::pair { "MySQL -> Oracle", toOracle }, { "Oracle -> MySQL", toMySQL } }) {
        say(QStringLiteral(
            "%1 (own process): peak resident %2 MB, %3 MB before the click, growth %4 MB")
                .arg(QLatin1String(name))
                .arg(c.peakBytes / mb, 0, 'f', 1)
                .arg(c.startBytes / mb, 0, 'f', 1)
                .arg((c.peakBytes - c.startBytes) / mb, 0, 'f', 1));
        say(QStringLiteral(
            "%1: longest wait between two yields %2 ms, %3 ms of it the program's own "
            "work (goal: under 50 ms); %4 yields")
                .arg(QLatin1String(name))
                .arg(c.longestYieldGapNs / 1e6, 0, 'f', 1)
                .arg(c.longestOwnGapNs / 1e6, 0, 'f', 1)
                .arg(c.yields));
    }

    qsizetype reportedSize = 0;
    const double reportSeconds = showLargestReport(reportedSize);
    say(QStringLiteral("showing the report of a 16 MB BLOB's INSERT (%1 characters): %2 s")
            .arg(reportedSize)
            .arg(reportSeconds, 0, 'f', 3));

    // Listing 10,000 Oracle tables into a list box.
    const QString lister = bed.freshOracleUser(QStringLiteral("BENCHLIST"));
    QList<QByteArray> creates;
    for (int i = 0; i < tables; ++i)
        creates << QStringLiteral("CREATE TABLE \"T%1\"(\"A\" INT)")
                       .arg(i, 5, 10, QLatin1Char('0'))
                       .toUtf8();
    bench::replayThroughOdbc(db::OracleConnectionString(bed.login(database, lister)), creates);
    tables::TableListBox list;
    db::FixedLogin listLogin(bed.login(database, lister));
    const double start = bench::now();
    db::ListOracleTables(list, listLogin);
    const double listing = bench::now() - start;
    say(QStringLiteral("listing %1 tables into a list box: %2 s (%3 entries)")
            .arg(tables)
            .arg(listing, 0, 'f', 3)
            .arg(list.ListCount()));
    return 0;
}

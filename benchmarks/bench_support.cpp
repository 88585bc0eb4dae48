#include "bench_support.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSysInfo>
#include <QTemporaryFile>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tw::bench {

qint64 peakResidentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    static const QRegularExpression hwm(QStringLiteral("VmHWM:\\s+(\\d+) kB"));
    const auto m = hwm.match(QString::fromLatin1(status.readAll()));
    return m.hasMatch() ? m.captured(1).toLongLong() * 1024 : -1;
}

void resetPeakResident()
{
    // Writing 5 to clear_refs resets VmHWM to the current resident size.
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

double now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

QString machineDescription()
{
    QString cpu;
    QFile info(QStringLiteral("/proc/cpuinfo"));
    if (info.open(QIODevice::ReadOnly)) {
        static const QRegularExpression model(QStringLiteral("model name\\s*:\\s*(.*)"));
        const auto m = model.match(QString::fromLatin1(info.readAll()));
        if (m.hasMatch())
            cpu = m.captured(1).trimmed();
    }
    return QStringLiteral("%1, %2 cores, %3")
        .arg(cpu)
        .arg(QThread::idealThreadCount())
        .arg(QSysInfo::prettyProductName());
}

double median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

QString mysqlBenchTable(int rows)
{
    return QStringLiteral(
        "CREATE TABLE bench(id INT, name VARCHAR(100), amount DECIMAL(12,2), ratio DOUBLE, "
        "born DATE, "
        "seen DATETIME, note TEXT, big BIGINT);"
        "INSERT INTO bench SELECT seq, CONCAT('name ', seq, ' O''Brien'), seq / 7, seq / 3.0, "
        "DATE_ADD('1970-01-01', INTERVAL seq % 20000 DAY), "
        "DATE_ADD('2000-01-01 00:00:00', INTERVAL seq SECOND), REPEAT('note ', 1 + seq % 20), "
        "seq * 1000003 FROM seq_1_to_%1;")
        .arg(rows);
}

// Runs `command` (looked up in PATH) with stdin from `inputPath` and stdout
// into `outputPath` (else kept in Child::out), and waits for it with wait4,
// which tells its peak resident set. A child's peak counts the resident set
// this process had when it forked (the kernel carries it over), so this
// process keeps small: nothing large is read into it.
Child runMeasured(const QStringList& command, const QHash<QString, QString>& environment,
    const QString& inputPath, const QString& outputPath)
{
    QTemporaryFile tempOut;
    QFile fileOut(outputPath);
    QFile& out = outputPath.isEmpty() ? static_cast<QFile&>(tempOut) : fileOut;
    QTemporaryFile err;
    const bool opened = outputPath.isEmpty()
        ? tempOut.open()
        : fileOut.open(QIODevice::ReadWrite | QIODevice::Truncate);
    if (!opened || !err.open())
        qFatal("cannot make temporary files");
    // Everything exec needs is made before fork: the child may only exec.
    QList<QByteArray> args;
    for (const QString& a : command)
        args << a.toLocal8Bit();
    std::vector<char*> argv;
    for (QByteArray& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    QList<QByteArray> env;
    for (const QString& e : QProcessEnvironment::systemEnvironment().toStringList())
        env << e.toLocal8Bit();
    for (auto it = environment.begin(); it != environment.end(); ++it)
        env << (it.key() + QLatin1Char('=') + it.value()).toLocal8Bit();
    std::vector<char*> envp;
    for (QByteArray& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    const QByteArray input
        = (inputPath.isEmpty() ? QStringLiteral("/dev/null") : inputPath).toLocal8Bit();

    const double start = now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int in = ::open(input.constData(), O_RDONLY);
        if (in < 0)
            _exit(126);
        dup2(in, 0);
        dup2(out.handle(), 1);
        dup2(err.handle(), 2);
        execvpe(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    Child c;
    int status = 0;
    rusage usage {};
    wait4(pid, &status, 0, &usage);
    c.seconds = now() - start;
    c.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    c.peakBytes = qint64(usage.ru_maxrss) * 1024;
    c.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    err.seek(0);
    c.err = err.readAll();
    if (outputPath.isEmpty()) {
        out.seek(0);
        c.out = out.readAll();
    }
    return c;
}

void say(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

QStringList loginArguments(const db::LoginDetails& d)
{
    return { QStringLiteral("--oracle-sid"), d.oracleSid, QStringLiteral("--oracle-user"),
        d.oracleUser, QStringLiteral("--mysql-server"), d.mysqlServer,
        QStringLiteral("--mysql-port"), d.mysqlPort, QStringLiteral("--mysql-user"), d.mysqlUser,
        QStringLiteral("--mysql-database"), d.mysqlDatabase };
}

QHash<QString, QString> passwordEnvironment(const db::LoginDetails& d)
{
    return { { QStringLiteral("TABLEWRIGHT_ORACLE_PASSWORD"), d.oraclePassword },
        { QStringLiteral("TABLEWRIGHT_MYSQL_PASSWORD"), d.mysqlPassword } };
}

Child runProgram(const QStringList& arguments, const db::LoginDetails& d, const QString& program)
{
    const QString path = program.isEmpty()
        ? QCoreApplication::applicationDirPath() + QStringLiteral("/tablewright")
        : program;
    return runMeasured(
        QStringList { path } + arguments + loginArguments(d), passwordEnvironment(d));
}

QJsonObject firstTable(const Child& c)
{
    const QJsonArray tables
        = QJsonDocument::fromJson(c.out).object().value(QStringLiteral("tables")).toArray();
    return tables.isEmpty() ? QJsonObject() : tables.first().toObject();
}

} // namespace tw::bench

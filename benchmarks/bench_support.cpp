#include "bench_support.h"

#include <QFile>
#include <QRegularExpression>
#include <QSysInfo>
#include <QThread>
#include <algorithm>
#include <chrono>

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

} // namespace tw::bench

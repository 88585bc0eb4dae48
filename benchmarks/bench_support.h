#pragma once

#include "db/login_details.h"

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace tw::bench {

// Peak resident memory of this process since the last reset, in bytes.
qint64 peakResidentBytes();
void resetPeakResident();

// Seconds of a monotonic clock.
double now();

QString machineDescription();

// The middle value (the mean of the two middle ones for an even count).
double median(QList<double> values);

// The statements that make the benchmark's MySQL table `bench` of eight
// columns (INT, VARCHAR(100), DECIMAL(12,2), DOUBLE, DATE, DATETIME, TEXT,
// BIGINT) with `rows` rows.
QString mysqlBenchTable(int rows);

// A finished child process: its output and what it cost.
struct Child {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    double seconds = 0;
    qint64 peakBytes = 0; // the child's own peak resident set (ru_maxrss)
    // Its CPU time, user and system, every thread (ru_utime + ru_stime):
    // the copy's own work and its drivers', not the servers'.
    double cpuSeconds = 0;
};

// Runs `command` (looked up in PATH) with stdin from `inputPath` and stdout
// into `outputPath` (else kept in Child::out), and waits for it with wait4,
// which tells its peak resident set. A child's peak counts the resident set
// this process had when it forked, so the caller keeps small.
Child runMeasured(const QStringList& command, const QHash<QString, QString>& environment = {},
    const QString& inputPath = QString(), const QString& outputPath = QString());

// Prints a line at once: the figures are read while the benchmark runs.
void say(const QString& line);

// The logins as options and the passwords in the environment, so that the
// user's saved details stay untouched.
QStringList loginArguments(const db::LoginDetails& d);
QHash<QString, QString> passwordEnvironment(const db::LoginDetails& d);

// `program` (this build's tablewright when empty) with `arguments` and the
// logins, measured by runMeasured.
Child runProgram(
    const QStringList& arguments, const db::LoginDetails& d, const QString& program = QString());

// The first table's object in a `--json` summary; empty when there is none.
QJsonObject firstTable(const Child& c);

} // namespace tw::bench

#pragma once

#include <QList>
#include <QString>
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

} // namespace tw::bench

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

} // namespace tw::bench

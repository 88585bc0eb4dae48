#pragma once

#include <QString>
#include <QtGlobal>

namespace tw::bench {

// Peak resident memory of this process since the last reset, in bytes.
qint64 peakResidentBytes();
void resetPeakResident();

// Seconds of a monotonic clock.
double now();

QString machineDescription();

} // namespace tw::bench

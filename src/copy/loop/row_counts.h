#pragma once

#include <QtGlobal>

namespace tw::copy {

// The rows of the table being copied, so far.
struct RowCounts {
    qint64 read = 0; // rows taken from the source to be sent
    qint64 written = 0; // rows the target took
    qint64 refused = 0; // rows that could not be read, built or sent, or that the target refused
};

} // namespace tw::copy

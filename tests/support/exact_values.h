#pragma once

#include "db/value.h"

#include <QString>

namespace tw::test {

// Empty when `copy` holds the value of `original`, perhaps in another type
// that an exact copy chose for it: a TINYINT UNSIGNED back as SMALLINT, a
// BIT(64)'s bytes as a number, a DATE as a DATETIME at midnight, a
// TIMESTAMP(9) as its text, a DECIMAL as digits with more trailing zeros.
// Otherwise both values, described for a failure message.
QString exactDifference(const db::Value& original, const db::Value& copy);

} // namespace tw::test

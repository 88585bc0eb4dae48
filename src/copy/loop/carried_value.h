#pragma once

#include "odbc/value.h"

#include <QLatin1StringView>
#include <QString>

namespace tw::copy {

// The kind of value a target column keeps, which a value of either side is
// brought to before the two are compared: numbers by their exact decimal
// value (Float32 and Float64 through that IEEE precision first), dates and
// times by their fields, durations by their length, text by its code
// points, binary data by its bytes.
enum class Kept { Number, Float32, Float64, Timestamp, Duration, Text, Binary };

// A change a column mapping makes to values on their way, on purpose: it is
// a rule of the mapping, and a value it changed is no difference.
struct MappingRule {
    QLatin1StringView name; // for the summary and JSON: "single-precision"
    QLatin1StringView what; // one line: what the mapping does to the value
};

// A source value as its target column holds it once a copy carried it
// there: unchanged, changed by one rule of the mapping, or not at all.
struct Carried {
    // Null for NULL. A value that a text column keeps as its value text
    // (sql::valueText) may stay as read: its text is the target's.
    odbc::Value value;
    const MappingRule* rule = nullptr; // the change the mapping made, if any
    // Why the copy refuses the value's row ("column v: Oracle keeps an empty
    // text as NULL"); empty when it does not. `value` is then the value as
    // read.
    QString refusal;
};

} // namespace tw::copy

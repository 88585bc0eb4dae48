#pragma once

#include "sql/selection.h"

namespace tw::sql {

// Whether a key value's text is what its kind says: digits of a number,
// YYYY-MM-DD HH:MM:SS[.fffffffff], hex. A dialect writes any other text as
// quoted text, so that no text read back from a state can end a literal
// early.
bool wellFormed(const KeyValue& value);

} // namespace tw::sql

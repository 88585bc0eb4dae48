#pragma once

#include "copy/exact/exact_types.h"

#include <optional>

namespace tw::copy {

// A target column whose type the user chose (a job's "price" =
// "NUMBER(12,2)"): the type as written, and how values are checked against
// it and bound, read from its name and its length, precision, scale or
// fractional digits. Every value is checked as the copy checks any (a
// number with more digits after the point than the scale keeps, a
// timestamp with more fractional digits, are refused, not rounded); what
// the check does not cover, the target refuses (a number past the
// precision, a text past the length). Nothing when the type is not one of
// the target's that the copy writes.
std::optional<ExactColumn> overrideColumn(
    sql::Server target, const QString& name, const QString& type, bool notNull);

} // namespace tw::copy

#pragma once

#include "copy/exact/exact_types.h"
#include "odbc/value.h"

#include <QString>
#include <optional>

namespace tw::copy {

// How a value reaches its target column in an exact copy.
enum class Carry {
    Literal, // as `text`, inside the INSERT statement
    Parameter, // only as a bound parameter: Oracle takes at most 4,000 bytes
               // in one literal, and no U+0000 inside one
    Refused, // not at all without changing it; `reason` says why
};

struct ExactLiteral {
    Carry carry = Carry::Literal;
    QString text; // the literal, when carry is Literal
    QString reason; // why not, otherwise
};

// The literal that puts `value`, as read from the source, into `column`
// unchanged, whatever the session's NLS settings or sql_mode say:
//
//   numbers      exact decimal digits, unquoted; IEEE values as the
//                shortest digits of their double with an integer mantissa
//                ("17976931348623157E292"), quoted on Oracle so that they
//                reach BINARY_FLOAT and BINARY_DOUBLE whole
//   dates        Oracle: DATE 'YYYY-MM-DD', TO_DATE('...', 'YYYY-MM-DD HH24:MI:SS'),
//                TIMESTAMP 'YYYY-MM-DD HH24:MI:SS.FF'; MySQL: 'YYYY-MM-DD HH:MM:SS.ffffff'
//   durations    Oracle: INTERVAL '-34 22:59:59.5' DAY(2) TO SECOND(6);
//                MySQL: '-838:59:59.5'
//   text         quoted with quotes doubled; on MySQL, text holding a
//                backslash or U+0000 as _utf8mb4 X'...'
//   binary       MySQL X'...', Oracle '...' hex (read as RAW and BLOB bytes)
//   NULL         NULL
//
// Refused are values the target cannot hold exactly: an empty text or
// binary value on Oracle (it becomes NULL there), NaN and infinities on
// MySQL, a timestamp with more fractional digits than its column keeps, a
// duration past TIME's 838:59:59, a date before year 1.
ExactLiteral exactLiteral(const ExactColumn& column, const tw::odbc::Value& value);

// The IEEE double a FLOAT, DOUBLE, BINARY_FLOAT or BINARY_DOUBLE value read
// from the source stands for (a float exactly as its double; digits and
// Oracle's words for NaN and the infinities as read); none when the value
// is no number.
std::optional<double> ieeeValue(const tw::odbc::Value& value);

} // namespace tw::copy

#pragma once

#include "bulk/parameter_arrays.h"
#include "copy/exact/exact_types.h"
#include "odbc/value.h"

#include <QString>
#include <optional>

namespace tw::copy {

// How a value reaches its target column in an exact copy.
enum class Carry {
    Literal, // as a literal inside the INSERT statement, or bound
    Parameter, // only as a bound parameter: Oracle takes at most 4,000 bytes
               // in one literal, and no U+0000 inside one
    Refused, // not at all without changing it; `reason` says why
};

// A source value checked once against its target column, in the form that
// keeps it: whole numbers as read, other numbers as their exact digits
// (without an exponent), IEEE numbers as their double, dates and times as
// read, durations as their text, text and bytes as read. Its literal and
// its bound value are both made from it, so that a row is refused for the
// same reasons whichever way it travels.
//
// Refused are values the target cannot hold exactly: an empty text or
// binary value on Oracle (it becomes NULL there; sent as NULL instead into
// a nullable column whose emptyAsNull is set), NaN and infinities on
// MySQL, a timestamp with more fractional digits than its column keeps, a
// duration past TIME's 838:59:59, a date before year 1.
struct ExactValue {
    Carry carry = Carry::Literal;
    QString reason; // why not a literal, or not at all
    odbc::Value value; // Null for NULL
};
ExactValue checkValue(const ExactColumn& column, const odbc::Value& value);

// The literal that puts a checked value into its column unchanged, whatever
// the session's NLS settings or sql_mode say:
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
QString literalOf(const ExactColumn& column, const ExactValue& checked);

// The value bound for a checked value, in the form its parameter takes:
//
//   numbers          their exact decimal digits, SQL_C_CHAR, to Oracle as
//                    SQL_DECIMAL, to MySQL as SQL_VARCHAR (the server reads
//                    the digits as it reads the literal)
//   FLOAT, DOUBLE,   the double itself, SQL_C_DOUBLE (a float's double is
//   BINARY_*         exactly the float)
//   dates and        Oracle: SQL_C_TYPE_TIMESTAMP with every fractional
//   timestamps       digit; MySQL: the literal's text
//   durations        the literal's text: MySQL's TIME reads '-838:59:59',
//                    Oracle's INTERVAL DAY TO SECOND reads '-34 22:59:59.5'
//   text             SQL_C_WCHAR (UTF-8 SQL_C_CHAR into a MySQL session of
//                    that character set), U+0000 kept
//   binary data      SQL_C_BINARY
odbc::Value boundOf(const ExactColumn& column, const ExactValue& checked);
bulk::ParameterBinding parameterOf(const ExactColumn& column, bool narrowText);

// A value's check and literal at once.
struct ExactLiteral {
    Carry carry = Carry::Literal;
    QString text; // the literal, when carry is Literal
    QString reason; // why not, otherwise
};
ExactLiteral exactLiteral(const ExactColumn& column, const odbc::Value& value);

} // namespace tw::copy

#pragma once

#include "bulk/parameter_arrays.h"
#include "copy/exact/exact_types.h"
#include "odbc/value.h"

#include <QList>
#include <QString>

namespace tw::copy {

// An exact copy's values as bound parameters: for the rows of `copy --fast
// --types exact`, and for the single rows whose values no literal carries
// (long or U+0000 text, long binary data on Oracle).
//
// Each value is checked as its literal would be (exactLiteral), so that the
// same rows are refused for the same reasons whichever way they travel, and
// is then bound in the form that keeps it. The common values (whole numbers
// as read, plain decimal digits, IEEE numbers, dates, text and bytes) are
// checked without their literal's text being made:
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
//                    that character set: `narrowText`), U+0000 kept
//   binary data      SQL_C_BINARY
QList<bulk::ParameterBinding> exactParameters(const ExactTable& table, bool narrowText);

// Fills `bound` from a source row for exactParameters. Throws DbError
// naming the column and the reason when a value cannot go unchanged.
void exactBoundRow(
    const ExactTable& table, const QList<odbc::Value>& row, QList<odbc::Value>& bound);

} // namespace tw::copy

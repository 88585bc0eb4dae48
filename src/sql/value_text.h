#pragma once

#include "odbc/value.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

namespace tw::sql {

// The text a value travels as inside an INSERT statement: lossless and the
// same whatever the process locale or Qt's default locale are.
//
//   Null                   empty text (the INSERT builder sends NULL for it)
//   integers               decimal, '-' for negatives
//   QString                unchanged (text, and DECIMAL/NUMERIC digits)
//   float, double          shortest digits that read back to the same binary
//                          value in the value's own precision; '.' as the
//                          separator; plain notation when the decimal exponent
//                          lies in [-5, 15), otherwise "d.ddde<exp>" such as
//                          "1e15", "1.25e-7", "5e-324"; "-0" for negative zero;
//                          "NaN", "Inf" and "-Inf" for the non-finite values
//   SqlDate                YYYY-MM-DD
//   SqlTime                [-]HH:MM:SS, more hour digits when needed
//   SqlTimestamp           YYYY-MM-DD HH:MM:SS
//   (time and timestamp add '.' and the nanoseconds without trailing zeros
//    when the fraction is not zero)
//   bool                   1 or 0
//   QByteArray             uppercase hex, two digits per byte
//
// Any other type falls back to QVariant::toString(), which does not follow
// the locale either.
QString valueText(const tw::odbc::Value& value);

// A timestamp as valueText writes it, YYYY-MM-DD HH:MM:SS, with exactly
// `fractionDigits` digits of its fraction after a '.' (none for 0), or, for
// -1, the digits it needs as valueText writes them.
QString timestampText(const tw::odbc::SqlTimestamp& timestamp, int fractionDigits = -1);

// Appends valueText(value) to `out` when that text cannot hold a quote
// (Null, numbers, truth values, bytes, dates and times), without a string
// of its own; answers false and appends nothing for text and other kinds.
bool appendQuoteFreeText(QString& out, const tw::odbc::Value& value);

} // namespace tw::sql

#pragma once

#include "sql/dialect.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace tw::copy::schema {

// A CHECK condition in the target's words, when it is one both servers
// read alike: comparisons (= <> != < <= > >=) of a column with a number or
// with another column, joined by AND, in parentheses or not. Text, dates,
// functions and the rest compare or read differently on the two servers
// (letter case, trailing blanks, NLS formats), so those conditions are
// not translated. `columns`: the table's column names; a name may be
// quoted as either server quotes it, or bare (MySQL compares bare names
// without letter case, Oracle reads them in upper case).
std::optional<QString> targetCondition(const QString& condition, sql::Server from,
    const QStringList& columns, const sql::Dialect& target);

} // namespace tw::copy::schema

#pragma once

#include "odbc/error.h"

#include <QString>

namespace tw::tables {

// The text of the one report that ends a table's rows early, when a failure
// says that every later row would fail alike (`why`, met on `database`,
// "MySQL" or "Oracle"): `notCopied` of the table's `rows` did not arrive.
QString rowsNotCopiedText(qint64 notCopied, qint64 rows, const QString& table,
    odbc::LastingFailure why, const QString& database);

} // namespace tw::tables

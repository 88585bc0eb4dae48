#pragma once

#include <QString>

namespace tw::db {

// A name as a MySQL identifier in backquotes, or an Oracle identifier in
// double quotes. A quote character inside the name is written twice, so that
// every name reaches the server as exactly one identifier.
QString QuoteMySQLName(const QString& name);
QString QuoteOracleName(const QString& name);

} // namespace tw::db

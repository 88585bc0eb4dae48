#pragma once

#include "db/login_details.h"

#include <QString>

namespace tw::db {

// A connection-string attribute value as typed, or in braces when it holds
// ';', '{' or '}' (which would otherwise change the meaning of the string).
QString connectionStringValue(const QString& value);

QString MySQLConnectionString(const LoginDetails& login);
QString OracleConnectionString(const LoginDetails& login);

} // namespace tw::db

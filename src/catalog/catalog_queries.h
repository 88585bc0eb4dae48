#pragma once

#include "db/connection.h"
#include "odbc/value.h"

#include <QList>
#include <QString>

// The catalog readers' own helpers: how a name goes into a catalog query,
// and a query's few rows read whole.
namespace tw::catalog {

// A text for a MySQL statement that no sql_mode can read otherwise: the
// name's UTF-8 bytes in hex, compared byte for byte, so letter case counts.
QString mysqlBytes(const QString& text);
// " WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = X'...'"
QString mysqlTableWhere(const QString& table);
// An Oracle text literal, quotes doubled.
QString oracleText(const QString& text);

// Every row of a query's result; nothing when it gives none.
QList<QList<odbc::Value>> queryRows(db::Connection& connection, const QString& sql);

// Whether the MySQL server is MariaDB, which keeps defaults in a form of
// its own (see readMySQLColumnExtras).
bool isMariaDBServer(db::Connection& connection);

} // namespace tw::catalog

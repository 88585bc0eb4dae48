#pragma once

#include "db/connection.h"

namespace tw::copy {

// What sending rows needs to know of a MySQL session: whether it reads and
// writes text as UTF-8 with every character (utf8mb4), so that narrow text
// (SQL_C_CHAR) carries it (MariaDB Connector/ODBC sets utf8mb4 for a
// connection made with the wide calls, whatever the server's default is),
// and the largest packet the server takes.
struct MySQLSession {
    bool utf8 = false;
    qint64 maxPacket = 0;
};
MySQLSession readMySQLSession(db::Connection& connection);

} // namespace tw::copy

#pragma once

#include <QString>

namespace tw::odbc {

// The version the loaded ODBC driver manager reports of itself (SQL_DM_VER:
// "03.52.0002.0003", the ODBC version then unixODBC's major and minor), asked
// on an unconnected connection handle, so that no driver is loaded. Empty
// when the driver manager does not answer.
QString driverManagerVersion();

} // namespace tw::odbc

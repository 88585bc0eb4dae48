#include "odbc/driver_manager.h"

#include "odbc/handles.h"

namespace tw::odbc {

QString driverManagerVersion()
{
    try {
        ConnectionHandle connection = ConnectionHandle::allocate();
        SQLCHAR text[64] = {};
        SQLSMALLINT length = 0;
        if (!SQL_SUCCEEDED(
                SQLGetInfo(connection.get(), SQL_DM_VER, text, SQLSMALLINT(sizeof text), &length)))
            return {};
        return QString::fromLatin1(reinterpret_cast<const char*>(text));
    } catch (...) {
        // No environment or handle could be had: the version stays unknown.
        return {};
    }
}

} // namespace tw::odbc

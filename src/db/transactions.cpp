#include "db/transactions.h"

#include "db/yield.h"
#include "odbc/error.h"

#include <sqlext.h>

namespace tw::db {

namespace {
SQLHDBC openHandle(Connection& connection)
{
    if (!connection.isOpen())
        throw odbc::DbError(QStringLiteral("Operation is not allowed when the object is closed."));
    return connection.handle();
}

void endTransaction(Connection& connection, SQLSMALLINT completion)
{
    const SQLHDBC dbc = openHandle(connection);
    DriverWait wait;
    odbc::check(SQLEndTran(SQL_HANDLE_DBC, dbc, completion), SQL_HANDLE_DBC, dbc);
}
} // namespace

void SetAutocommit(Connection& connection, bool on)
{
    const SQLHDBC dbc = openHandle(connection);
    DriverWait wait;
    odbc::check(
        SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT,
            reinterpret_cast<SQLPOINTER>(SQLULEN(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF)), 0),
        SQL_HANDLE_DBC, dbc);
}

void Commit(Connection& connection)
{
    endTransaction(connection, SQL_COMMIT);
}

void Rollback(Connection& connection)
{
    endTransaction(connection, SQL_ROLLBACK);
}

} // namespace tw::db

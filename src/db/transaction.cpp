#include "db/transaction.h"

#include "db/yield.h"
#include "odbc/error.h"
#include "odbc/handles.h"

#include <sqlext.h>

namespace tw::db {

namespace {

SQLHDBC openHandle(Connection& connection)
{
    if (!connection.isOpen())
        throw odbc::DbError(QStringLiteral("08003"),
            QStringLiteral("Operation is not allowed when the object is closed."));
    return connection.handle();
}

void setAutocommit(Connection& connection, bool on)
{
    const SQLHDBC dbc = openHandle(connection);
    DriverWait wait;
    odbc::check(
        SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT,
            reinterpret_cast<SQLPOINTER>(SQLULEN(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF)), 0),
        SQL_HANDLE_DBC, dbc);
}

void endTransaction(Connection& connection, SQLSMALLINT completion)
{
    const SQLHDBC dbc = openHandle(connection);
    DriverWait wait;
    odbc::check(SQLEndTran(SQL_HANDLE_DBC, dbc, completion), SQL_HANDLE_DBC, dbc);
}

} // namespace

ManualCommit::ManualCommit(Connection& connection)
    : m_connection(connection)
{
    setAutocommit(connection, false);
}

ManualCommit::~ManualCommit()
{
    // After the last commit this undoes nothing.
    try {
        endTransaction(m_connection, SQL_ROLLBACK);
    } catch (...) {
        // The connection is gone, and its transaction with it.
    }
    try {
        setAutocommit(m_connection, true);
    } catch (...) {
        // As above: nothing is left to switch back.
    }
}

void ManualCommit::commit()
{
    endTransaction(m_connection, SQL_COMMIT);
}

void ManualCommit::rollback()
{
    endTransaction(m_connection, SQL_ROLLBACK);
}

} // namespace tw::db

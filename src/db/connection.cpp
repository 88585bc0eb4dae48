#include "db/connection.h"

#include "db/db_error.h"
#include "db/recordset.h"

namespace tw::db {

namespace {
    // ADO's own wording for calls on a connection in the wrong state.
    const char* const notWhenOpen = "Operation is not allowed when the object is open.";
    const char* const notWhenClosed = "Operation is not allowed when the object is closed.";
} // namespace

Connection::Connection() = default;
Connection::~Connection() = default;

void Connection::Open(const QString& connectionString)
{
    if (m_dbc.connected())
        throw DbError(QString::fromLatin1(notWhenOpen));
    ConnectionHandle dbc = ConnectionHandle::allocate();
    if (ConnectionTimeout > 0)
        check(SQLSetConnectAttr(dbc.get(), SQL_ATTR_LOGIN_TIMEOUT,
                  reinterpret_cast<SQLPOINTER>(SQLULEN(ConnectionTimeout)), 0),
            SQL_HANDLE_DBC, dbc.get());
    std::vector<SQLWCHAR> in = toSqlWChar(connectionString);
    SQLWCHAR out[1024];
    SQLSMALLINT outLength = 0;
    check(SQLDriverConnectW(dbc.get(), nullptr, in.data(), SQL_NTS, out, SQLSMALLINT(std::size(out)),
              &outLength, SQL_DRIVER_NOPROMPT),
        SQL_HANDLE_DBC, dbc.get());
    dbc.markConnected();
    m_dbc = std::move(dbc);
}

StatementHandle Connection::newStatement()
{
    if (!m_dbc.connected())
        throw DbError(QString::fromLatin1(notWhenClosed));
    StatementHandle stmt = StatementHandle::allocate(m_dbc);
    if (CommandTimeout > 0) {
        // Not every driver keeps a query timeout; one that declines it
        // still runs the statement.
        SQLSetStmtAttr(stmt.get(), SQL_ATTR_QUERY_TIMEOUT,
            reinterpret_cast<SQLPOINTER>(SQLULEN(CommandTimeout)), 0);
    }
    return stmt;
}

std::unique_ptr<Recordset> Connection::Execute(const QString& sql)
{
    StatementHandle stmt = newStatement();
    std::vector<SQLWCHAR> text = toSqlWChar(sql);
    check(SQLExecDirectW(stmt.get(), text.data(), SQL_NTS), SQL_HANDLE_STMT, stmt.get());
    SQLSMALLINT columns = 0;
    check(SQLNumResultCols(stmt.get(), &columns), SQL_HANDLE_STMT, stmt.get());
    if (columns <= 0)
        return nullptr;
    auto result = std::make_unique<Recordset>();
    result->attach(std::move(stmt));
    return result;
}

void Connection::Close()
{
    if (!m_dbc.connected())
        throw DbError(QString::fromLatin1(notWhenClosed));
    m_dbc.reset();
}

} // namespace tw::db

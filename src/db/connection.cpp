#include "db/connection.h"

#include "db/recordset.h"
#include "db/yield.h"
#include "odbc/error.h"

#include <utility>

namespace tw::db {

namespace {
// ADO's own wording for calls on a connection in the wrong state.
const char* const notWhenOpen = "Operation is not allowed when the object is open.";
const char* const notWhenClosed = "Operation is not allowed when the object is closed.";

// A statement through a connection that is not open: 08003 is ODBC's
// "connection not open", which tells callers that every later statement
// through it fails alike.
odbc::DbError notOpen()
{
    return odbc::DbError(QStringLiteral("08003"), QString::fromLatin1(notWhenClosed));
}

// The driver's file name: libmaodbc.so here, maodbc.dll on Windows.
bool isMariaDBDriver(SQLHDBC dbc)
{
    SQLWCHAR name[256] = {};
    SQLSMALLINT length = 0;
    odbc::check(SQLGetInfoW(dbc, SQL_DRIVER_NAME, name, SQLSMALLINT(sizeof name), &length),
        SQL_HANDLE_DBC, dbc);
    const QString file = odbc::fromSqlWChar(name, -1);
    return file.startsWith(QLatin1String("libmaodbc"), Qt::CaseInsensitive)
        || file.startsWith(QLatin1String("maodbc"), Qt::CaseInsensitive);
}
} // namespace

Connection::Connection() = default;

void Connection::Open(const QString& connectionString)
{
    if (m_dbc.connected())
        throw odbc::DbError(QString::fromLatin1(notWhenOpen));
    odbc::ConnectionHandle dbc = odbc::ConnectionHandle::allocate();
    if (ConnectionTimeout > 0)
        odbc::check(SQLSetConnectAttr(dbc.get(), SQL_ATTR_LOGIN_TIMEOUT,
                        reinterpret_cast<SQLPOINTER>(SQLULEN(ConnectionTimeout)), 0),
            SQL_HANDLE_DBC, dbc.get());
    std::vector<SQLWCHAR> in = odbc::toSqlWChar(connectionString);
    SQLWCHAR out[1024];
    SQLSMALLINT outLength = 0;
    DriverWait wait;
    odbc::check(SQLDriverConnectW(dbc.get(), nullptr, in.data(), SQL_NTS, out,
                    SQLSMALLINT(std::size(out)), &outLength, SQL_DRIVER_NOPROMPT),
        SQL_HANDLE_DBC, dbc.get());
    dbc.markConnected();
    m_mariadb = isMariaDBDriver(dbc.get());
    // MariaDB Connector/ODBC 3.1.15 claims positioned reads in a block but
    // hands out the block's last row after SQLSetPos to another.
    m_positionedReads = !m_mariadb && odbc::positionedReads(dbc.get());
    m_dbc = std::move(dbc);
}

void Connection::pauseReaders()
{
    for (Recordset* r : std::as_const(m_readers))
        r->pauseReading();
}

void Connection::detachReaders()
{
    const QList<Recordset*> readers = std::exchange(m_readers, {});
    for (Recordset* r : readers)
        r->detachFromConnection();
}

odbc::ResultReader::Options Connection::readerOptions(int maxRows) const
{
    odbc::ResultReader::Options options;
    options.maxRows = maxRows;
    options.positionedReads = m_positionedReads;
    return options;
}

odbc::StatementHandle Connection::newStatement()
{
    pauseReaders();
    if (!m_dbc.connected())
        throw notOpen();
    odbc::StatementHandle stmt = odbc::StatementHandle::allocate(m_dbc);
    // ODBC's default, which MariaDB's driver does not keep (it makes static
    // cursors); whether a result's count is exact is asked of this type. A
    // driver that substitutes another type says so when asked.
    SQLSetStmtAttrW(stmt.get(), SQL_ATTR_CURSOR_TYPE,
        reinterpret_cast<SQLPOINTER>(SQLULEN(SQL_CURSOR_FORWARD_ONLY)), 0);
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
    pauseReaders();
    const bool reuse = m_plain.valid() && m_dbc.connected() && m_plainTimeout == CommandTimeout;
    odbc::StatementHandle stmt = reuse ? std::move(m_plain) : newStatement();
    const SQLHSTMT h = stmt.get();
    // QString holds UTF-16, which is what unixODBC's SQLWCHAR is.
    static_assert(sizeof(SQLWCHAR) == sizeof(ushort));
    auto* text = reinterpret_cast<SQLWCHAR*>(const_cast<ushort*>(sql.utf16()));
    {
        DriverWait wait;
        odbc::check(SQLExecDirectW(h, text, SQLINTEGER(sql.size())), SQL_HANDLE_STMT, h);
    }
    SQLSMALLINT columns = 0;
    odbc::check(SQLNumResultCols(h, &columns), SQL_HANDLE_STMT, h);
    if (columns <= 0) {
        SQLFreeStmt(h, SQL_CLOSE);
        m_plain = std::move(stmt);
        m_plainTimeout = CommandTimeout;
        return nullptr;
    }
    auto result = std::make_unique<Recordset>();
    result->attach(std::move(stmt), *this);
    return result;
}

void Connection::Close()
{
    if (!m_dbc.connected())
        throw notOpen();
    // Statements go before their connection: unixODBC must not see a
    // statement freed after the disconnect.
    detachReaders();
    DriverWait wait;
    m_plain.reset();
    m_dbc.reset();
}

Connection::~Connection()
{
    detachReaders();
    m_plain.reset();
    m_dbc.reset();
}

void ExecuteSql(Connection& connection, const QString& sql)
{
    connection.Execute(sql);
}

} // namespace tw::db

#include "copy/table_copy.h"

#include "db/connection_strings.h"
#include "odbc/error.h"

namespace tw::copy {

namespace {
// A piece of a run that failed to be made is reported where it is first
// used, in the words the window's report has always used.
template <typename T> T& made(const std::unique_ptr<T>& object)
{
    if (!object)
        throw odbc::DbError(QStringLiteral("Object variable or With block variable not set"));
    return *object;
}
} // namespace

TableCopy::TableCopy(sql::Server target, const StopRequest* stop, bool exactValues)
    : m_target(target)
    , m_stop(stop)
    , m_exactValues(exactValues)
{ }

// The recordset may be reading ahead on a connection: it goes first.
TableCopy::~TableCopy()
{
    m_rs.reset();
}

void TableCopy::createConnection(sql::Server side)
{
    (side == sql::Server::Oracle ? m_oracle : m_mysql) = std::make_unique<db::Connection>();
}

void TableCopy::createRecordset()
{
    m_rs = std::make_unique<db::Recordset>();
}

db::Connection& TableCopy::connection(sql::Server side) const
{
    return made(side == sql::Server::Oracle ? m_oracle : m_mysql);
}

db::Recordset& TableCopy::recordset() const
{
    return made(m_rs);
}

int TableCopy::cursorLocation(sql::Server target, sql::Server side)
{
    // Reading Oracle into MySQL, the MySQL connection only writes.
    return side == sql::Server::MySQL && target == sql::Server::MySQL ? db::adUseServer
                                                                      : db::adUseClient;
}

void TableCopy::openConnection(sql::Server side, const db::LoginDetails& login)
{
    connection(side).Open(side == sql::Server::Oracle ? db::OracleConnectionString(login)
                                                      : db::MySQLConnectionString(login));
}

QStringList TableCopy::sessionStatements(sql::Server side) const
{
    return sql::dialect(side).sessionStatements(m_exactValues);
}

void TableCopy::connect(sql::Server side, const db::LoginDetails& login)
{
    if (!(side == sql::Server::Oracle ? m_oracle : m_mysql))
        createConnection(side);
    db::Connection& c = connection(side);
    c.CursorLocation = cursorLocation(m_target, side);
    c.CommandTimeout = timeoutSeconds;
    c.ConnectionTimeout = timeoutSeconds;
    openConnection(side, login);
    for (const QString& sql : sessionStatements(side))
        c.Execute(sql);
}

} // namespace tw::copy

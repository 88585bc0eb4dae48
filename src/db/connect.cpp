#include "db/connect.h"

#include "db/connection.h"
#include "db/connection_strings.h"

#include <exception>

namespace tw::db {

namespace {
bool canOpen(const QString& connectionString)
{
    // Creating the connection object may fail; that error is the caller's.
    Connection connection;
    try {
        connection.Open(connectionString);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}
} // namespace

bool ConnectMySQL(const LoginSource& login)
{
    return canOpen(MySQLConnectionString(login.loginDetails()));
}

bool ConnectOracle(const LoginSource& login)
{
    return canOpen(OracleConnectionString(login.loginDetails()));
}

} // namespace tw::db

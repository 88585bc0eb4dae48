#pragma once

#include <QString>

namespace tw::sql {

// The two kinds of database the program copies between. Everything that
// differs between them is asked of their dialect (dialect.h).
enum class Server { MySQL, Oracle };

constexpr Server otherServer(Server server)
{
    return server == Server::MySQL ? Server::Oracle : Server::MySQL;
}

// "MySQL" or "Oracle", as messages name them.
QString serverName(Server server);

} // namespace tw::sql

#include "copy/loop/mysql_session.h"

#include "db/recordset.h"
#include "sql/mysql_dialect.h"

namespace tw::copy {

MySQLSession readMySQLSession(db::Connection& connection)
{
    const std::unique_ptr<db::Recordset> rs = connection.Execute(sql::mysql().sessionQuery());
    MySQLSession session;
    if (!rs || rs->atEnd())
        return session;
    session.utf8 = true;
    for (int c = 0; c < 3; ++c)
        session.utf8 = session.utf8 && rs->field(c).Value.toString() == QLatin1String("utf8mb4");
    session.maxPacket = rs->field(3).Value.toLongLong();
    return session;
}

} // namespace tw::copy

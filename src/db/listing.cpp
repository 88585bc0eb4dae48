#include "db/listing.h"

#include "db/connection.h"
#include "db/connection_strings.h"
#include "db/recordset.h"
#include "db/yield.h"
#include "odbc/error.h"

namespace tw::db {

namespace {
void fill(TableList& list, Recordset& rs)
{
    list.Clear();
    const qint64 n = rs.RecordCount();
    for (qint64 i = 1; i <= n; ++i) {
        DoEvents();
        list.AddItem(rs.field(0).Value.toString());
        rs.MoveNext();
    }
    rs.Close();
    if (list.ListCount() > 0)
        list.SetListIndex(0);
}
} // namespace

void ListMySQLTables(TableList& list, const LoginSource& login)
{
    Connection connection;
    connection.CursorLocation = adUseClient;
    connection.Open(MySQLConnectionString(login.loginDetails()));
    std::unique_ptr<Recordset> rs = connection.Execute(QStringLiteral("SHOW TABLES;"));
    if (!rs)
        throw odbc::DbError(QStringLiteral("SHOW TABLES returned no result."));
    fill(list, *rs);
}

void ListOracleTables(TableList& list, const LoginSource& login)
{
    Connection connection;
    Recordset rs;
    connection.CursorLocation = adUseClient;
    connection.Open(OracleConnectionString(login.loginDetails()));
    rs.Open(QStringLiteral("SELECT table_name FROM user_tables"), connection);
    fill(list, rs);
}

} // namespace tw::db

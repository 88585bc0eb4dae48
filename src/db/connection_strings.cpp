#include "db/connection_strings.h"

namespace tw::db {

QString connectionStringValue(const QString& value)
{
    if (!value.contains(QLatin1Char(';')) && !value.contains(QLatin1Char('{'))
        && !value.contains(QLatin1Char('}')))
        return value;
    QString escaped = value;
    escaped.replace(QLatin1String("}"), QLatin1String("}}"));
    return QLatin1Char('{') + escaped + QLatin1Char('}');
}

QString MySQLConnectionString(const LoginDetails& login)
{
    return QLatin1String("DRIVER={MySQL ODBC 5.1 Driver};") + QLatin1String("SERVER=")
        + connectionStringValue(login.mysqlServer) + QLatin1String(";USER=")
        + connectionStringValue(login.mysqlUser) + QLatin1String(";DATABASE=")
        + connectionStringValue(login.mysqlDatabase) + QLatin1String(";PASSWORD=")
        + connectionStringValue(login.mysqlPassword) + QLatin1String(";PORT=")
        + connectionStringValue(login.mysqlPort) + QLatin1String(";");
}

QString OracleConnectionString(const LoginDetails& login)
{
    return QLatin1String("Driver={Microsoft ODBC for Oracle};Server=")
        + connectionStringValue(login.oracleSid) + QLatin1String(";Uid=")
        + connectionStringValue(login.oracleUser) + QLatin1String(";Pwd=")
        + connectionStringValue(login.oraclePassword) + QLatin1String(";");
}

} // namespace tw::db

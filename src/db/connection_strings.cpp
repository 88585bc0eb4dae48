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

// Oracle's own ODBC driver reads the net service name from DBQ and knows
// nothing of Server, the keyword of Microsoft's driver; each driver skips
// the keyword it does not know, so the SID goes under both names.
QString OracleConnectionString(const LoginDetails& login)
{
    const QString sid = connectionStringValue(login.oracleSid);
    return QLatin1String("Driver={Microsoft ODBC for Oracle};Server=") + sid
        + QLatin1String(";Uid=") + connectionStringValue(login.oracleUser) + QLatin1String(";Pwd=")
        + connectionStringValue(login.oraclePassword) + QLatin1String(";DBQ=") + sid
        + QLatin1String(";");
}

} // namespace tw::db

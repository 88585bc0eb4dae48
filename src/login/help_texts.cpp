#include "login/help_texts.h"

namespace tw::login {

namespace {
const QString CR = QStringLiteral("\r");
const QString CRLF = QStringLiteral("\r\n");
} // namespace

QString MySQLHelpText()
{
    QString text;
    text += QStringLiteral(
        "If you cannot establish connection to your database with this program, please go to: ");
    text += CR + CR;
    text += QStringLiteral("https://downloads.mysql.com/archives/gui/");
    text += CR + CR;
    text += QStringLiteral("Download and install the MySQL GUI Tools. Use the MySQL Query Browser. "
                           "Try to connect to ");
    text += QStringLiteral("the same database (with the same login information you are using "
                           "here). This will determine if ");
    text += QStringLiteral("the login you are using is correct.");
    text += CR + CR;
    text += QStringLiteral(" Finally, make sure your host allows a direct connection to your MySQL "
                           "database -- not a web based connection, for example.");
    return text;
}

QString SidHelpText()
{
    const QString lines[] = {
        QStringLiteral("ZEDA ="),
        QStringLiteral(" (DESCRIPTION ="),
        QStringLiteral("   (ADDRESS_LIST ="),
        QStringLiteral("     (ADDRESS = (PROTOCOL = TCP)(HOST = ")
            + QStringLiteral("dbserver.example.com") + QStringLiteral(")(PORT = 1521))"),
        QStringLiteral("   )"),
        QStringLiteral("   (CONNECT_DATA ="),
        QStringLiteral("     (SID = ZEDA)"),
        QStringLiteral("   )"),
        QStringLiteral(" )"),
    };
    QString text;
    text += QStringLiteral("This software works with Oracle 9i or higher.");
    text += CR + CR;
    text += QStringLiteral(
        "The SID is used to identify a particular database. The SID is usually defined in the "
        "TNSNAMES.ORA file. The TNSNAMES.ORA file found in my Oracle 9i folder looks like:");
    text += CRLF + CRLF;
    for (int i = 0; i < 9; ++i) {
        text += lines[i];
        if (i < 8)
            text += CRLF;
    }
    text += CRLF + CRLF;
    text += QStringLiteral("Therefore, my SID would be ZEDA");
    return text;
}

QString OracleHelpText()
{
    return QStringLiteral("This software does not support the CLOB and NLOB data type in Oracle.");
}

} // namespace tw::login

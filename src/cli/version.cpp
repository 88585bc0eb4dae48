#include "cli/version.h"

#include "cli/build_commit.h"
#include "odbc/driver_manager.h"

#include <QStringList>
#include <QtGlobal>

namespace tw::cli {

namespace {
// "03.52.0002.0003" -> "unixODBC 2.3 (SQL_DM_VER 03.52.0002.0003)"
QString driverManagerLine()
{
    const QString reported = odbc::driverManagerVersion();
    const QStringList parts = reported.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return QStringLiteral("unixODBC unknown");
    return QStringLiteral("unixODBC %1.%2 (SQL_DM_VER %3)")
        .arg(parts[2].toInt())
        .arg(parts[3].toInt())
        .arg(reported);
}
} // namespace

QString VersionText()
{
    return QStringLiteral("tablewright " TABLEWRIGHT_VERSION "\n") + QStringLiteral("Qt ")
        + QLatin1String(qVersion()) + QLatin1Char('\n') + driverManagerLine() + QLatin1Char('\n')
        + QStringLiteral("git commit ") + QLatin1String(BuildCommit()) + QLatin1Char('\n');
}

} // namespace tw::cli

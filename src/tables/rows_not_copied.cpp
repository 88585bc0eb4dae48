#include "tables/rows_not_copied.h"

namespace tw::tables {

namespace {
QString reason(odbc::LastingFailure why, const QString& database)
{
    switch (why) {
    case odbc::LastingFailure::ConnectionGone:
        return QStringLiteral("the connection to %1 is not open or was lost.").arg(database);
    case odbc::LastingFailure::TableMissing:
        return QStringLiteral("the table does not exist in %1.").arg(database);
    case odbc::LastingFailure::NoRoom:
        return QStringLiteral("%1 has no room left for them.").arg(database);
    case odbc::LastingFailure::None:
        break;
    }
    return QStringLiteral("every later row would have failed as well.");
}
} // namespace

QString rowsNotCopiedText(qint64 notCopied, qint64 rows, const QString& table,
    odbc::LastingFailure why, const QString& database)
{
    return QStringLiteral("%1 of %2 %3 of table \"%4\" %5 not copied: %6")
        .arg(QString::number(notCopied), QString::number(rows),
            rows == 1 ? QStringLiteral("row") : QStringLiteral("rows"), table,
            notCopied == 1 ? QStringLiteral("was") : QStringLiteral("were"), reason(why, database));
}

} // namespace tw::tables

#include "transfer/bulk_statements.h"

namespace tw::transfer {

namespace {

QString quotedText(const QString& text)
{
    QString out = text;
    out.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + out + QLatin1Char('\'');
}

QString limit(qint64 rows)
{
    return QStringLiteral(" LIMIT %1").arg(rows);
}

} // namespace

QString mysqlCountStatement(const QString& table)
{
    return QStringLiteral("SELECT COUNT(*) FROM ") + mysqlName(table);
}

QString markerInsert(Direction direction, const QString& targetName, int values)
{
    QStringList markers;
    for (int i = 0; i < values; ++i)
        markers << QStringLiteral("?");
    const QString target
        = direction == Direction::ToOracle ? oracleName(targetName) : mysqlName(targetName);
    return QStringLiteral("INSERT INTO ") + target + QStringLiteral(" VALUES(")
        + markers.join(QLatin1String(", ")) + QLatin1Char(')');
}

QStringList mysqlSnapshotStatements()
{
    return { QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ"),
        QStringLiteral("START TRANSACTION WITH CONSISTENT SNAPSHOT") };
}

QString mysqlSnapshotEnd()
{
    return QStringLiteral("COMMIT");
}

QString mysqlTransactionalQuery(const QString& table)
{
    return QStringLiteral("SELECT e.TRANSACTIONS FROM information_schema.TABLES t JOIN "
                          "information_schema.ENGINES e ON e.ENGINE = t.ENGINE WHERE "
                          "t.TABLE_SCHEMA = DATABASE() AND t.TABLE_NAME = %1 AND BINARY "
                          "t.TABLE_NAME = %1")
        .arg(quotedText(table));
}

namespace {
const QString handlerName = QStringLiteral("`tw_rows`");
}

QString mysqlHandlerOpen(const QString& table)
{
    return QStringLiteral("HANDLER ") + mysqlName(table) + QStringLiteral(" OPEN AS ")
        + handlerName;
}

QString mysqlHandlerPage(bool first, qint64 rows)
{
    return QStringLiteral("SELECT 1; HANDLER ") + handlerName
        + (first ? QStringLiteral(" READ FIRST") : QStringLiteral(" READ NEXT")) + limit(rows);
}

QString mysqlHandlerClose()
{
    return QStringLiteral("HANDLER ") + handlerName + QStringLiteral(" CLOSE");
}

QString mysqlOffsetPage(const QString& table, qint64 offset, qint64 rows)
{
    return QStringLiteral("SELECT * FROM ") + mysqlName(table)
        + (offset > 0 ? QStringLiteral(" LIMIT %1, %2").arg(offset).arg(rows) : limit(rows));
}

} // namespace tw::transfer

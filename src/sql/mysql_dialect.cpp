#include "sql/mysql_dialect.h"

namespace tw::sql {

namespace {

// The tests in the order that decides overlapping names: "adlongvarchar"
// holds both "char" and "long".
constexpr WordTest tests[] = {
    { QLatin1StringView("char"), QLatin1StringView(" VARCHAR(8000),") },
    { QLatin1StringView("dec"), QLatin1StringView(" FLOAT,") },
    { QLatin1StringView("numeric"), QLatin1StringView(" FLOAT,") },
    { QLatin1StringView("double"), QLatin1StringView(" FLOAT,") },
    { QLatin1StringView("smallint"), QLatin1StringView(" FLOAT,") },
    { QLatin1StringView("int"), QLatin1StringView(" FLOAT,") },
    { QLatin1StringView("long"), QLatin1StringView(" VARCHAR(8000),") },
    { QLatin1StringView("date"), QLatin1StringView(" DATETIME,") },
    { QLatin1StringView("timestamp"), QLatin1StringView(" DATETIME,") },
};
constexpr QLatin1StringView otherwise(" VARCHAR(8000),");

const QString handlerName = QStringLiteral("`tw_rows`");

} // namespace

QString MySQLDialect::quote(const QString& name) const
{
    return quoteWith(name, QLatin1Char('`'));
}

qsizetype MySQLDialect::nameSize(QStringView name) const
{
    // UTF-16 units count a character beyond the BMP twice: on the safe side
    // of MySQL's limit in characters.
    return name.size();
}

QStringList MySQLDialect::sessionStatements(bool exactValues) const
{
    // An exact copy sets sql_mode whole instead of adding to the server's:
    // strict, so that a value MySQL cannot hold is refused and never cut or
    // rounded to fit, and without the modes that change values
    // (EMPTY_STRING_IS_NULL, PAD_CHAR_TO_FULL_LENGTH, ORACLE's DATE);
    // NO_AUTO_VALUE_ON_ZERO keeps a 0 written into an AUTO_INCREMENT column.
    if (exactValues)
        return { QStringLiteral("SET SESSION sql_mode = "
                                "'STRICT_ALL_TABLES,NO_BACKSLASH_ESCAPES,NO_ENGINE_SUBSTITUTION,"
                                "NO_AUTO_VALUE_ON_ZERO'") };
    return { QStringLiteral("SET SESSION sql_mode = CONCAT_WS(',', NULLIF(@@SESSION.sql_mode, ''), "
                            "'NO_BACKSLASH_ESCAPES')") };
}

QString MySQLDialect::renameTable(const QString& from, const QString& to) const
{
    return QStringLiteral("RENAME TABLE ") + quote(from) + QStringLiteral(" TO ") + quote(to);
}

QString MySQLDialect::plainColumnType(const QString& lowerCaseAdoTypeName) const
{
    return firstMatch(tests, otherwise, lowerCaseAdoTypeName);
}

QStringList MySQLDialect::swapStatements(
    const QString& target, const QString& copy, const QString& backup) const
{
    return { QStringLiteral("RENAME TABLE ") + quote(target) + QStringLiteral(" TO ")
        + quote(backup) + QStringLiteral(", ") + quote(copy) + QStringLiteral(" TO ")
        + quote(target) };
}

QStringList MySQLDialect::snapshotStatements() const
{
    return { QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ"),
        QStringLiteral("START TRANSACTION WITH CONSISTENT SNAPSHOT") };
}

QString MySQLDialect::snapshotEnd() const
{
    return QStringLiteral("COMMIT");
}

QString MySQLDialect::handlerOpen(const QString& table) const
{
    return QStringLiteral("HANDLER ") + quote(table) + QStringLiteral(" OPEN AS ") + handlerName;
}

QString MySQLDialect::handlerPage(bool first, qint64 rows) const
{
    return QStringLiteral("SELECT 1; HANDLER ") + handlerName
        + (first ? QStringLiteral(" READ FIRST") : QStringLiteral(" READ NEXT"))
        + QStringLiteral(" LIMIT %1").arg(rows);
}

QString MySQLDialect::handlerClose() const
{
    return QStringLiteral("HANDLER ") + handlerName + QStringLiteral(" CLOSE");
}

QString MySQLDialect::offsetPage(const QString& select, qint64 offset, qint64 rows) const
{
    return select
        + (offset > 0 ? QStringLiteral(" LIMIT %1, %2").arg(offset).arg(rows)
                      : QStringLiteral(" LIMIT %1").arg(rows));
}

QString MySQLDialect::transactionalQuery(const QString& table) const
{
    return QStringLiteral("SELECT e.TRANSACTIONS FROM information_schema.TABLES t JOIN "
                          "information_schema.ENGINES e ON e.ENGINE = t.ENGINE WHERE "
                          "t.TABLE_SCHEMA = DATABASE() AND t.TABLE_NAME = %1 AND BINARY "
                          "t.TABLE_NAME = %1")
        .arg(Dialect::textLiteral(table));
}

QString MySQLDialect::sessionQuery() const
{
    return QStringLiteral("SELECT @@character_set_client, @@character_set_connection, "
                          "@@character_set_results, @@max_allowed_packet");
}

QString MySQLDialect::fractionRoundingQuery() const
{
    return QStringLiteral("SELECT SECOND(CAST('2000-01-01 00:00:00.9' AS DATETIME))");
}

const MySQLDialect& mysql()
{
    return static_cast<const MySQLDialect&>(dialect(Server::MySQL));
}

} // namespace tw::sql

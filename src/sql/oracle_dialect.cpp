#include "sql/oracle_dialect.h"

namespace tw::sql {

namespace {

// The tests in the order that decides overlapping names: "adlongvarbinary"
// holds "long" and is the whole name the last test seeks.
constexpr WordTest tests[] = {
    { QLatin1StringView("char"), QLatin1StringView(" VARCHAR(2000),") },
    { QLatin1StringView("int"), QLatin1StringView(" INT,") },
    { QLatin1StringView("date"), QLatin1StringView(" DATE,") },
    { QLatin1StringView("currency"), QLatin1StringView(" VARCHAR(2000),") },
    { QLatin1StringView("bool"), QLatin1StringView(" VARCHAR(2000),") },
    { QLatin1StringView("double"), QLatin1StringView(" FLOAT,") },
    { QLatin1StringView("adlongvarbinary"), QLatin1StringView(" BLOB,") },
};
constexpr QLatin1StringView otherwise(" VARCHAR(2000),");

} // namespace

QString OracleDialect::quote(const QString& name) const
{
    return quoteWith(name, QLatin1Char('"'));
}

qsizetype OracleDialect::nameSize(QStringView name) const
{
    return name.toUtf8().size();
}

QStringList OracleDialect::sessionStatements(bool) const
{
    return { QStringLiteral("ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD HH24:MI:SS'"),
        QStringLiteral("ALTER SESSION SET NLS_TIMESTAMP_FORMAT = 'YYYY-MM-DD HH24:MI:SS.FF'"),
        QStringLiteral("ALTER SESSION SET NLS_NUMERIC_CHARACTERS = '.,'") };
}

QString OracleDialect::renameTable(const QString& from, const QString& to) const
{
    return QStringLiteral("RENAME ") + quote(from) + QStringLiteral(" TO ") + quote(to);
}

QString OracleDialect::plainColumnType(const QString& lowerCaseAdoTypeName) const
{
    return firstMatch(tests, otherwise, lowerCaseAdoTypeName);
}

QStringList OracleDialect::swapStatements(
    const QString& target, const QString& copy, const QString& backup) const
{
    return { renameTable(target, backup), renameTable(copy, target) };
}

} // namespace tw::sql

#include "tables/table_statements.h"

#include "db/identifiers.h"

namespace tw::tables {

using db::QuoteMySQLName;
using db::QuoteOracleName;

QString MySQLDropStatement(const QString& table)
{
    return QStringLiteral("DROP TABLE ") + QuoteMySQLName(table);
}

QString OracleDropStatement(const QString& table)
{
    return QStringLiteral("DROP TABLE ") + QuoteOracleName(table);
}

QString MySQLRenameStatement(const QString& oldName, const QString& newName)
{
    return QStringLiteral("RENAME TABLE ") + QuoteMySQLName(oldName) + QStringLiteral(" TO ")
        + QuoteMySQLName(newName);
}

QString OracleRenameStatement(const QString& oldName, const QString& newName)
{
    return QStringLiteral("RENAME ") + QuoteOracleName(oldName) + QStringLiteral(" TO ")
        + QuoteOracleName(newName);
}

QString RenamePrompt(const QString& oldName)
{
    return QStringLiteral("Enter new name of ") + oldName + QStringLiteral(":");
}

} // namespace tw::tables

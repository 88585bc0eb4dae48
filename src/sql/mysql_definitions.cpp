#include "sql/mysql_dialect.h"

// MySQL 8.0 Reference Manual 15.1.20 "CREATE TABLE Statement": a column
// takes NOT NULL, DEFAULT, AUTO_INCREMENT and COMMENT in that order, the
// table its COMMENT after the closing parenthesis; a comment holds 1,024
// characters on a column and 2,048 on a table. An index or constraint name
// holds 64 characters, letter case not counted.

namespace tw::sql {

QString MySQLDialect::columnClauses(const ColumnClauses& c) const
{
    QString out;
    if (c.notNull)
        out += QStringLiteral(" NOT NULL");
    if (!c.defaultValue.isEmpty())
        out += QStringLiteral(" DEFAULT ") + c.defaultValue;
    if (c.autoNumbered)
        out += QStringLiteral(" AUTO_INCREMENT");
    if (!c.comment.isEmpty())
        out += QStringLiteral(" COMMENT ") + textLiteral(c.comment);
    return out;
}

QString MySQLDialect::tableClauses(const QString& comment) const
{
    return comment.isEmpty() ? QString() : QStringLiteral(" COMMENT = ") + textLiteral(comment);
}

QStringList MySQLDialect::commentStatements(
    const QString&, const QString&, const QList<std::pair<QString, QString>>&) const
{
    return {};
}

bool MySQLDialect::commentFits(const QString& comment, bool onTable) const
{
    return comment.size() <= (onTable ? 2048 : 1024);
}

QStringList MySQLDialect::autoNumberStatements(const QString&, const QString&) const
{
    return {};
}

QString MySQLDialect::dropForeignKey(const QString& table, const QString& name) const
{
    return QStringLiteral("ALTER TABLE ") + quote(table) + QStringLiteral(" DROP FOREIGN KEY ")
        + quote(name);
}

bool MySQLDialect::sameName(const QString& a, const QString& b) const
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString MySQLDialect::emptyValuesQuery(const QString& table, const QStringList& columns) const
{
    QStringList tests;
    for (const QString& c : columns)
        tests.append(QStringLiteral("MAX(LENGTH(%1) = 0)").arg(quote(c)));
    return QStringLiteral("SELECT ") + tests.join(QLatin1String(", ")) + QStringLiteral(" FROM ")
        + quote(table);
}

} // namespace tw::sql

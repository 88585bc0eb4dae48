#include "sql/dialect.h"

// The statements of a table's definition that both servers write alike
// (SQL Language Reference 19c "CREATE INDEX", "constraint"; MySQL 8.0
// Reference Manual 15.1.15, 15.1.20.5).

namespace tw::sql {

namespace {

QString joined(const QStringList& parts)
{
    return parts.join(QLatin1String(", "));
}

} // namespace

QString Dialect::indexColumn(const QString& column, bool descending) const
{
    return quote(column) + (descending ? QStringLiteral(" DESC") : QString());
}

QString Dialect::createIndex(
    const QString& name, const QString& table, const QStringList& columns, bool unique) const
{
    return QStringLiteral("CREATE ") + (unique ? QStringLiteral("UNIQUE ") : QString())
        + QStringLiteral("INDEX ") + quote(name) + QStringLiteral(" ON ") + quote(table)
        + QStringLiteral(" (") + joined(columns) + u')';
}

namespace {

QString constraintName(const Dialect& d, const QString& name)
{
    return name.isEmpty() ? QString() : QStringLiteral("CONSTRAINT ") + d.quote(name) + u' ';
}

QStringList quotedAll(const Dialect& d, const QStringList& names)
{
    QStringList out;
    for (const QString& n : names)
        out.append(d.quote(n));
    return out;
}

} // namespace

QString Dialect::addUnique(
    const QString& table, const QString& name, const QStringList& columns) const
{
    return QStringLiteral("ALTER TABLE ") + quote(table) + QStringLiteral(" ADD ")
        + constraintName(*this, name) + QStringLiteral("UNIQUE (")
        + joined(quotedAll(*this, columns)) + u')';
}

QString Dialect::addForeignKey(const QString& table, const QString& name,
    const QStringList& columns, const QString& parent, const QStringList& parentColumns,
    const QString& onDelete) const
{
    return QStringLiteral("ALTER TABLE ") + quote(table) + QStringLiteral(" ADD ")
        + constraintName(*this, name) + QStringLiteral("FOREIGN KEY (")
        + joined(quotedAll(*this, columns)) + QStringLiteral(") REFERENCES ") + quote(parent)
        + QStringLiteral(" (") + joined(quotedAll(*this, parentColumns)) + u')'
        + (onDelete.isEmpty() ? QString() : QStringLiteral(" ON DELETE ") + onDelete);
}

QString Dialect::addCheck(const QString& table, const QString& name, const QString& condition) const
{
    return QStringLiteral("ALTER TABLE ") + quote(table) + QStringLiteral(" ADD ")
        + constraintName(*this, name) + QStringLiteral("CHECK (") + condition + u')';
}

} // namespace tw::sql

#include "sql/dialect.h"

#include "db/ado_types.h"
#include "sql/mysql_dialect.h"
#include "sql/oracle_dialect.h"

namespace tw::sql {

QString serverName(Server server)
{
    return server == Server::MySQL ? QStringLiteral("MySQL") : QStringLiteral("Oracle");
}

QString Dialect::quoteWith(const QString& name, QChar quote)
{
    QString out;
    out.reserve(name.size() + 2);
    out += quote;
    for (QChar c : name) {
        out += c;
        if (c == quote)
            out += quote;
    }
    out += quote;
    return out;
}

QString Dialect::dropTable(const QString& table) const
{
    return QStringLiteral("DROP TABLE ") + quote(table);
}

QString Dialect::selectAll(const QString& table) const
{
    return QStringLiteral("SELECT * FROM ") + quote(table);
}

QString Dialect::selectNoRows(const QString& table) const
{
    return selectAll(table) + QStringLiteral(" WHERE 1 = 0");
}

QString Dialect::countRows(const QString& table) const
{
    return QStringLiteral("SELECT COUNT(*) FROM ") + quote(table);
}

QString Dialect::createOpening(const QString& table) const
{
    return QStringLiteral("CREATE TABLE ") + quote(table) + u'(';
}

QString Dialect::plainColumnEntry(const QString& column, qint16 adoType) const
{
    return quote(column) + plainColumnType(db::AdoTypeName(adoType).toLower());
}

QString Dialect::insertOpening(const QString& table) const
{
    return QStringLiteral("INSERT INTO ") + quote(table) + QLatin1StringView(" VALUES('");
}

QString Dialect::markerInsert(const QString& table, int values) const
{
    QString markers;
    for (int i = 0; i < values; ++i)
        markers += i == 0 ? QLatin1StringView("?") : QLatin1StringView(", ?");
    return QStringLiteral("INSERT INTO ") + quote(table) + QStringLiteral(" VALUES(") + markers
        + u')';
}

const Dialect& dialect(Server server)
{
    static const MySQLDialect mysql;
    static const OracleDialect oracle;
    if (server == Server::MySQL)
        return mysql;
    return oracle;
}

QString Dialect::textLiteral(const QString& text)
{
    QString out = text;
    out.replace(u'\'', QLatin1String("''"));
    return u'\'' + out + u'\'';
}

} // namespace tw::sql

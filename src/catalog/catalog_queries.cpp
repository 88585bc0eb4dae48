#include "catalog/catalog_queries.h"

#include "db/recordset.h"
#include "sql/dialect.h"

namespace tw::catalog {

QString mysqlBytes(const QString& text)
{
    return QStringLiteral("X'") + QString::fromLatin1(text.toUtf8().toHex()) + u'\'';
}

QString mysqlTableWhere(const QString& table)
{
    return QStringLiteral(" WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = ") + mysqlBytes(table);
}

QString oracleText(const QString& text)
{
    return sql::Dialect::textLiteral(text);
}

QList<QList<odbc::Value>> queryRows(db::Connection& connection, const QString& sql)
{
    QList<QList<odbc::Value>> rows;
    for (auto rs = connection.Execute(sql); rs && !rs->atEnd(); rs->MoveNext()) {
        QList<odbc::Value> row;
        for (const db::Field& f : rs->Fields())
            row.append(f.Value);
        rows.append(row);
    }
    return rows;
}

bool isMariaDBServer(db::Connection& connection)
{
    const auto rows = queryRows(connection, QStringLiteral("SELECT VERSION()"));
    return !rows.isEmpty()
        && rows.first().value(0).toString().contains(QLatin1String("MariaDB"), Qt::CaseInsensitive);
}

} // namespace tw::catalog

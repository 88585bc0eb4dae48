#include "sql/dialect.h"

namespace tw::sql {

namespace {

QString joined(const Dialect& d, const QStringList& names, const QString& prefix = QString())
{
    QStringList quoted;
    for (const QString& n : names)
        quoted << prefix + d.quote(n);
    return quoted.join(QLatin1String(", "));
}

// (k1 > v1) OR (k1 = v1 AND k2 > v2) OR ...: the rows after a key in key
// order, written so that both servers use the key's index for it.
QString afterCondition(const Dialect& d, const QStringList& key, const QList<KeyValue>& after)
{
    QStringList alternatives;
    for (qsizetype i = 0; i < key.size() && i < after.size(); ++i) {
        QStringList terms;
        for (qsizetype j = 0; j < i; ++j)
            terms << d.quote(key[j]) + QStringLiteral(" = ") + d.keyLiteral(after[j]);
        terms << d.quote(key[i]) + QStringLiteral(" > ") + d.keyLiteral(after[i]);
        alternatives << u'(' + terms.join(QLatin1String(" AND ")) + u')';
    }
    return alternatives.join(QLatin1String(" OR "));
}

QString conditions(const Dialect& d, const RowSelection& rows)
{
    QStringList terms;
    if (!rows.where.trimmed().isEmpty())
        terms << u'(' + rows.where + u')';
    if (rows.parts > 0)
        terms << d.partCondition(rows.key, rows.part, rows.parts);
    if (!rows.after.isEmpty())
        terms << u'(' + afterCondition(d, rows.key, rows.after) + u')';
    return terms.join(QLatin1String(" AND "));
}

QString selectOf(const Dialect& d, const RowSelection& rows, const QString& extra)
{
    QString sql = QStringLiteral("SELECT ")
        + (rows.columns.isEmpty() ? QStringLiteral("*") : joined(d, rows.columns))
        + QStringLiteral(" FROM ") + d.quote(rows.table);
    QString where = conditions(d, rows);
    if (!extra.isEmpty())
        where = where.isEmpty() ? extra : where + QStringLiteral(" AND ") + extra;
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where;
    if (rows.ordered)
        sql += QStringLiteral(" ORDER BY ") + joined(d, rows.key);
    return sql;
}

} // namespace

QString Dialect::selectRows(const RowSelection& rows) const
{
    return selectOf(*this, rows, QString());
}

QString Dialect::selectNoRows(const RowSelection& rows) const
{
    RowSelection none = rows;
    none.ordered = false;
    return selectOf(*this, none, QStringLiteral("1 = 0"));
}

QString Dialect::countSelected(const RowSelection& rows) const
{
    RowSelection counted = rows;
    counted.ordered = false;
    const QString where = conditions(*this, counted);
    return countRows(rows.table)
        + (where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where);
}

QString Dialect::markerInsert(const QString& table, const QStringList& columns) const
{
    QStringList markers;
    for (qsizetype i = 0; i < columns.size(); ++i)
        markers << QStringLiteral("?");
    return QStringLiteral("INSERT INTO ") + quote(table) + QStringLiteral(" (")
        + joined(*this, columns) + QStringLiteral(") VALUES (") + markers.join(QLatin1String(", "))
        + u')';
}

QString Dialect::resumeInsert(const QString& run, const QString& name) const
{
    return QStringLiteral("INSERT INTO %1 VALUES (%2, %3, NULL)")
        .arg(quote(resumeTable()), Dialect::textLiteral(run), Dialect::textLiteral(name));
}

QString Dialect::resumeUpdate(const QString& run, const QString& name, const QString& key) const
{
    return QStringLiteral("UPDATE %1 SET %2 = %3 WHERE %4 = %5 AND %6 = %7")
        .arg(quote(resumeTable()), quote(QStringLiteral("LAST_KEY")), Dialect::textLiteral(key),
            quote(QStringLiteral("RUN")), Dialect::textLiteral(run), quote(QStringLiteral("NAME")),
            Dialect::textLiteral(name));
}

QString Dialect::resumeQuery(const QString& run, const QString& name) const
{
    return QStringLiteral("SELECT %1 FROM %2 WHERE %3 = %4 AND %5 = %6")
        .arg(quote(QStringLiteral("LAST_KEY")), quote(resumeTable()), quote(QStringLiteral("RUN")),
            Dialect::textLiteral(run), quote(QStringLiteral("NAME")), Dialect::textLiteral(name));
}

QString Dialect::resumeDelete(const QString& run, const QString& name) const
{
    return QStringLiteral("DELETE FROM %1 WHERE %2 = %3 AND %4 = %5")
        .arg(quote(resumeTable()), quote(QStringLiteral("RUN")), Dialect::textLiteral(run),
            quote(QStringLiteral("NAME")), Dialect::textLiteral(name));
}

QString Dialect::resumeDeleteRun(const QString& run) const
{
    return QStringLiteral("DELETE FROM %1 WHERE %2 = %3")
        .arg(quote(resumeTable()), quote(QStringLiteral("RUN")), Dialect::textLiteral(run));
}

} // namespace tw::sql

#include "sql/key_literals.h"
#include "sql/mysql_dialect.h"

namespace tw::sql {

namespace {
// Text as its UTF-8 bytes: read alike whatever the session's sql_mode says
// of backslashes (a copy's own reading connection sets none).
QString hexText(const QString& text)
{
    return QStringLiteral("_utf8mb4 X'") + QString::fromLatin1(text.toUtf8().toHex()) + u'\'';
}
} // namespace

QString MySQLDialect::limitRows(qint64 rows) const
{
    return QStringLiteral(" LIMIT %1").arg(rows);
}

QString MySQLDialect::partCondition(const QStringList& key, int part, int parts) const
{
    QStringList columns;
    for (const QString& k : key)
        columns << quote(k);
    const QString hashed = columns.size() == 1
        ? columns.first()
        : QStringLiteral("CONCAT_WS(X'1F', ") + columns.join(QLatin1String(", ")) + u')';
    return QStringLiteral("MOD(CRC32(%1), %2) = %3").arg(hashed).arg(parts).arg(part - 1);
}

QString MySQLDialect::keyLiteral(const KeyValue& value) const
{
    if (!wellFormed(value))
        return hexText(value.text);
    switch (value.kind) {
    case KeyValue::Kind::Number:
        return value.text;
    case KeyValue::Kind::Timestamp:
        return Dialect::textLiteral(value.text);
    case KeyValue::Kind::Binary:
        return QStringLiteral("X'") + value.text + u'\'';
    case KeyValue::Kind::Text:
        break;
    }
    return hexText(value.text);
}

QString MySQLDialect::markerUpsert(
    const QString& table, const QStringList& columns, const QStringList& key) const
{
    QStringList updates;
    for (const QString& c : columns) {
        if (!key.contains(c))
            updates << quote(c) + QStringLiteral(" = VALUES(") + quote(c) + u')';
    }
    // A row of key columns only has nothing to update: it stays as it is.
    if (updates.isEmpty())
        updates << quote(key.first()) + QStringLiteral(" = ") + quote(key.first());
    return markerInsert(table, columns) + QStringLiteral(" ON DUPLICATE KEY UPDATE ")
        + updates.join(QLatin1String(", "));
}

QString MySQLDialect::resumeTable() const
{
    return QStringLiteral("tw_resume");
}

QString MySQLDialect::createResumeTable() const
{
    return QStringLiteral("CREATE TABLE IF NOT EXISTS `tw_resume` (`RUN` VARCHAR(40) NOT NULL, "
                          "`NAME` VARCHAR(400) NOT NULL, `LAST_KEY` TEXT, "
                          "PRIMARY KEY (`RUN`, `NAME`)) ENGINE = InnoDB DEFAULT CHARSET = utf8mb4");
}

} // namespace tw::sql

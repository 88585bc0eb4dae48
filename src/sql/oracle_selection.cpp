#include "sql/key_literals.h"
#include "sql/oracle_dialect.h"

namespace tw::sql {

QString OracleDialect::limitRows(qint64 rows) const
{
    return QStringLiteral(" FETCH FIRST %1 ROWS ONLY").arg(rows);
}

QString OracleDialect::partCondition(const QStringList& key, int part, int parts) const
{
    // Each further key column hashed with the hash so far as its seed.
    QString hash;
    for (qsizetype i = 0; i < key.size(); ++i) {
        const bool last = i + 1 == key.size();
        QString args = quote(key[i]);
        if (last)
            args += QStringLiteral(", %1").arg(parts - 1);
        else if (!hash.isEmpty())
            args += QStringLiteral(", 4294967295");
        if (!hash.isEmpty())
            args += QStringLiteral(", ") + hash;
        hash = QStringLiteral("ORA_HASH(") + args + u')';
    }
    return hash + QStringLiteral(" = %1").arg(part - 1);
}

QString OracleDialect::keyLiteral(const KeyValue& value) const
{
    if (!wellFormed(value))
        return Dialect::textLiteral(value.text);
    switch (value.kind) {
    case KeyValue::Kind::Number:
        return value.text;
    case KeyValue::Kind::Timestamp:
        return QStringLiteral("TIMESTAMP ") + Dialect::textLiteral(value.text);
    case KeyValue::Kind::Binary: // RAW compares with text read as hex
    case KeyValue::Kind::Text:
        break;
    }
    return Dialect::textLiteral(value.text);
}

QString OracleDialect::markerUpsert(
    const QString& table, const QStringList& columns, const QStringList& key) const
{
    QStringList selected;
    QStringList on;
    QStringList updates;
    QStringList names;
    QStringList values;
    for (const QString& c : columns) {
        const QString q = quote(c);
        selected << QStringLiteral("? ") + q;
        names << q;
        values << QStringLiteral("s.") + q;
        if (key.contains(c))
            on << QStringLiteral("t.") + q + QStringLiteral(" = s.") + q;
        else
            updates << QStringLiteral("t.") + q + QStringLiteral(" = s.") + q;
    }
    QString sql = QStringLiteral("MERGE INTO ") + quote(table) + QStringLiteral(" t USING (SELECT ")
        + selected.join(QLatin1String(", ")) + QStringLiteral(" FROM DUAL) s ON (")
        + on.join(QLatin1String(" AND ")) + u')';
    if (!updates.isEmpty())
        sql += QStringLiteral(" WHEN MATCHED THEN UPDATE SET ") + updates.join(QLatin1String(", "));
    return sql + QStringLiteral(" WHEN NOT MATCHED THEN INSERT (") + names.join(QLatin1String(", "))
        + QStringLiteral(") VALUES (") + values.join(QLatin1String(", ")) + u')';
}

QString OracleDialect::resumeTable() const
{
    return QStringLiteral("TW_RESUME");
}

QString OracleDialect::createResumeTable() const
{
    return QStringLiteral("CREATE TABLE \"TW_RESUME\" (\"RUN\" VARCHAR2(40) NOT NULL, \"NAME\" "
                          "VARCHAR2(400) NOT NULL, \"LAST_KEY\" VARCHAR2(4000), "
                          "PRIMARY KEY (\"RUN\", \"NAME\"))");
}

} // namespace tw::sql

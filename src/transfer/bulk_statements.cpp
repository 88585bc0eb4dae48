#include "transfer/bulk_statements.h"

#include "db/utf8.h"
#include "transfer/value_text.h"

#include <QRegularExpression>
#include <sqlext.h>

namespace tw::transfer {

namespace {

QString quotedText(const QString& text)
{
    QString out = text;
    out.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + out + QLatin1Char('\'');
}

QString hex(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes.toHex().toUpper());
}

QString orderBy(const QStringList& key)
{
    if (key.isEmpty())
        return {};
    QStringList names;
    for (const QString& k : key)
        names << mysqlName(k);
    return QStringLiteral(" ORDER BY ") + names.join(QLatin1String(", "));
}

QString limit(qint64 rows)
{
    return QStringLiteral(" LIMIT %1").arg(rows);
}

bool isDecimalType(SQLSMALLINT type)
{
    return type == SQL_DECIMAL || type == SQL_NUMERIC;
}

} // namespace

QString countStatement(Direction direction, const QString& sourceName)
{
    const QString source
        = direction == Direction::ToOracle ? mysqlName(sourceName) : oracleName(sourceName);
    return QStringLiteral("SELECT COUNT(*) FROM ") + source;
}

QString markerInsert(Direction direction, const QString& targetName, int values)
{
    QStringList markers;
    for (int i = 0; i < values; ++i)
        markers << QStringLiteral("?");
    const QString target
        = direction == Direction::ToOracle ? oracleName(targetName) : mysqlName(targetName);
    return QStringLiteral("INSERT INTO ") + target + QStringLiteral(" VALUES(")
        + markers.join(QLatin1String(", ")) + QLatin1Char(')');
}

QStringList mysqlSnapshotStatements()
{
    return { QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ"),
        QStringLiteral("START TRANSACTION WITH CONSISTENT SNAPSHOT") };
}

QString mysqlSnapshotEnd()
{
    return QStringLiteral("COMMIT");
}

QString mysqlUniqueKeysQuery(const QString& table)
{
    // The name compared as it is and byte for byte: the first finds the table
    // without opening the others, the second tells apart names that differ
    // in letter case only.
    const QString name = QStringLiteral("TABLE_SCHEMA = DATABASE() AND TABLE_NAME = %1 AND "
                                        "BINARY TABLE_NAME = %1")
                             .arg(quotedText(table));
    return QStringLiteral("SELECT INDEX_NAME, COLUMN_NAME FROM information_schema.STATISTICS WHERE "
                          "%1 AND NON_UNIQUE = 0 AND INDEX_NAME NOT IN (SELECT INDEX_NAME FROM "
                          "information_schema.STATISTICS WHERE %1 AND (NULLABLE = 'YES' OR "
                          "SUB_PART IS NOT NULL)) ORDER BY INDEX_NAME <> 'PRIMARY', INDEX_NAME, "
                          "SEQ_IN_INDEX")
        .arg(name);
}

QString mysqlTransactionalQuery(const QString& table)
{
    return QStringLiteral("SELECT e.TRANSACTIONS FROM information_schema.TABLES t JOIN "
                          "information_schema.ENGINES e ON e.ENGINE = t.ENGINE WHERE "
                          "t.TABLE_SCHEMA = DATABASE() AND t.TABLE_NAME = %1 AND BINARY "
                          "t.TABLE_NAME = %1")
        .arg(quotedText(table));
}

QString mysqlFirstPage(const QString& table, const QStringList& key, qint64 rows)
{
    return QStringLiteral("SELECT * FROM ") + mysqlName(table) + orderBy(key) + limit(rows);
}

QString mysqlKeyPage(
    const QString& table, const QStringList& key, const QStringList& after, qint64 rows)
{
    // k1 > v1 OR (k1 = v1 AND k2 > v2) OR (k1 = v1 AND k2 = v2 AND k3 > v3) ...
    QStringList alternatives;
    for (qsizetype i = 0; i < key.size(); ++i) {
        QStringList terms;
        for (qsizetype j = 0; j < i; ++j)
            terms << mysqlName(key[j]) + QStringLiteral(" = ") + after[j];
        terms << mysqlName(key[i]) + QStringLiteral(" > ") + after[i];
        alternatives << (terms.size() == 1
                ? terms.first()
                : QLatin1Char('(') + terms.join(QLatin1String(" AND ")) + QLatin1Char(')'));
    }
    return QStringLiteral("SELECT * FROM ") + mysqlName(table) + QStringLiteral(" WHERE ")
        + alternatives.join(QLatin1String(" OR ")) + orderBy(key) + limit(rows);
}

QString mysqlOffsetPage(const QString& table, const QStringList& key, qint64 offset, qint64 rows)
{
    return QStringLiteral("SELECT * FROM ") + mysqlName(table) + orderBy(key)
        + QStringLiteral(" LIMIT %1, %2").arg(offset).arg(rows);
}

std::optional<QString> mysqlKeyLiteral(const db::ResultColumn& column, const db::Value& value)
{
    if (db::isNull(value))
        return std::nullopt;
    const int type = value.typeId();
    switch (type) {
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return valueText(value);
    case QMetaType::Float:
        // MySQL compares a FLOAT column as the double it widens to.
        return valueText(double(value.toFloat()));
    case QMetaType::QByteArray:
        return QStringLiteral("X'") + hex(value.toByteArray()) + QLatin1Char('\'');
    case QMetaType::QString: {
        const QString text = value.toString();
        if (isDecimalType(column.info.sqlType) && !column.info.asText) {
            static const QRegularExpression number(
                QStringLiteral("^-?[0-9]*\\.?[0-9]*([eE][-+]?[0-9]+)?$"));
            if (number.match(text).hasMatch() && !text.isEmpty())
                return text;
            return std::nullopt;
        }
        // The text's own bytes, so that no quote, backslash or U+0000 can
        // mean anything else; compared in the column's collation.
        QByteArray utf8;
        db::appendUtf8(utf8, text);
        return QStringLiteral("_utf8mb4 X'") + hex(utf8) + QLatin1Char('\'');
    }
    default:
        if (type == qMetaTypeId<db::SqlDate>() || type == qMetaTypeId<db::SqlTime>()
            || type == qMetaTypeId<db::SqlTimestamp>())
            return quotedText(valueText(value));
        return std::nullopt;
    }
}

} // namespace tw::transfer

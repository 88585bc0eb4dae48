#include "catalog/catalog_queries.h"
#include "catalog/whole_definition.h"

#include <QHash>
#include <QRegularExpression>
#include <algorithm>

// Measured with MariaDB 10.11: COLUMN_DEFAULT is NULL for a NOT NULL column
// without a default and the text NULL for a nullable one; a text constant is
// quoted with MySQL's escapes ('it''s \\ x', a line feed as \n); numbers and
// b'101' are bare; functions read current_timestamp(), current_timestamp(6),
// curdate(), uuid(); other expressions as written ("1 + 2"). EXTRA holds
// auto_increment, "on update current_timestamp()" and "VIRTUAL GENERATED" /
// "STORED GENERATED". Every unique index is also a UNIQUE row of
// TABLE_CONSTRAINTS; MariaDB names an unnamed CHECK CONSTRAINT_1, ..., a
// JSON column's own json_valid check after the column (LEVEL Column), an
// unnamed foreign key t_ibfk_1, and gives a foreign key without an index of
// its own one of the key's name.

namespace tw::catalog {

namespace {

const QRegularExpression& numberPattern()
{
    static const QRegularExpression n(
        QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    return n;
}

bool isClock(const QString& text)
{
    static const QRegularExpression clock(
        QStringLiteral(
            "^(current_timestamp|now|localtimestamp|localtime)(\\s*\\(\\s*\\d*\\s*\\))?$"),
        QRegularExpression::CaseInsensitiveOption);
    return clock.match(text.trimmed()).hasMatch();
}

// A MariaDB text constant without its quotes and escapes.
QString unquoteMariaDB(const QString& quoted)
{
    QString out;
    const QString body = quoted.mid(1, quoted.size() - 2);
    for (qsizetype i = 0; i < body.size(); ++i) {
        const QChar c = body[i];
        if (c == u'\'' && i + 1 < body.size() && body[i + 1] == u'\'') {
            out += u'\'';
            ++i;
        } else if (c == u'\\' && i + 1 < body.size()) {
            const QChar e = body[++i];
            switch (e.unicode()) {
            case 'n':
                out += u'\n';
                break;
            case 'r':
                out += u'\r';
                break;
            case 't':
                out += u'\t';
                break;
            case '0':
                out += QChar(0);
                break;
            case 'b':
                out += u'\b';
                break;
            case 'Z':
                out += QChar(26);
                break;
            default:
                out += e;
            }
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<ColumnDefault> mariaDBDefault(const QString& text)
{
    if (text.compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0)
        return std::nullopt;
    if (text.size() >= 2 && text.startsWith(u'\'') && text.endsWith(u'\''))
        return ColumnDefault { ColumnDefault::Kind::Value, unquoteMariaDB(text) };
    if (numberPattern().match(text).hasMatch())
        return ColumnDefault { ColumnDefault::Kind::Value, text };
    static const QRegularExpression bits(QStringLiteral("^b'([01]+)'$"));
    if (const auto m = bits.match(text); m.hasMatch())
        return ColumnDefault { ColumnDefault::Kind::Value,
            QString::number(m.captured(1).toULongLong(nullptr, 2)) };
    if (isClock(text))
        return ColumnDefault { ColumnDefault::Kind::Clock, text };
    return ColumnDefault { ColumnDefault::Kind::Expression, text };
}

std::optional<ColumnDefault> mysqlDefault(const QString& text, const QString& extra)
{
    if (isClock(text))
        return ColumnDefault { ColumnDefault::Kind::Clock, text };
    if (extra.contains(QLatin1String("DEFAULT_GENERATED"), Qt::CaseInsensitive))
        return ColumnDefault { ColumnDefault::Kind::Expression, text };
    return ColumnDefault { ColumnDefault::Kind::Value, text };
}

bool systemCheckName(const QString& name, const QString& table)
{
    static const QRegularExpression maria(QStringLiteral("^CONSTRAINT_\\d+$"));
    return maria.match(name).hasMatch()
        || QRegularExpression(
            QStringLiteral("^%1_chk_\\d+$").arg(QRegularExpression::escape(table)))
               .match(name)
               .hasMatch();
}

void readIndexes(db::Connection& connection, const QString& where, TableCatalog& out)
{
    const auto rows = queryRows(connection,
        QStringLiteral("SELECT INDEX_NAME, NON_UNIQUE, SEQ_IN_INDEX, COLUMN_NAME, SUB_PART, "
                       "COLLATION, INDEX_TYPE FROM information_schema.STATISTICS")
            + where + QStringLiteral(" AND INDEX_NAME <> 'PRIMARY'"));
    QHash<QString, qsizetype> at;
    QHash<QString, QList<std::pair<int, CatalogIndex::Column>>> columns;
    for (const auto& row : rows) {
        const QString name = row[0].toString();
        if (!at.contains(name)) {
            CatalogIndex index;
            index.name = name;
            index.unique = row[1].toInt() == 0;
            index.constraint = index.unique;
            const QString type = row[6].toString().toUpper();
            if (type == QLatin1String("FULLTEXT") || type == QLatin1String("SPATIAL"))
                index.kind = type;
            at.insert(name, out.indexes.size());
            out.indexes.append(index);
        }
        CatalogIndex::Column c;
        c.name = odbc::isNull(row[3]) ? QString() : row[3].toString();
        if (c.name.isEmpty())
            c.expression = QStringLiteral("an expression");
        c.prefix = odbc::isNull(row[4]) ? 0 : row[4].toInt();
        c.descending = row[5].toString() == QLatin1String("D");
        columns[name].append({ row[2].toInt(), c });
    }
    for (CatalogIndex& index : out.indexes) {
        auto list = columns.value(index.name);
        std::stable_sort(list.begin(), list.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& [seq, c] : list)
            index.columns.append(c);
    }
}

void readForeignKeys(
    db::Connection& connection, const QString& table, const QString& where, TableCatalog& out)
{
    const auto keys = queryRows(connection,
        QStringLiteral("SELECT CONSTRAINT_NAME, UPDATE_RULE, DELETE_RULE, REFERENCED_TABLE_NAME "
                       "FROM information_schema.REFERENTIAL_CONSTRAINTS WHERE CONSTRAINT_SCHEMA "
                       "= DATABASE() AND TABLE_NAME = ")
            + mysqlBytes(table) + QStringLiteral(" ORDER BY CONSTRAINT_NAME"));
    const auto columns = queryRows(connection,
        QStringLiteral("SELECT CONSTRAINT_NAME, COLUMN_NAME, REFERENCED_COLUMN_NAME, "
                       "REFERENCED_TABLE_SCHEMA = DATABASE() FROM "
                       "information_schema.KEY_COLUMN_USAGE")
            + where
            + QStringLiteral(" AND REFERENCED_TABLE_NAME IS NOT NULL ORDER BY CONSTRAINT_NAME, "
                             "ORDINAL_POSITION"));
    const QRegularExpression systemName(
        QStringLiteral("^%1_ibfk_\\d+$").arg(QRegularExpression::escape(table)));
    for (const auto& key : keys) {
        CatalogForeignKey fk;
        fk.name = key[0].toString();
        fk.namedBySystem = systemName.match(fk.name).hasMatch();
        fk.onUpdate = key[1].toString();
        fk.onDelete = key[2].toString();
        fk.parentTable = key[3].toString();
        for (const auto& c : columns) {
            if (c[0].toString() != fk.name)
                continue;
            fk.columns.append(c[1].toString());
            fk.parentColumns.append(c[2].toString());
            fk.parentElsewhere = c[3].toInt() == 0;
        }
        out.foreignKeys.append(fk);
    }
}

void readChecks(db::Connection& connection, const QString& table, bool mariaDB, TableCatalog& out)
{
    const QString sql = mariaDB
        ? QStringLiteral("SELECT CONSTRAINT_NAME, CHECK_CLAUSE FROM "
                         "information_schema.CHECK_CONSTRAINTS WHERE CONSTRAINT_SCHEMA = "
                         "DATABASE() AND TABLE_NAME = ")
            + mysqlBytes(table)
        : QStringLiteral("SELECT cc.CONSTRAINT_NAME, cc.CHECK_CLAUSE FROM "
                         "information_schema.CHECK_CONSTRAINTS cc JOIN "
                         "information_schema.TABLE_CONSTRAINTS tc ON tc.CONSTRAINT_SCHEMA = "
                         "cc.CONSTRAINT_SCHEMA AND tc.CONSTRAINT_NAME = cc.CONSTRAINT_NAME WHERE "
                         "tc.CONSTRAINT_TYPE = 'CHECK' AND tc.TABLE_SCHEMA = DATABASE() AND "
                         "tc.TABLE_NAME = ")
            + mysqlBytes(table);
    for (const auto& row : queryRows(connection, sql)) {
        const QString name = row[0].toString();
        out.checks.append({ name, systemCheckName(name, table), row[1].toString() });
    }
}

} // namespace

void readMySQLColumnExtras(const odbc::Value& columnDefault, const QString& extra,
    const QString& comment, bool mariaDB, CatalogColumn& column)
{
    const QString lower = extra.toLower();
    column.autoNumbered = lower.contains(QLatin1String("auto_increment"));
    column.onUpdateNow = lower.contains(QLatin1String("on update"));
    column.computed = lower.contains(QLatin1String("generated"))
        && !lower.contains(QLatin1String("default_generated"));
    column.comment = comment;
    if (odbc::isNull(columnDefault) || column.computed || column.autoNumbered)
        return;
    const QString text = columnDefault.toString();
    column.defaultValue = mariaDB ? mariaDBDefault(text) : mysqlDefault(text, extra);
}

void readMySQLDefinition(
    db::Connection& connection, const QString& table, bool mariaDB, TableCatalog& out)
{
    const QString where = mysqlTableWhere(table);
    const auto kind = queryRows(connection,
        QStringLiteral("SELECT TABLE_TYPE, TABLE_COMMENT FROM information_schema.TABLES") + where);
    if (!kind.isEmpty()) {
        out.isView = kind[0][0].toString() == QLatin1String("VIEW");
        if (!out.isView)
            out.comment = kind[0][1].toString();
    }
    if (out.isView)
        return;
    readIndexes(connection, where, out);
    readForeignKeys(connection, table, where, out);
    readChecks(connection, table, mariaDB, out);
    for (const auto& row : queryRows(connection,
             QStringLiteral("SELECT TRIGGER_NAME FROM information_schema.TRIGGERS WHERE "
                            "EVENT_OBJECT_SCHEMA = DATABASE() AND EVENT_OBJECT_TABLE = ")
                 + mysqlBytes(table)))
        out.triggers.append(row[0].toString());
}

QStringList readMySQLViews(db::Connection& connection)
{
    QStringList views;
    for (const auto& row : queryRows(connection,
             QStringLiteral("SELECT TABLE_NAME FROM information_schema.TABLES WHERE "
                            "TABLE_SCHEMA = DATABASE() AND TABLE_TYPE = 'VIEW'")))
        views.append(row[0].toString());
    return views;
}

} // namespace tw::catalog

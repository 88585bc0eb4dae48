#include "catalog/catalog_queries.h"
#include "catalog/whole_definition.h"

#include <QHash>
#include <QRegularExpression>
#include <algorithm>

// Oracle Database Reference 19c, as the stand-in answers it: DATA_DEFAULT
// is the default as written (an identity column's is its sequence's
// nextval); a NOT NULL is a check constraint reading "C" IS NOT NULL; a
// descending index column is a hidden SYS_NC...$ column whose expression
// (USER_IND_EXPRESSIONS) is the quoted column name; a primary or unique key
// names the index that keeps it (INDEX_NAME). The stand-in knows no joins,
// so each view is read on its own.

namespace tw::catalog {

namespace {

using Rows = QList<QList<odbc::Value>>;

QString where(const QString& table)
{
    return QStringLiteral(" WHERE TABLE_NAME = ") + oracleText(table);
}

QString text(const odbc::Value& v)
{
    return odbc::isNull(v) ? QString() : v.toString();
}

// An Oracle text literal without its quotes; none when `s` is not one.
std::optional<QString> unquote(const QString& s)
{
    if (s.size() < 2 || !s.startsWith(u'\'') || !s.endsWith(u'\''))
        return std::nullopt;
    QString body = s.mid(1, s.size() - 2);
    if (body.contains(QRegularExpression(QStringLiteral("(^|[^'])'([^']|$)"))))
        return std::nullopt; // several literals
    return body.replace(QLatin1String("''"), QLatin1String("'"));
}

void readColumnExtras(db::Connection& connection, const QString& table, TableCatalog& out)
{
    QHash<QString, CatalogColumn*> byName;
    for (CatalogColumn& c : out.columns)
        byName.insert(c.name, &c);
    for (const auto& row : queryRows(connection,
             QStringLiteral("SELECT COLUMN_NAME, DATA_DEFAULT, IDENTITY_COLUMN FROM "
                            "USER_TAB_COLUMNS")
                 + where(table))) {
        CatalogColumn* c = byName.value(text(row[0]));
        if (!c)
            continue;
        c->autoNumbered = text(row[2]) == QLatin1String("YES");
        if (!c->autoNumbered)
            c->defaultValue = oracleDefault(text(row[1]));
    }
    static const QRegularExpression increment(QStringLiteral("INCREMENT BY: (-?\\d+)"));
    for (const auto& row : queryRows(connection,
             QStringLiteral("SELECT COLUMN_NAME, GENERATION_TYPE, IDENTITY_OPTIONS FROM "
                            "USER_TAB_IDENTITY_COLS")
                 + where(table))) {
        if (CatalogColumn* c = byName.value(text(row[0]))) {
            c->identityAlways = text(row[1]) == QLatin1String("ALWAYS");
            if (const auto m = increment.match(text(row[2])); m.hasMatch())
                c->identityIncrement = m.captured(1).toLongLong();
        }
    }
    const Rows table_ = queryRows(
        connection, QStringLiteral("SELECT COMMENTS FROM USER_TAB_COMMENTS") + where(table));
    if (!table_.isEmpty())
        out.comment = text(table_[0][0]);
    for (const auto& row :
        queryRows(connection,
            QStringLiteral("SELECT COLUMN_NAME, COMMENTS FROM USER_COL_COMMENTS") + where(table))) {
        if (CatalogColumn* c = byName.value(text(row[0])))
            c->comment = text(row[1]);
    }
}

// Columns of each constraint of a table (or of the one constraint named),
// in POSITION order.
QHash<QString, QStringList> constraintColumns(db::Connection& connection, const QString& filter)
{
    Rows rows = queryRows(connection,
        QStringLiteral("SELECT CONSTRAINT_NAME, COLUMN_NAME, POSITION, TABLE_NAME FROM "
                       "USER_CONS_COLUMNS")
            + filter + QStringLiteral(" ORDER BY CONSTRAINT_NAME, POSITION"));
    QHash<QString, QStringList> out;
    for (const auto& row : rows)
        out[text(row[0])].append(text(row[1]));
    return out;
}

void readConstraints(
    db::Connection& connection, const QString& table, TableCatalog& out, QStringList& keyIndexes)
{
    const Rows rows = queryRows(connection,
        QStringLiteral("SELECT CONSTRAINT_NAME, CONSTRAINT_TYPE, SEARCH_CONDITION_VC, OWNER, "
                       "R_OWNER, R_CONSTRAINT_NAME, DELETE_RULE, GENERATED, INDEX_NAME FROM "
                       "USER_CONSTRAINTS")
            + where(table));
    const QHash<QString, QStringList> columns = constraintColumns(connection, where(table));
    static const QRegularExpression notNull(QStringLiteral("^\"([^\"]+)\" IS NOT NULL$"));
    for (const auto& row : rows) {
        const QString name = text(row[0]);
        const QString type = text(row[1]);
        const bool systemName = text(row[7]) == QLatin1String("GENERATED NAME");
        if (!text(row[8]).isEmpty())
            keyIndexes.append(text(row[8]));
        if (type == QLatin1String("P")) {
            out.primaryKeyName = systemName ? QString() : name;
        } else if (type == QLatin1String("U")) {
            CatalogIndex index;
            index.name = name;
            index.unique = index.constraint = true;
            index.namedBySystem = systemName;
            for (const QString& c : columns.value(name)) {
                CatalogIndex::Column column;
                column.name = c;
                index.columns.append(column);
            }
            out.indexes.append(index);
        } else if (type == QLatin1String("C")) {
            const QString condition = text(row[2]).trimmed();
            if (notNull.match(condition).hasMatch())
                continue;
            out.checks.append({ name, systemName, condition });
        } else if (type == QLatin1String("R")) {
            CatalogForeignKey fk;
            fk.name = name;
            fk.namedBySystem = systemName;
            fk.columns = columns.value(name);
            fk.onDelete = text(row[6]);
            fk.parentElsewhere = text(row[4]) != text(row[3]);
            if (!fk.parentElsewhere) {
                const QString parent = text(row[5]);
                const Rows parentRows = queryRows(connection,
                    QStringLiteral("SELECT TABLE_NAME FROM USER_CONSTRAINTS WHERE "
                                   "CONSTRAINT_NAME = ")
                        + oracleText(parent));
                fk.parentTable = parentRows.isEmpty() ? QString() : text(parentRows[0][0]);
                fk.parentColumns = constraintColumns(
                    connection, QStringLiteral(" WHERE CONSTRAINT_NAME = ") + oracleText(parent))
                                       .value(parent);
            }
            out.foreignKeys.append(fk);
        }
    }
}

void readIndexes(db::Connection& connection, const QString& table, const QStringList& keyIndexes,
    TableCatalog& out)
{
    const Rows indexes = queryRows(connection,
        QStringLiteral("SELECT INDEX_NAME, UNIQUENESS, GENERATED FROM USER_INDEXES")
            + where(table));
    const Rows columns = queryRows(connection,
        QStringLiteral("SELECT INDEX_NAME, COLUMN_NAME, DESCEND FROM USER_IND_COLUMNS")
            + where(table) + QStringLiteral(" ORDER BY INDEX_NAME, COLUMN_POSITION"));
    QHash<QString, QString> expressions;
    for (const auto& row : queryRows(connection,
             QStringLiteral("SELECT INDEX_NAME, COLUMN_POSITION, COLUMN_EXPRESSION FROM "
                            "USER_IND_EXPRESSIONS")
                 + where(table)))
        expressions.insert(text(row[0]) + u'\n' + text(row[1]), text(row[2]).trimmed());
    static const QRegularExpression quotedColumn(QStringLiteral("^\"([^\"]+)\"$"));
    for (const auto& row : indexes) {
        const QString name = text(row[0]);
        if (keyIndexes.contains(name))
            continue;
        CatalogIndex index;
        index.name = name;
        index.unique = text(row[1]) == QLatin1String("UNIQUE");
        index.namedBySystem = text(row[2]) == QLatin1String("Y");
        int position = 0;
        for (const auto& c : columns) {
            if (text(c[0]) != name)
                continue;
            ++position;
            CatalogIndex::Column column;
            column.name = text(c[1]);
            column.descending = text(c[2]) == QLatin1String("DESC");
            const QString expression = expressions.value(name + u'\n' + QString::number(position));
            if (!expression.isEmpty()) {
                const auto m = quotedColumn.match(expression);
                column.name = m.hasMatch() ? m.captured(1) : QString();
                if (!m.hasMatch())
                    column.expression = expression;
            }
            index.columns.append(column);
        }
        out.indexes.append(index);
    }
}

} // namespace

std::optional<ColumnDefault> oracleDefault(const QString& dataDefault)
{
    const QString s = dataDefault.trimmed();
    const QString upper = s.toUpper();
    if (s.isEmpty() || upper == QLatin1String("NULL"))
        return std::nullopt;
    if (const auto value = unquote(s)) {
        // Oracle's empty text is NULL.
        if (value->isEmpty())
            return std::nullopt;
        return ColumnDefault { ColumnDefault::Kind::Value, *value };
    }
    static const QRegularExpression number(
        QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    if (number.match(s).hasMatch())
        return ColumnDefault { ColumnDefault::Kind::Value, s };
    static const QRegularExpression clock(
        QStringLiteral("^(SYSDATE|CURRENT_DATE|SYSTIMESTAMP|LOCALTIMESTAMP|CURRENT_TIMESTAMP)(\\s*"
                       "\\(\\s*\\d\\s*\\))?$"));
    if (clock.match(upper).hasMatch())
        return ColumnDefault { ColumnDefault::Kind::Clock, s };
    // DATE '...', TIMESTAMP '...', INTERVAL '...' DAY(p) TO SECOND(s), and
    // TO_DATE in the one format the program writes.
    static const QRegularExpression typed(
        QStringLiteral(
            "^(?:DATE|TIMESTAMP)\\s*('(?:[^']|'')*')$|^INTERVAL\\s*('(?:[^']|'')*')\\s*DAY"),
        QRegularExpression::CaseInsensitiveOption);
    if (const auto m = typed.match(s); m.hasMatch()) {
        if (const auto value = unquote(m.captured(1).isEmpty() ? m.captured(2) : m.captured(1)))
            return ColumnDefault { ColumnDefault::Kind::Value, *value };
    }
    static const QRegularExpression toDate(
        QStringLiteral(
            "^TO_DATE\\s*\\(\\s*('(?:[^']|'')*')\\s*,\\s*'YYYY-MM-DD HH24:MI:SS'\\s*\\)$"),
        QRegularExpression::CaseInsensitiveOption);
    if (const auto m = toDate.match(s); m.hasMatch()) {
        if (const auto value = unquote(m.captured(1)))
            return ColumnDefault { ColumnDefault::Kind::Value, *value };
    }
    return ColumnDefault { ColumnDefault::Kind::Expression, s };
}

void readOracleDefinition(db::Connection& connection, const QString& table, TableCatalog& out)
{
    readColumnExtras(connection, table, out);
    QStringList keyIndexes;
    readConstraints(connection, table, out, keyIndexes);
    readIndexes(connection, table, keyIndexes, out);
    for (const auto& row : queryRows(
             connection, QStringLiteral("SELECT TRIGGER_NAME FROM USER_TRIGGERS") + where(table)))
        out.triggers.append(text(row[0]));
}

} // namespace tw::catalog

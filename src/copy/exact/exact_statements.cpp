#include "copy/exact/exact_statements.h"

#include "sql/dialect.h"

namespace tw::copy {

namespace {

QString quotedName(const ExactTable& table, const QString& name)
{
    return sql::dialect(table.target).quote(name);
}

} // namespace

QString exactCreateStatement(const ExactTable& table, const QString& targetName)
{
    const sql::Dialect& dialect = sql::dialect(table.target);
    QStringList entries;
    for (const ExactColumn& c : table.columns) {
        entries.append(quotedName(table, c.name) + u' ' + c.type
            + dialect.columnClauses({ c.defaultValue, c.notNull, c.autoNumbered, c.comment }));
    }
    if (!table.primaryKey.isEmpty()) {
        QStringList key;
        for (const QString& name : table.primaryKey)
            key.append(quotedName(table, name));
        entries.append(QStringLiteral("PRIMARY KEY (") + key.join(QLatin1String(", ")) + u')');
    }
    return QStringLiteral("CREATE TABLE ") + quotedName(table, targetName) + QStringLiteral(" (")
        + entries.join(QLatin1String(", ")) + u')' + dialect.tableClauses(table.comment);
}

ExactInsert exactInsertStatement(
    const ExactTable& table, const QString& targetName, const QList<tw::odbc::Value>& row)
{
    ExactInsert out;
    QStringList names;
    QStringList values;
    for (qsizetype i = 0; i < table.columns.size() && i < row.size(); ++i) {
        const ExactLiteral value = exactLiteral(table.columns[i], row[i]);
        const bool first = out.carry == Carry::Literal
            || (out.carry == Carry::Parameter && value.carry == Carry::Refused);
        if (value.carry != Carry::Literal && first) {
            out.carry = value.carry;
            out.column = int(i);
            out.reason = value.reason;
        }
        names.append(quotedName(table, table.columns[i].name));
        values.append(value.text);
    }
    if (out.carry != Carry::Literal)
        return out;
    out.statement = QStringLiteral("INSERT INTO ") + quotedName(table, targetName)
        + QStringLiteral(" (") + names.join(QLatin1String(", ")) + QStringLiteral(") VALUES (")
        + values.join(QLatin1String(", ")) + u')';
    return out;
}

} // namespace tw::copy

#include "transfer/exact_bound.h"

#include "transfer/bulk_statements.h"
#include "transfer/exact_literals.h"
#include "transfer/value_text.h"

#include <sqlext.h>

namespace tw::transfer {

namespace {

bool boundAsText(ValueForm form)
{
    switch (form) {
    case ValueForm::Integer:
    case ValueForm::Decimal:
    case ValueForm::NumberText:
    case ValueForm::Time:
    case ValueForm::Interval:
    case ValueForm::TimestampText:
        return true;
    default:
        return false;
    }
}

bulk::ParameterBinding parameterOf(const ExactColumn& column, bool narrowText)
{
    const bool oracle = column.server == catalog::Server::Oracle;
    const ParameterType& p = column.parameter;
    switch (column.form) {
    case ValueForm::Integer:
    case ValueForm::Decimal:
        if (oracle)
            return { SQL_C_CHAR, SQL_DECIMAL, SQLULEN(p.columnSize), SQLSMALLINT(p.decimalDigits) };
        return { SQL_C_CHAR, SQL_VARCHAR, 0, 0 };
    case ValueForm::NumberText:
    case ValueForm::Time:
    case ValueForm::Interval:
    case ValueForm::TimestampText:
        return { SQL_C_CHAR, SQL_VARCHAR, 0, 0 };
    case ValueForm::Float32:
    case ValueForm::Float64:
        if (column.form == ValueForm::Float32)
            return { SQL_C_DOUBLE, SQL_REAL, 7, 0 };
        return { SQL_C_DOUBLE, SQL_DOUBLE, 15, 0 };
    case ValueForm::Date:
    case ValueForm::Timestamp:
        if (oracle)
            return { SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, SQLULEN(p.columnSize),
                SQLSMALLINT(p.decimalDigits) };
        return { SQL_C_CHAR, SQL_VARCHAR, 0, 0 };
    case ValueForm::Text:
        if (!oracle && narrowText)
            return { SQL_C_CHAR, SQLSMALLINT(column.isLong ? SQL_LONGVARCHAR : SQL_VARCHAR), 0, 0 };
        return { SQL_C_WCHAR, p.sqlType, SQLULEN(p.columnSize), 0 };
    case ValueForm::Binary:
        return { SQL_C_BINARY, p.sqlType, SQLULEN(p.columnSize), 0 };
    }
    return {};
}

// The text between a literal's quotes: '...' or INTERVAL '...' DAY(p) ...
QString quotedPart(const QString& literal)
{
    const qsizetype open = literal.indexOf(u'\'');
    if (open < 0)
        return literal;
    const qsizetype close = literal.indexOf(u'\'', open + 1);
    return literal.mid(open + 1, close - open - 1);
}

odbc::Value boundValue(const ExactColumn& column, const odbc::Value& value, const QString& literal)
{
    if (odbc::isNull(value))
        return odbc::Null();
    if (boundAsText(column.form))
        return quotedPart(literal);
    switch (column.form) {
    case ValueForm::Float32:
    case ValueForm::Float64:
        return *ieeeValue(value); // the literal's check took it as a number
    case ValueForm::Date:
    case ValueForm::Timestamp:
        if (column.server == catalog::Server::Oracle)
            return value;
        return quotedPart(literal);
    case ValueForm::Text:
        if (value.typeId() == QMetaType::QString)
            return value;
        return valueText(value);
    default:
        return value;
    }
}

} // namespace

QList<bulk::ParameterBinding> exactParameters(const ExactTable& table, bool narrowText)
{
    QList<bulk::ParameterBinding> bindings;
    for (const ExactColumn& column : table.columns)
        bindings << parameterOf(column, narrowText);
    return bindings;
}

std::optional<QString> exactBoundRow(
    const ExactTable& table, const QList<odbc::Value>& row, QList<odbc::Value>& bound)
{
    bound.resize(table.columns.size());
    for (qsizetype c = 0; c < table.columns.size(); ++c) {
        const ExactColumn& column = table.columns[c];
        const odbc::Value value = row.value(c);
        const ExactLiteral literal = exactLiteral(column, value);
        if (literal.carry == Carry::Refused)
            return QStringLiteral("column %1: %2").arg(column.name, literal.reason);
        bound[c] = boundValue(column, value, literal.text);
    }
    return std::nullopt;
}

BulkTarget exactBulkTarget(const ExactTable& table, const QString& targetName, bool narrowText)
{
    BulkTarget target;
    target.insert = markerInsert(table.direction, targetName, int(table.columns.size()));
    target.parameters = exactParameters(table, narrowText);
    target.prepare = [table](const QList<odbc::Value>& row, QList<odbc::Value>& bound) {
        return exactBoundRow(table, row, bound);
    };
    target.shown = [](const QList<odbc::Value>& row) { return shownValues(row, true); };
    return target;
}

} // namespace tw::transfer

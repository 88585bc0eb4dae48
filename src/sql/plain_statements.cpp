#include "sql/plain_statements.h"

#include "sql/value_text.h"

#include <QStringView>

namespace tw::sql {

namespace {

// The single quotes of a value doubled on the way into the statement,
// without copying values that hold none.
void appendDoubledQuotes(QString& statement, QStringView value)
{
    qsizetype from = 0;
    for (qsizetype at = value.indexOf(u'\''); at >= 0; at = value.indexOf(u'\'', from)) {
        statement.append(value.mid(from, at - from + 1));
        statement.append(u'\'');
        from = at + 1;
    }
    statement.append(value.mid(from));
}

// Room for one value's text, so that a row's statement is allocated once.
qsizetype estimatedTextSize(const odbc::Value& value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString().size() + 2;
    case QMetaType::QByteArray:
        return value.toByteArray().size() * 2;
    default:
        return 32;
    }
}

} // namespace

void finishCreate(const Dialect& target, QString& statement)
{
    statement.chop(1);
    statement += target.createClosing();
}

QString plainCreateStatement(
    const Dialect& target, const QString& table, const QList<QPair<QString, qint16>>& columns)
{
    QString statement = target.createOpening(table);
    for (const auto& [name, type] : columns)
        statement += target.plainColumnEntry(name, type);
    finishCreate(target, statement);
    return statement;
}

void appendInsertValue(QString& statement, const odbc::Value& value)
{
    const qsizetype before = statement.size();
    if (!appendQuoteFreeText(statement, value))
        appendDoubledQuotes(statement, valueText(value));
    if (statement.size() == before) {
        // Null and empty values alike go as NULL.
        statement.chop(1);
        statement += QLatin1StringView("NULL, '");
    } else {
        statement += QLatin1StringView("', '");
    }
}

void finishInsert(QString& statement)
{
    statement.chop(3);
    statement += u')';
}

QString plainInsertStatement(
    const Dialect& target, const QString& table, const QList<odbc::Value>& row)
{
    QString statement = target.insertOpening(table);
    qsizetype expected = statement.size() + 1;
    for (const odbc::Value& value : row)
        expected += estimatedTextSize(value) + 4;
    statement.reserve(expected);
    for (const odbc::Value& value : row)
        appendInsertValue(statement, value);
    finishInsert(statement);
    return statement;
}

} // namespace tw::sql

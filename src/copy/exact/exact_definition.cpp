#include "copy/exact/exact_definition.h"

#include "catalog/table_catalog.h"
#include "copy/exact/exact_statements.h"
#include "copy/exact/exact_values.h"
#include "copy/exact/type_override.h"
#include "odbc/error.h"
#include "sql/dialect.h"
#include "sql/value_text.h"

#include <algorithm>

namespace tw::copy {

ExactDefinition::ExactDefinition(ExactTable table)
    : m_table(std::move(table))
{ }

ExactDefinition ExactDefinition::read(
    db::Connection& source, sql::Server target, const QString& table, const ExactOptions& options)
{
    ExactTable exact = exactTable(
        target, catalog::readTableCatalog(source, sql::otherServer(target), table), options);
    if (target == sql::Server::Oracle)
        allowEmptyValues(source, table, exact);
    return ExactDefinition(std::move(exact));
}

QList<int> ExactDefinition::emptyAsNullColumns() const
{
    QList<int> columns;
    for (qsizetype i = 0; i < m_table.columns.size(); ++i) {
        if (m_table.columns[i].emptyAsNull)
            columns.append(int(i));
    }
    return columns;
}

void ExactDefinition::checkColumns(const QList<SourceColumn>& read) const
{
    bool same = read.size() == m_table.columns.size();
    for (qsizetype j = 0; same && j < read.size(); ++j)
        same = read[j].name == m_table.columns[j].name;
    if (!same)
        throw odbc::DbError(
            QStringLiteral("The table's columns changed while they were read; copy it again."));
}

void ExactDefinition::choose(
    const QStringList& columns, const QList<std::pair<QString, QString>>& types)
{
    auto find = [&](const QString& name) -> qsizetype {
        for (qsizetype i = 0; i < m_table.columns.size(); ++i) {
            if (m_table.columns[i].name == name)
                return i;
        }
        throw odbc::DbError(QStringLiteral("the table has no column %1").arg(name));
    };
    if (!columns.isEmpty()) {
        QList<ExactColumn> chosen;
        for (const QString& name : columns)
            chosen << m_table.columns[find(name)];
        m_table.columns = chosen;
        // A key with a column left out is no key of the rows copied.
        const bool keyKept = std::all_of(m_table.primaryKey.cbegin(), m_table.primaryKey.cend(),
            [&](const QString& key) { return columns.contains(key); });
        if (!keyKept)
            m_table.primaryKey.clear();
    }
    for (const auto& [name, type] : types) {
        ExactColumn& column = m_table.columns[find(name)];
        const std::optional<ExactColumn> chosen
            = overrideColumn(m_table.target, name, type, column.notNull);
        if (!chosen)
            throw odbc::DbError(QStringLiteral("column %1: the copy cannot check values against "
                                               "%2 in %3")
                                    .arg(name, type, sql::serverName(m_table.target)));
        column = *chosen;
    }
}

QList<int> ExactDefinition::textColumns() const
{
    return sourceTextColumns(m_table);
}

QString ExactDefinition::createStatement(const QString& table) const
{
    return exactCreateStatement(m_table, table);
}

void ExactDefinition::beginLiteral(QString& statement, const QString&) const
{
    // The statement is made whole from the row at its end.
    statement.resize(0);
}

void ExactDefinition::appendLiteral(QString&, int, const odbc::Value&) const
{ }

bool ExactDefinition::finishLiteral(QString& statement, const QString& table, const Row& row) const
{
    ExactInsert insert = exactInsertStatement(m_table, table, row);
    switch (insert.carry) {
    case Carry::Literal:
        statement = std::move(insert.statement);
        return false;
    case Carry::Parameter:
        statement = markerInsert(table);
        return true;
    case Carry::Refused:
        break;
    }
    throw odbc::DbError(QStringLiteral("column %1: %2")
                            .arg(m_table.columns.value(insert.column).name, insert.reason));
}

QString ExactDefinition::markerInsert(const QString& table) const
{
    return sql::dialect(m_table.target).markerInsert(table, int(m_table.columns.size()));
}

QList<bulk::ParameterBinding> ExactDefinition::parameters(bool narrowText) const
{
    QList<bulk::ParameterBinding> bindings;
    for (const ExactColumn& column : m_table.columns)
        bindings << parameterOf(column, narrowText);
    return bindings;
}

void ExactDefinition::bind(const Row& row, Row& bound) const
{
    bound.resize(m_table.columns.size());
    for (qsizetype c = 0; c < m_table.columns.size(); ++c) {
        const ExactColumn& column = m_table.columns[c];
        const ExactValue checked = checkValue(column, row[c]);
        if (checked.carry == Carry::Refused)
            throw odbc::DbError(QStringLiteral("column %1: %2").arg(column.name, checked.reason));
        bound[c] = boundOf(column, checked);
    }
}

QStringList ExactDefinition::shown(const Row& row) const
{
    QStringList values;
    for (const odbc::Value& v : row) {
        const QString text = sql::valueText(v);
        values << (odbc::isNull(v) ? QString() : text.isNull() ? QStringLiteral("") : text);
    }
    return values;
}

const MappingRule ExactDefinition::blankPadded { QLatin1StringView("char-blank-padded"),
    QLatin1StringView("Oracle's CHAR fills its text with blanks to its length") };
const MappingRule ExactDefinition::emptyAsNull { QLatin1StringView("empty-as-null"),
    QLatin1StringView("Oracle keeps an empty text or binary value as NULL (--empty-text null)") };
const MappingRule ExactDefinition::blanksDropped { QLatin1StringView("char-blanks-dropped"),
    QLatin1StringView("MySQL's CHAR gives its text back without the blanks at its end") };

Kept ExactDefinition::kept(int column) const
{
    switch (m_table.columns.at(column).form) {
    case ValueForm::Integer:
    case ValueForm::Decimal:
    case ValueForm::NumberText:
        return Kept::Number;
    case ValueForm::Float32:
        return Kept::Float32;
    case ValueForm::Float64:
        return Kept::Float64;
    case ValueForm::Date:
    case ValueForm::Timestamp:
    case ValueForm::TimestampText:
        return Kept::Timestamp;
    case ValueForm::Time:
    case ValueForm::Interval:
        return Kept::Duration;
    case ValueForm::Text:
        return Kept::Text;
    case ValueForm::Binary:
        return Kept::Binary;
    }
    return Kept::Text;
}

Carried ExactDefinition::carried(int column, const odbc::Value& value) const
{
    const ExactColumn& c = m_table.columns.at(column);
    ExactValue checked = checkValue(c, value);
    if (checked.carry == Carry::Refused)
        return { value, nullptr, QStringLiteral("column %1: %2").arg(c.name, checked.reason) };
    Carried out;
    out.value = std::move(checked.value);
    if (odbc::isNull(out.value) && !odbc::isNull(value)) {
        out.rule = &emptyAsNull;
        return out;
    }
    const bool fixedText = c.form == ValueForm::Text && c.parameter.sqlType == SQL_WCHAR;
    if (!fixedText || out.value.typeId() != QMetaType::QString)
        return out;
    QString text = out.value.toString();
    if (c.server == sql::Server::Oracle) {
        const qsizetype characters = text.toUcs4().size();
        if (characters < c.length) {
            text += QString(c.length - characters, u' ');
            out.rule = &blankPadded;
        }
    } else {
        qsizetype end = text.size();
        while (end > 0 && text[end - 1] == u' ')
            --end;
        if (end < text.size()) {
            text.truncate(end);
            out.rule = &blanksDropped;
        }
    }
    out.value = text;
    return out;
}

} // namespace tw::copy

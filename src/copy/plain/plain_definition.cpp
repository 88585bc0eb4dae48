#include "copy/plain/plain_definition.h"

#include "db/ado_types.h"
#include "db/value_helpers.h"
#include "odbc/error.h"
#include "sql/plain_statements.h"
#include "sql/value_text.h"

#include <sqlext.h>

namespace tw::copy {

namespace {

QString fragmentOf(const sql::Dialect& target, const SourceColumn& column)
{
    return target.plainColumnType(db::AdoTypeName(column.adoType).toLower());
}

bool isEmptyText(const odbc::Value& value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return static_cast<const QString*>(value.constData())->isEmpty();
    case QMetaType::QByteArray:
        return static_cast<const QByteArray*>(value.constData())->isEmpty();
    default:
        return false;
    }
}

} // namespace

PlainDefinition::PlainDefinition(sql::Server target, QList<SourceColumn> columns)
    : m_target(sql::dialect(target))
    , m_columns(std::move(columns))
{
    for (const SourceColumn& c : std::as_const(m_columns)) {
        const QString fragment = fragmentOf(m_target, c);
        const bool typed = target == sql::Server::Oracle
            ? fragment == QLatin1String(" INT,") || fragment == QLatin1String(" DATE,")
                || fragment == QLatin1String(" FLOAT,") || fragment == QLatin1String(" BLOB,")
            : fragment == QLatin1String(" FLOAT,");
        m_asText << !typed;
    }
}

void PlainDefinition::choose(const QList<std::pair<QString, QString>>& types)
{
    m_types.resize(m_columns.size());
    for (const auto& [name, type] : types) {
        qsizetype at = -1;
        for (qsizetype i = 0; i < m_columns.size() && at < 0; ++i) {
            if (m_columns[i].name == name)
                at = i;
        }
        if (at < 0)
            throw odbc::DbError(QStringLiteral("the table has no column %1").arg(name));
        m_types[at] = type.simplified();
    }
}

QString PlainDefinition::createStatement(const QString& table) const
{
    if (m_types.isEmpty()) {
        QList<QPair<QString, qint16>> columns;
        for (const SourceColumn& c : m_columns)
            columns.append({ c.name, c.adoType });
        return sql::plainCreateStatement(m_target, table, columns);
    }
    QString statement = m_target.createOpening(table);
    for (qsizetype i = 0; i < m_columns.size(); ++i)
        statement += m_types[i].isNull()
            ? m_target.plainColumnEntry(m_columns[i].name, m_columns[i].adoType)
            : m_target.quote(m_columns[i].name) + u' ' + m_types[i] + u',';
    sql::finishCreate(m_target, statement);
    return statement;
}

void PlainDefinition::beginLiteral(QString& statement, const QString& table) const
{
    // Every row's statement starts the same and is built in the same
    // buffer, which keeps the room the longest row needed.
    if (m_opening.isNull() || table != m_openingTable) {
        m_openingTable = table;
        m_opening = m_target.insertOpening(table);
    }
    statement.resize(0);
    statement += m_opening;
}

void PlainDefinition::appendLiteral(QString& statement, int, const odbc::Value& value) const
{
    static const odbc::Value empty = QStringLiteral("");
    sql::appendInsertValue(statement, db::NullDefault(value, empty));
}

bool PlainDefinition::finishLiteral(QString& statement, const QString&, const Row&) const
{
    sql::finishInsert(statement);
    return false;
}

QString PlainDefinition::markerInsert(const QString& table) const
{
    return m_target.markerInsert(table, int(m_columns.size()));
}

QList<bulk::ParameterBinding> PlainDefinition::parameters(bool narrowText) const
{
    const bool oracle = m_target.server() == sql::Server::Oracle;
    QList<bulk::ParameterBinding> bindings;
    for (const SourceColumn& c : m_columns) {
        const QString fragment = fragmentOf(m_target, c);
        if (fragment == QLatin1String(" INT,"))
            bindings.append({ SQL_C_CHAR, SQL_DECIMAL, 38, 0 });
        else if (fragment == QLatin1String(" DATE,"))
            bindings.append({ SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, 19, 0 });
        else if (fragment == QLatin1String(" FLOAT,"))
            bindings.append({ SQL_C_DOUBLE, SQL_DOUBLE, 15, 0 });
        else if (fragment == QLatin1String(" BLOB,"))
            bindings.append({ SQL_C_BINARY, SQL_LONGVARBINARY, 0, 0 });
        else if (!oracle && narrowText)
            bindings.append({ SQL_C_CHAR, SQL_VARCHAR, 0, 0 });
        else
            bindings.append({ SQL_C_WCHAR, SQL_WVARCHAR, 0, 0 });
    }
    return bindings;
}

void PlainDefinition::bind(const Row& row, Row& bound) const
{
    bound.resize(m_columns.size());
    for (qsizetype c = 0; c < m_columns.size(); ++c) {
        const odbc::Value& value = row[c];
        // NULL wherever the window sends NULL: a Null value, empty text, no bytes.
        if (odbc::isNull(value) || isEmptyText(value)) {
            bound[c] = odbc::Null();
        } else if (!m_asText[c] || value.typeId() == QMetaType::QString) {
            bound[c] = value; // text is its own value text
        } else {
            QString text = sql::valueText(value);
            bound[c] = text.isEmpty() ? odbc::Null() : odbc::Value(std::move(text));
        }
    }
}

QStringList PlainDefinition::shown(const Row& row) const
{
    QStringList values;
    for (const odbc::Value& v : row) {
        const QString text = sql::valueText(v);
        values << (text.isEmpty() ? QString() : text);
    }
    return values;
}

} // namespace tw::copy

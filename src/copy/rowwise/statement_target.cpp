#include "copy/rowwise/statement_target.h"

#include "bulk/bulk_insert.h"
#include "copy/loop/mysql_session.h"
#include "odbc/error.h"

namespace tw::copy {

struct StatementTarget::RowBatch : Batch {
    bool bound = false; // the row goes as parameters
    void clear() override
    {
        Batch::clear();
        bound = false;
    }
};

StatementTarget::StatementTarget(
    db::Connection* target, const TableDefinition& definition, QString table, QString& statement)
    : m_target(target)
    , m_definition(definition)
    , m_table(std::move(table))
    , m_statement(statement)
{ }

std::unique_ptr<Batch> StatementTarget::newBatch() const
{
    return std::make_unique<RowBatch>();
}

void StatementTarget::beginRow(Batch&)
{
    m_definition.beginLiteral(m_statement, m_table);
}

void StatementTarget::value(Batch&, int column, const odbc::Value& value)
{
    m_definition.appendLiteral(m_statement, column, value);
}

bool StatementTarget::endRow(Batch& batch, qint64, const Row& row)
{
    static_cast<RowBatch&>(batch).bound = m_definition.finishLiteral(m_statement, m_table, row);
    return true;
}

Outcome StatementTarget::send(Batch& batch)
{
    if (!m_target)
        throw odbc::DbError(QStringLiteral("Object variable or With block variable not set"));
    if (static_cast<RowBatch&>(batch).bound)
        sendBound(batch.rows.first());
    else
        db::ExecuteSql(*m_target, m_statement);
    Outcome out;
    out.landed = 1;
    return out;
}

void StatementTarget::sendBound(const Row& row)
{
    if (!m_narrowText)
        m_narrowText
            = m_definition.target() == sql::Server::MySQL && readMySQLSession(*m_target).utf8;
    Row values;
    m_definition.bind(row, values);
    bulk::ParameterArrays arrays(m_definition.parameters(*m_narrowText), 1);
    arrays.add(values);
    bulk::BulkInsert(*m_target, m_statement).execute(arrays, 0, 1);
}

} // namespace tw::copy

#include "transfer/table_copy.h"

#include "db/connection_strings.h"
#include "db/list_helpers.h"
#include "shell/object_check.h"
#include "transfer/exact_copy.h"
#include "transfer/value_text.h"

#include <stdexcept>

namespace tw::transfer {

using shell::Object;

TableCopy::TableCopy(Direction direction, const StopRequest* stop, Types types)
    : m_direction(direction)
    , m_stop(stop)
    , m_types(types)
{ }

// The recordset may be reading ahead on a connection: it goes first.
TableCopy::~TableCopy()
{
    m_rs.reset();
}

void TableCopy::createConnection(Side side)
{
    (side == Side::Oracle ? m_oracle : m_mysql) = std::make_unique<db::Connection>();
}

void TableCopy::createRecordset()
{
    m_rs = std::make_unique<db::Recordset>();
}

db::Connection& TableCopy::connection(Side side) const
{
    return Object(side == Side::Oracle ? m_oracle : m_mysql);
}

db::Connection& TableCopy::source() const
{
    return connection(m_direction == Direction::ToOracle ? Side::MySQL : Side::Oracle);
}

db::Connection& TableCopy::target() const
{
    return connection(m_direction == Direction::ToOracle ? Side::Oracle : Side::MySQL);
}

db::Recordset& TableCopy::recordset() const
{
    return Object(m_rs);
}

int TableCopy::cursorLocation(Direction direction, Side side)
{
    // Reading Oracle into MySQL, the MySQL connection only writes.
    return side == Side::MySQL && direction == Direction::ToMySQL ? db::adUseServer
                                                                  : db::adUseClient;
}

void TableCopy::openConnection(Side side, const db::LoginDetails& login)
{
    connection(side).Open(side == Side::Oracle ? db::OracleConnectionString(login)
                                               : db::MySQLConnectionString(login));
}

QStringList TableCopy::sessionStatements(Side side, Types types)
{
    if (side == Side::Oracle)
        return OracleSessionStatements();
    return { types == Types::Exact ? ExactMySQLSessionStatement() : MySQLSessionStatement() };
}

void TableCopy::connect(Side side, const db::LoginDetails& login)
{
    if (!(side == Side::Oracle ? m_oracle : m_mysql))
        createConnection(side);
    db::Connection& c = connection(side);
    c.CursorLocation = cursorLocation(m_direction, side);
    c.CommandTimeout = timeoutSeconds;
    c.ConnectionTimeout = timeoutSeconds;
    openConnection(side, login);
    for (const QString& sql : sessionStatements(side, m_types))
        c.Execute(sql);
}

void TableCopy::dropTarget(const QString& targetName)
{
    target().Execute(dropStatement(m_direction, targetName));
}

void TableCopy::openSource(const QString& sourceName)
{
    if (m_types == Types::Plain) {
        recordset().Open(selectStatement(m_direction, sourceName), source());
        return;
    }
    readDeclarations(sourceName);
    recordset().Open(
        selectStatement(m_direction, sourceName), source(), sourceTextColumns(m_exact));
    QStringList names;
    for (int j = 0; j < recordset().FieldCount(); ++j)
        names << recordset().field(j).Name;
    try {
        checkColumns(names);
    } catch (...) {
        recordset().Close();
        throw;
    }
}

void TableCopy::readDeclarations(const QString& sourceName)
{
    m_exact = readExactTable(source(), m_direction, sourceName);
}

void TableCopy::checkColumns(const QStringList& names) const
{
    // The values go by position into the columns the declarations name: a
    // table altered between the two reads must not mix them up.
    bool same = names.size() == m_exact.columns.size();
    for (qsizetype j = 0; same && j < names.size(); ++j)
        same = names[j] == m_exact.columns[j].name;
    if (!same)
        throw std::runtime_error("the table's columns changed while they were read");
}

void TableCopy::beginCreate(const QString& targetName)
{
    m_statement = createOpening(m_direction, targetName);
}

int TableCopy::columnCount() const
{
    return recordset().FieldCount();
}

QString TableCopy::columnName(int column) const
{
    return recordset().field(column).Name;
}

qint16 TableCopy::columnType(int column) const
{
    return recordset().field(column).Type;
}

void TableCopy::appendColumn(const QString& name, qint16 type)
{
    m_statement += columnEntry(m_direction, name, type);
}

void TableCopy::finishCreate()
{
    transfer::finishCreate(m_direction, m_statement);
}

void TableCopy::buildCreate(const QString& targetName)
{
    if (m_types == Types::Exact) {
        m_statement = exactCreateStatement(m_exact, targetName);
        return;
    }
    beginCreate(targetName);
    const int columns = columnCount();
    for (int j = 0; j < columns; ++j)
        appendColumn(columnName(j), columnType(j));
    finishCreate();
}

void TableCopy::executeCreate()
{
    db::ExecuteSql(target(), m_statement);
}

qint64 TableCopy::rowCount() const
{
    return recordset().RecordCount();
}

void TableCopy::beginRows(const QString& targetName)
{
    m_counts = RowCounts();
    m_targetName = targetName;
    // Every row's statement starts the same and is built in the same
    // buffer, which keeps the room the longest row needed.
    m_insertOpening = insertOpening(m_direction, targetName);
    m_values = m_rs && m_rs->isOpen() ? m_rs->FieldCount() : 0;
}

void TableCopy::beginInsert()
{
    ++m_counts.read;
    m_statement.resize(0);
    m_statement += m_insertOpening;
}

void TableCopy::appendValue(int column)
{
    appendInsertValue(m_statement, recordset().field(column).Value);
}

void TableCopy::finishInsert()
{
    transfer::finishInsert(m_statement);
}

void TableCopy::executeInsert()
{
    try {
        requireReadableRow();
        db::ExecuteSql(target(), m_statement);
    } catch (...) {
        ++m_counts.refused;
        throw;
    }
    ++m_counts.written;
}

void TableCopy::sendRow()
{
    const qint64 refused = m_counts.refused;
    try {
        if (m_types == Types::Exact) {
            sendExact();
            return;
        }
        beginInsert();
        for (int j = 0; j < m_values; ++j)
            appendValue(j);
        finishInsert();
        executeInsert();
    } catch (...) {
        if (m_counts.refused == refused)
            ++m_counts.refused;
        throw;
    }
}

// After a failed move the fields hold the row before: sent, it would arrive
// twice.
void TableCopy::requireReadableRow() const
{
    if (!recordset().rowReadable())
        throw odbc::DbError(QStringLiteral("The source row could not be read; it was not sent."));
}

void TableCopy::sendExact()
{
    ++m_counts.read;
    requireReadableRow();
    m_row.resize(0);
    for (int j = 0; j < m_values; ++j)
        m_row.append(recordset().field(j).Value);
    sendExactRow(target(), m_exact, m_targetName, m_row, m_statement);
    ++m_counts.written;
}

void TableCopy::moveNext()
{
    recordset().MoveNext();
}

QStringList TableCopy::rowValues() const
{
    QList<odbc::Value> row;
    for (int j = 0; j < m_values; ++j)
        row.append(recordset().field(j).Value);
    return shownValues(row, m_types == Types::Exact);
}

void TableCopy::close()
{
    recordset().Close();
}

void TableCopy::executeOnTarget(const QString& sql)
{
    target().Execute(sql);
}

} // namespace tw::transfer

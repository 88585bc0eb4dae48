#include "db/recordset.h"

#include "db/ado_types.h"
#include "db/connection.h"
#include "db/yield.h"
#include "odbc/error.h"

namespace tw::db {

namespace {
// Rows fetched at once; the thread reading ahead hands them over in batches
// of about this many.
constexpr int rowsPerFetch = 128;
const char* const notWhenClosed = "Operation is not allowed when the object is closed.";
const char* const notWhenOpen = "Operation is not allowed when the object is open.";

// Whether the driver tells a result's row count exactly before its first row
// is fetched: ODBC's answer is SQL_CA2_CRC_EXACT among the attributes of the
// statement's cursor type. Measured through unixODBC 2.3.11:
// - MariaDB Connector/ODBC 3.1.15 makes its statements static unless told
//   otherwise, and claims no exact count for static cursors (0x80); for the
//   forward-only cursor every statement here asks for it claims one (0x1780),
//   and SQLRowCount after a SELECT is exact, the whole result being on the
//   client by then. (Its SQL_DIAG_CURSOR_ROW_COUNT stays 0, so the count
//   itself comes from SQLRowCount.)
// - The Oracle stand-in claims no exact count for any cursor, whichever of
//   -1, 0 or the rows fetched so far its registration answers; for Oracle's
//   own driver, which cannot know the count before fetching, see
//   docs/oracle-driver.md.
// A driver that cannot answer the question (an ODBC 2 driver) gets its rows
// counted by reading them.
bool exactRowCount(SQLHDBC dbc, SQLHSTMT stmt)
{
    SQLULEN cursor = SQL_CURSOR_FORWARD_ONLY;
    if (!SQL_SUCCEEDED(SQLGetStmtAttrW(stmt, SQL_ATTR_CURSOR_TYPE, &cursor, 0, nullptr)))
        return false;
    SQLUSMALLINT info = SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES2;
    if (cursor == SQL_CURSOR_STATIC)
        info = SQL_STATIC_CURSOR_ATTRIBUTES2;
    else if (cursor == SQL_CURSOR_KEYSET_DRIVEN)
        info = SQL_KEYSET_CURSOR_ATTRIBUTES2;
    else if (cursor == SQL_CURSOR_DYNAMIC)
        info = SQL_DYNAMIC_CURSOR_ATTRIBUTES2;
    SQLUINTEGER attributes = 0;
    if (!SQL_SUCCEEDED(SQLGetInfoW(dbc, info, &attributes, sizeof attributes, nullptr)))
        return false;
    return (attributes & SQL_CA2_CRC_EXACT) != 0;
}
} // namespace

Recordset::Recordset() = default;

Recordset::~Recordset()
{
    stopReading();
}

void Recordset::Open(const QString& sql, Connection& connection)
{
    Open(sql, connection, {});
}

void Recordset::Open(const QString& sql, Connection& connection, const QList<int>& textColumns)
{
    if (m_open)
        throw odbc::DbError(QString::fromLatin1(notWhenOpen));
    odbc::StatementHandle stmt = connection.newStatement();
    std::vector<SQLWCHAR> text = odbc::toSqlWChar(sql);
    {
        DriverWait wait;
        odbc::check(SQLExecDirectW(stmt.get(), text.data(), SQL_NTS), SQL_HANDLE_STMT, stmt.get());
    }
    attach(std::move(stmt), connection, textColumns);
}

void Recordset::attach(
    odbc::StatementHandle statement, Connection& connection, const QList<int>& textColumns)
{
    m_stmt = std::move(statement);
    // The connection tells its recordsets when it is used otherwise or goes.
    m_connection = &connection;
    m_detached = false;
    connection.m_readers.append(this);
    SQLHSTMT stmt = m_stmt.get();
    m_fields.clear();
    QList<odbc::ColumnPlan> plans;
    const QList<odbc::ResultColumn> columns = odbc::describeResult(stmt);
    for (qsizetype c = 0; c < columns.size(); ++c) {
        plans.append(
            odbc::planColumn(columns[c], textColumns.contains(int(c)), connection.driverTraits()));
        Field f;
        f.Name = columns[c].name;
        f.Type = adoTypeCode(columns[c].sqlType, columns[c].isUnsigned);
        m_fields.append(f);
    }
    m_reader = std::make_unique<odbc::ResultReader>(
        stmt, std::move(plans), connection.readerOptions(rowsPerFetch));

    SQLLEN count = -1;
    odbc::check(SQLRowCount(stmt, &count), SQL_HANDLE_STMT, stmt);
    m_open = true;
    m_buffered.clear();
    // A count the driver does not vouch for (a driver for Oracle may answer
    // -1, 0 or the rows fetched so far) is found by reading the rows ahead,
    // so that it is known before the first; a 0 taken on trust would lose
    // every row.
    m_buffering = count < 0 || !exactRowCount(connection.handle(), stmt);
    if (m_buffering) {
        QList<odbc::Value> row;
        while (fetchRow(row)) {
            m_buffered.append(row);
            // Reading ahead a long result must not freeze the window.
            DoEventsThrottled();
        }
        m_count = m_buffered.size();
    } else {
        m_count = count;
    }
    // The first row is read here; a result looked at once (a count, one
    // value) never starts a reading thread.
    QList<odbc::Value> row;
    const bool have = m_buffering ? m_buffered.takeFront(row, m_fields.size()) : fetchRow(row);
    m_eof = !have;
    for (qsizetype c = 0; c < m_fields.size(); ++c)
        m_fields[c].Value = have ? row[c] : odbc::Null();
}

bool Recordset::fetchRow(QList<odbc::Value>& row)
{
    DriverWait wait;
    return m_reader->next(row);
}

void Recordset::MoveNext()
{
    requireOpen();
    QList<odbc::Value>& row = m_row;
    bool have = false;
    m_readable = false;
    if (m_buffering) {
        have = m_buffered.takeFront(row, m_fields.size());
    } else if (m_stmt.valid()) {
        if (!m_prefetch) {
            m_prefetch = std::make_unique<RowPrefetch>(*m_reader, m_fields.size());
            if (m_detached)
                m_prefetch->statementGone();
        }
        have = m_prefetch->take(row);
    }
    m_eof = !have;
    for (qsizetype c = 0; c < m_fields.size(); ++c)
        m_fields[c].Value = have ? std::move(row[c]) : odbc::Null();
    m_readable = true;
}

void Recordset::pauseReading()
{
    if (m_prefetch)
        m_prefetch->pause();
}

void Recordset::detachFromConnection()
{
    if (m_prefetch)
        m_prefetch->statementGone();
    m_detached = true;
    m_connection = nullptr;
}

// The reading thread goes before the statement it reads.
void Recordset::stopReading()
{
    m_prefetch.reset();
    if (m_connection)
        m_connection->m_readers.removeAll(this);
    m_connection = nullptr;
}

void Recordset::Close()
{
    requireOpen();
    stopReading();
    m_stmt.reset();
    m_buffered.clear();
    m_fields.clear();
    m_reader.reset();
    m_open = false;
    m_eof = true;
    m_count = 0;
}

qint64 Recordset::RecordCount() const
{
    requireOpen();
    return m_count;
}

int Recordset::FieldCount() const
{
    requireOpen();
    return int(m_fields.size());
}

const Field& Recordset::field(int index) const
{
    requireOpen();
    if (index < 0 || index >= m_fields.size())
        throw odbc::DbError(
            QStringLiteral("Item cannot be found in the collection corresponding to the "
                           "requested name or ordinal."));
    return m_fields[index];
}

void Recordset::requireOpen() const
{
    if (!m_open)
        throw odbc::DbError(QString::fromLatin1(notWhenClosed));
}

} // namespace tw::db

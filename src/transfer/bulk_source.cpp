#include "transfer/bulk_source.h"

#include "db/recordset.h"
#include "odbc/error.h"
#include "odbc/handles.h"
#include "transfer/bulk_statements.h"

#include <sqlext.h>

namespace tw::transfer {

namespace {

// A page of a MySQL table holds about this many bytes of values; MariaDB's
// driver keeps a page in about as much again. The reading thread waits for
// each page while the server makes it: HANDLER's pages are small, so that
// the rows read ahead cover that wait. Pages by offset count their way again
// from the table's beginning: they are as large as memory allows.
constexpr qint64 handlerPageBytes = 4 << 20;
constexpr qint64 offsetPageBytes = 24 << 20;
constexpr qint64 firstPageRows = 10000;
constexpr qint64 fewestPageRows = 1000;

void execute(odbc::StatementHandle& stmt, const QString& sql)
{
    SQLFreeStmt(stmt.get(), SQL_CLOSE);
    const std::vector<SQLWCHAR> text = odbc::toSqlWChar(sql);
    odbc::check(SQLExecDirectW(stmt.get(), const_cast<SQLWCHAR*>(text.data()), SQL_NTS),
        SQL_HANDLE_STMT, stmt.get());
}

qint64 count(db::Connection& connection, const QString& sql)
{
    const std::unique_ptr<db::Recordset> rs = connection.Execute(sql);
    if (!rs || rs->atEnd())
        throw odbc::DbError(QStringLiteral("The row count gave no row."));
    return rs->field(0).Value.toLongLong();
}

// Whether SQLGetData may read any row of a block after SQLSetPos.
bool positionedReads(db::Connection& connection)
{
    SQLUINTEGER getData = 0;
    SQLUINTEGER positions = 0;
    if (!SQL_SUCCEEDED(SQLGetInfoW(
            connection.handle(), SQL_GETDATA_EXTENSIONS, &getData, sizeof getData, nullptr))
        || !SQL_SUCCEEDED(SQLGetInfoW(
            connection.handle(), SQL_POS_OPERATIONS, &positions, sizeof positions, nullptr)))
        return false;
    return (getData & SQL_GD_BLOCK) && (positions & SQL_POS_POSITION);
}

// The bytes a row's values take, for the size of the next pages.
qint64 valueBytes(const QList<odbc::Value>& row)
{
    qint64 bytes = 0;
    for (const odbc::Value& v : row) {
        switch (v.typeId()) {
        case QMetaType::QString:
            bytes += static_cast<const QString*>(v.constData())->size() + 8;
            break;
        case QMetaType::QByteArray:
            bytes += static_cast<const QByteArray*>(v.constData())->size() + 8;
            break;
        default:
            bytes += 16;
        }
    }
    return bytes;
}

class OracleSource : public BulkSource {
public:
    OracleSource(db::Connection& connection, const QString& table, const QList<int>& textColumns)
    {
        // Oracle's COUNT(*) would be a second pass over the table; the
        // progress goes without a total.
        m_count = -1;
        m_stmt = connection.newStatement();
        execute(m_stmt, selectStatement(Direction::ToMySQL, table));
        m_columns = odbc::DescribeResult(m_stmt.get(), textColumns, connection.isMariaDB());
        odbc::BlockReader::Options options;
        options.positionedReads = positionedReads(connection);
        m_reader = std::make_unique<odbc::BlockReader>(m_stmt.get(), m_columns, options);
    }
    bool next(QList<odbc::Value>& row) override { return m_reader->next(row); }
    void close() noexcept override
    {
        m_reader.reset();
        m_stmt.reset();
    }

private:
    odbc::StatementHandle m_stmt;
    std::unique_ptr<odbc::BlockReader> m_reader;
};

class MySQLSource : public BulkSource {
public:
    MySQLSource(db::Connection& connection, const QString& table, bool handler,
        const QList<int>& textColumns)
        : m_connection(connection)
        , m_table(table)
    {
        for (const QString& sql : mysqlSnapshotStatements())
            connection.Execute(sql);
        m_inSnapshot = true;
        m_count = count(connection, mysqlCountStatement(table));
        const bool narrow = ReadMySQLSession(connection).utf8;
        m_stmt = connection.newStatement();
        m_pageRows = firstPageRows;
        if (!handler || !openHandler())
            execute(m_stmt, mysqlOffsetPage(m_table, 0, m_pageRows));
        m_pages = 1;
        m_columns = odbc::DescribeResult(m_stmt.get(), textColumns, connection.isMariaDB());
        odbc::BlockReader::Options options;
        options.narrowText = narrow;
        options.positionedReads = false;
        m_reader = std::make_unique<odbc::BlockReader>(m_stmt.get(), m_columns, options);
    }

    bool next(QList<odbc::Value>& row) override
    {
        for (;;) {
            if (m_reader->next(row)) {
                ++m_inPage;
                ++m_read;
                if (m_pages == 1)
                    m_firstPageBytes += valueBytes(row);
                return true;
            }
            if (m_inPage < m_pageRows)
                return false; // a page that was not full was the last
            nextPage();
        }
    }

    void close() noexcept override
    {
        m_reader.reset();
        if (m_handlerOpen && m_stmt.valid()) {
            while (SQL_SUCCEEDED(SQLMoreResults(m_stmt.get()))) { }
        }
        m_stmt.reset();
        try {
            if (m_handlerOpen)
                m_connection.Execute(mysqlHandlerClose());
        } catch (...) {
            // The connection is gone, and the handler with it.
        }
        m_handlerOpen = false;
        if (m_inSnapshot) {
            m_inSnapshot = false;
            try {
                m_connection.Execute(mysqlSnapshotEnd());
            } catch (...) {
                // A snapshot only read: nothing is lost with the connection.
            }
        }
    }
    ~MySQLSource() override { close(); }

private:
    // The HANDLER's first page; false (and the handler closed) where the
    // table has none (a view) or the driver does not read it.
    bool openHandler()
    {
        try {
            m_connection.Execute(mysqlHandlerOpen(m_table));
            m_handlerOpen = true;
            handlerPage(true);
            return true;
        } catch (const odbc::DbError&) {
            if (m_handlerOpen) {
                try {
                    m_connection.Execute(mysqlHandlerClose());
                } catch (const odbc::DbError&) {
                    // Closed with the failure already.
                }
            }
            m_handlerOpen = false;
            return false;
        }
    }

    // The HANDLER's rows are the text's second result.
    void handlerPage(bool first)
    {
        execute(m_stmt, mysqlHandlerPage(first, m_pageRows));
        const SQLRETURN rc = SQLMoreResults(m_stmt.get());
        if (rc == SQL_NO_DATA)
            throw odbc::DbError(QStringLiteral("HANDLER READ gave no rows to read."));
        odbc::check(rc, SQL_HANDLE_STMT, m_stmt.get());
    }

    void nextPage()
    {
        if (m_pages == 1 && m_read > 0) {
            const qint64 perRow = std::max<qint64>(1, m_firstPageBytes / m_read);
            const qint64 bytes = m_handlerOpen ? handlerPageBytes : offsetPageBytes;
            m_pageRows = std::max(fewestPageRows, bytes / perRow);
        }
        if (m_handlerOpen) {
            // The driver wants the text's results run out before the
            // statement closes, or closing waits for a lock it holds itself.
            while (SQL_SUCCEEDED(SQLMoreResults(m_stmt.get()))) { }
            handlerPage(false);
        } else {
            execute(m_stmt, mysqlOffsetPage(m_table, m_read, m_pageRows));
        }
        m_reader->restart();
        m_inPage = 0;
        ++m_pages;
    }

    db::Connection& m_connection;
    QString m_table;
    odbc::StatementHandle m_stmt;
    std::unique_ptr<odbc::BlockReader> m_reader;
    bool m_inSnapshot = false;
    bool m_handlerOpen = false;
    qint64 m_pageRows = 0;
    qint64 m_inPage = 0;
    qint64 m_read = 0;
    qint64 m_firstPageBytes = 0;
};

} // namespace

BulkSource::~BulkSource() = default;

std::unique_ptr<BulkSource> BulkSource::open(Direction direction, db::Connection& connection,
    const QString& sourceName, bool handler, const QList<int>& textColumns)
{
    if (direction == Direction::ToOracle)
        return std::make_unique<MySQLSource>(connection, sourceName, handler, textColumns);
    return std::make_unique<OracleSource>(connection, sourceName, textColumns);
}

MySQLSession ReadMySQLSession(db::Connection& connection)
{
    const std::unique_ptr<db::Recordset> rs = connection.Execute(
        QStringLiteral("SELECT @@character_set_client, @@character_set_connection, "
                       "@@character_set_results, @@max_allowed_packet"));
    MySQLSession session;
    if (!rs || rs->atEnd())
        return session;
    session.utf8 = true;
    for (int c = 0; c < 3; ++c)
        session.utf8 = session.utf8 && rs->field(c).Value.toString() == QLatin1String("utf8mb4");
    session.maxPacket = rs->field(3).Value.toLongLong();
    return session;
}

} // namespace tw::transfer

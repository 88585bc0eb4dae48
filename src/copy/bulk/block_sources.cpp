#include "copy/bulk/block_sources.h"

#include "db/ado_types.h"
#include "db/connection_strings.h"
#include "db/recordset.h"
#include "odbc/error.h"
#include "odbc/handles.h"
#include "sql/mysql_dialect.h"

#include <sqlext.h>

namespace tw::copy {

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

qint64 countRows(db::Connection& connection, const QString& sql)
{
    const std::unique_ptr<db::Recordset> rs = connection.Execute(sql);
    if (!rs || rs->atEnd())
        throw odbc::DbError(QStringLiteral("The row count gave no row."));
    return rs->field(0).Value.toLongLong();
}

QList<odbc::ColumnPlan> plansOf(const QList<odbc::ResultColumn>& columns,
    const QList<int>& textColumns, const db::Connection& connection)
{
    QList<odbc::ColumnPlan> plans;
    for (qsizetype c = 0; c < columns.size(); ++c)
        plans.append(
            odbc::planColumn(columns[c], textColumns.contains(int(c)), connection.driverTraits()));
    return plans;
}

// The bytes a row's values take, for the size of the next pages.
qint64 valueBytes(const Row& row)
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

class OracleBlocks : public BlockSource {
public:
    OracleBlocks(
        db::Connection& connection, const sql::RowSelection& rows, const QList<int>& textColumns)
    {
        m_stmt = connection.newStatement();
        execute(m_stmt, sql::dialect(sql::Server::Oracle).selectRows(rows));
        const QList<odbc::ResultColumn> columns = odbc::describeResult(m_stmt.get());
        m_reader = std::make_unique<odbc::ResultReader>(m_stmt.get(),
            plansOf(columns, textColumns, connection), connection.readerOptions(1000));
        start(columns);
    }
    void close() noexcept override
    {
        m_reader.reset();
        m_stmt.reset();
    }

private:
    bool nextRow(Row& row) override { return m_reader && m_reader->next(row); }

    odbc::StatementHandle m_stmt;
    std::unique_ptr<odbc::ResultReader> m_reader;
};

class MySQLPages : public BlockSource {
public:
    MySQLPages(db::Connection& connection, const sql::RowSelection& rows, const KeyColumns& key,
        const QList<int>& textColumns, std::unique_ptr<db::Connection> own)
        : m_own(std::move(own))
        , m_connection(connection)
        , m_rows(rows)
        , m_key(key)
    {
        const sql::MySQLDialect& mysql = sql::mysql();
        for (const QString& statement : mysql.snapshotStatements())
            connection.Execute(statement);
        m_inSnapshot = true;
        m_count = countRows(connection, mysql.countSelected(rows));
        m_stmt = connection.newStatement();
        m_pageRows = firstPageRows;
        m_keyed = !rows.wholeTable() && !key.isEmpty();
        m_last.resize(key.positions.size());
        if (m_keyed) {
            m_rows.ordered = true;
            execute(m_stmt, mysql.selectRows(m_rows) + mysql.limitRows(m_pageRows));
        } else if (!m_own || !rows.wholeTable() || !openHandler()) {
            execute(m_stmt, mysql.offsetPage(mysql.selectRows(m_rows), 0, m_pageRows));
        }
        m_pages = 1;
        const QList<odbc::ResultColumn> columns = odbc::describeResult(m_stmt.get());
        // MariaDB's driver reads a block's long values wrongly after SQLSetPos
        // (see odbc::ResultReader): the connection's options say so.
        m_reader = std::make_unique<odbc::ResultReader>(m_stmt.get(),
            plansOf(columns, textColumns, connection), connection.readerOptions(1000));
        start(columns);
    }
    ~MySQLPages() override { close(); }

    void close() noexcept override
    {
        m_reader.reset();
        if (m_handlerOpen && m_stmt.valid()) {
            while (SQL_SUCCEEDED(SQLMoreResults(m_stmt.get()))) { }
        }
        m_stmt.reset();
        try {
            if (m_handlerOpen)
                m_connection.Execute(sql::mysql().handlerClose());
        } catch (...) {
            // The connection is gone, and the handler with it.
        }
        m_handlerOpen = false;
        if (m_inSnapshot) {
            m_inSnapshot = false;
            try {
                m_connection.Execute(sql::mysql().snapshotEnd());
            } catch (...) {
                // A snapshot only read: nothing is lost with the connection.
            }
        }
        m_own.reset();
    }

private:
    bool nextRow(Row& row) override
    {
        for (;;) {
            if (!m_reader)
                return false;
            if (m_reader->next(row)) {
                if (m_keyed) {
                    for (qsizetype k = 0; k < m_key.positions.size(); ++k)
                        m_last[k] = row.at(m_key.positions[k]);
                }
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

    // The HANDLER's first page; false (and the handler closed) where the
    // table has none (a view) or the driver does not read it.
    bool openHandler()
    {
        try {
            m_connection.Execute(sql::mysql().handlerOpen(m_rows.table));
            m_handlerOpen = true;
            handlerPage(true);
            return true;
        } catch (const odbc::DbError&) {
            if (m_handlerOpen) {
                try {
                    m_connection.Execute(sql::mysql().handlerClose());
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
        execute(m_stmt, sql::mysql().handlerPage(first, m_pageRows));
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
        const sql::MySQLDialect& mysql = sql::mysql();
        if (m_handlerOpen) {
            // The driver wants the text's results run out before the
            // statement closes, or closing waits for a lock it holds itself.
            while (SQL_SUCCEEDED(SQLMoreResults(m_stmt.get()))) { }
            handlerPage(false);
        } else if (m_keyed) {
            KeyColumns inLast = m_key;
            for (qsizetype k = 0; k < inLast.positions.size(); ++k)
                inLast.positions[k] = int(k);
            m_rows.after = keyOf(m_last, inLast);
            execute(m_stmt, mysql.selectRows(m_rows) + mysql.limitRows(m_pageRows));
        } else {
            execute(m_stmt, mysql.offsetPage(mysql.selectRows(m_rows), m_read, m_pageRows));
        }
        m_reader->restart();
        m_inPage = 0;
        ++m_pages;
    }

    std::unique_ptr<db::Connection> m_own; // goes last, after its statements
    db::Connection& m_connection;
    sql::RowSelection m_rows;
    KeyColumns m_key;
    bool m_keyed = false; // pages in key order, each after the last key read
    Row m_last; // the key's values of the last row read
    odbc::StatementHandle m_stmt;
    std::unique_ptr<odbc::ResultReader> m_reader;
    bool m_inSnapshot = false;
    bool m_handlerOpen = false;
    qint64 m_pageRows = 0;
    qint64 m_inPage = 0;
    qint64 m_read = 0;
    qint64 m_firstPageBytes = 0;
    int m_pages = 0;
};

} // namespace

const odbc::Value& BlockSource::value(int column) const
{
    if (m_unreadable)
        std::rethrow_exception(m_unreadable);
    return m_row.at(column);
}

odbc::Value BlockSource::take(int column)
{
    if (m_unreadable)
        std::rethrow_exception(m_unreadable);
    return std::move(m_row[column]);
}

void BlockSource::next()
{
    m_unreadable = nullptr;
    try {
        m_atEnd = !nextRow(m_row);
    } catch (...) {
        // The reader has moved past the row; the next row follows it.
        m_unreadable = std::current_exception();
        throw;
    }
}

void BlockSource::start(const QList<odbc::ResultColumn>& columns)
{
    for (const odbc::ResultColumn& c : columns)
        m_columns.append({ c.name, db::adoTypeCode(c.sqlType, c.isUnsigned) });
    try {
        next();
    } catch (const odbc::DbError& e) {
        if (e.lasting() != odbc::LastingFailure::None)
            throw;
        // The first row is refused where its values are read.
    }
}

std::unique_ptr<BlockSource> openOracleBlocks(
    db::Connection& connection, const sql::RowSelection& rows, const QList<int>& textColumns)
{
    return std::make_unique<OracleBlocks>(connection, rows, textColumns);
}

std::unique_ptr<BlockSource> openMySQLPages(db::Connection& connection,
    const sql::RowSelection& rows, const KeyColumns& key, const QList<int>& textColumns,
    std::unique_ptr<db::Connection> own)
{
    return std::make_unique<MySQLPages>(connection, rows, key, textColumns, std::move(own));
}

std::unique_ptr<BlockSource> openBlocks(sql::Server side, db::Connection& connection,
    const sql::RowSelection& rows, const KeyColumns& key, const QList<int>& textColumns,
    const std::optional<db::LoginDetails>& login, int timeoutSeconds)
{
    if (side == sql::Server::Oracle)
        return openOracleBlocks(connection, rows, textColumns);
    if (!login)
        return openMySQLPages(connection, rows, key, textColumns, nullptr);
    auto own = std::make_unique<db::Connection>();
    own->CommandTimeout = timeoutSeconds;
    own->ConnectionTimeout = timeoutSeconds;
    own->Open(db::MySQLConnectionString(*login) + sql::MySQLDialect::multiStatementsOption);
    db::Connection& pages = *own;
    return openMySQLPages(pages, rows, key, textColumns, std::move(own));
}

} // namespace tw::copy

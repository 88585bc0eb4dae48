#include "bulk/bulk_insert.h"

#include "db/yield.h"

#include <deque>

namespace tw::bulk {

namespace {

// Below this many rows a range whose statuses say nothing is sent row by
// row rather than halved again.
constexpr int oneByOneBelow = 8;

bool validStatus(SQLUSMALLINT s)
{
    return s == SQL_PARAM_SUCCESS || s == SQL_PARAM_SUCCESS_WITH_INFO || s == SQL_PARAM_ERROR
        || s == SQL_PARAM_UNUSED;
}

} // namespace

namespace {
odbc::StatementHandle prepared(db::Connection& connection, const QString& sql)
{
    odbc::StatementHandle stmt = connection.newStatement();
    const std::vector<SQLWCHAR> text = odbc::toSqlWChar(sql);
    db::DriverWait wait;
    odbc::check(SQLPrepareW(stmt.get(), const_cast<SQLWCHAR*>(text.data()), SQL_NTS),
        SQL_HANDLE_STMT, stmt.get());
    return stmt;
}
} // namespace

BulkInsert::BulkInsert(db::Connection& connection, const QString& sql)
    : m_connection(connection)
    , m_sql(sql)
    , m_arrays(prepared(connection, sql))
{ }

odbc::StatementHandle& BulkInsert::statementFor(int rows)
{
    if (rows > 1)
        return m_arrays;
    if (!m_single.valid())
        m_single = prepared(m_connection, m_sql);
    return m_single;
}

void BulkInsert::execute(ParameterArrays& rows, int first, int last)
{
    const SQLHSTMT h = statementFor(last - first).get();
    rows.bind(h, first, last);
    ++m_executions;
    SQLRETURN rc = SQL_SUCCESS;
    {
        db::DriverWait wait;
        rc = SQLExecute(h);
    }
    if (rc == SQL_NEED_DATA) {
        SQLFreeStmt(h, SQL_CLOSE);
        throw odbc::DbError(QStringLiteral("The driver asked for data at execution."));
    }
    // The statement is closed whatever happened: MariaDB Connector/ODBC
    // sends the next array from stale buffers after a failed execution
    // that was not closed. The diagnostics are read before.
    try {
        odbc::check(rc, SQL_HANDLE_STMT, h);
    } catch (...) {
        SQLFreeStmt(h, SQL_CLOSE);
        throw;
    }
    SQLFreeStmt(h, SQL_CLOSE);
}

BulkInsert::Sent BulkInsert::send(
    ParameterArrays& rows, const std::function<bool(const odbc::DbError&)>& failsEveryRow)
{
    Sent sent;
    // Ranges still to send, in row order.
    std::deque<std::pair<int, int>> pending;
    if (rows.size() > 0)
        pending.emplace_back(0, rows.size());
    while (!pending.empty()) {
        const auto [first, last] = pending.front();
        pending.pop_front();
        try {
            execute(rows, first, last);
            // Success with some rows refused (a driver reporting errors per
            // row) is taken as the statuses say.
            int landed = last - first;
            for (int r = first; r < last; ++r) {
                if (rows.status(r) == SQL_PARAM_ERROR) {
                    --landed;
                    sent.refused.append(
                        { r, odbc::DbError(QStringLiteral("The row was refused.")) });
                }
            }
            sent.landed += landed;
            continue;
        } catch (const odbc::DbError& error) {
            if (failsEveryRow && failsEveryRow(error)) {
                sent.fatal = error;
                sent.unsentFrom = first;
                return sent;
            }
            // Statuses the driver set, in order, for the rows it says it
            // processed: what went in, and the refused row, are known.
            const int processed = int(std::min<SQLULEN>(rows.processed(), SQLULEN(last - first)));
            bool known = processed > 0;
            for (int r = first; r < first + processed; ++r)
                known = known && validStatus(rows.status(r));
            if (known) {
                int next = first + processed;
                for (int r = first; r < first + processed; ++r) {
                    const SQLUSMALLINT s = rows.status(r);
                    if (s == SQL_PARAM_SUCCESS || s == SQL_PARAM_SUCCESS_WITH_INFO) {
                        ++sent.landed;
                    } else if (s == SQL_PARAM_ERROR) {
                        sent.refused.append({ r, error });
                    } else { // unused: not tried
                        next = r;
                        break;
                    }
                }
                if (next < last)
                    pending.emplace_front(next, last);
                continue;
            }
            // Nothing is known, and nothing went in: smaller pieces.
            const int count = last - first;
            if (count == 1) {
                sent.refused.append({ first, error });
            } else if (count <= oneByOneBelow) {
                for (int r = last - 1; r >= first; --r)
                    pending.emplace_front(r, r + 1);
            } else {
                const int middle = first + count / 2;
                pending.emplace_front(middle, last);
                pending.emplace_front(first, middle);
            }
        }
    }
    return sent;
}

} // namespace tw::bulk

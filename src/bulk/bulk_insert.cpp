#include "bulk/bulk_insert.h"

#include "db/yield.h"
#include "odbc/handles.h"

#include <deque>

namespace tw::bulk {

namespace {

// Below this many rows a piece whose statuses say nothing is sent row by
// row rather than halved again.
constexpr int oneByOneBelow = 8;

bool validStatus(SQLUSMALLINT s)
{
    return s == SQL_PARAM_SUCCESS || s == SQL_PARAM_SUCCESS_WITH_INFO || s == SQL_PARAM_ERROR
        || s == SQL_PARAM_UNUSED;
}

odbc::StatementHandle prepared(db::Connection& connection, const QString& sql)
{
    odbc::StatementHandle stmt = connection.newStatement();
    const std::vector<SQLWCHAR> text = odbc::toSqlWChar(sql);
    db::DriverWait wait;
    odbc::check(SQLPrepareW(stmt.get(), const_cast<SQLWCHAR*>(text.data()), SQL_NTS),
        SQL_HANDLE_STMT, stmt.get());
    return stmt;
}

// The row of [first, last) that the statuses of a failed execution name as
// refused, every row before it marked as done; -1 when they say nothing
// usable.
int refusedByStatus(const ParameterArrays& rows, int first, int last)
{
    const int processed = int(std::min<SQLULEN>(rows.processed(), SQLULEN(last - first)));
    for (int r = first; r < first + processed; ++r) {
        const SQLUSMALLINT s = rows.status(r);
        if (!validStatus(s) || s == SQL_PARAM_UNUSED)
            return -1;
        if (s == SQL_PARAM_ERROR)
            return r;
    }
    return -1;
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
    // Closed whatever happens, after the diagnostics were read: MariaDB
    // Connector/ODBC sends the next array from stale buffers after a failed
    // execution that was not closed.
    const odbc::CursorCloser closer(h);
    SQLRETURN rc = SQL_SUCCESS;
    {
        db::DriverWait wait;
        rc = SQLExecute(h);
    }
    if (rc == SQL_NEED_DATA)
        throw odbc::DbError(QStringLiteral("The driver asked for data at execution."));
    odbc::check(rc, SQL_HANDLE_STMT, h);
}

BulkInsert::Sent BulkInsert::send(
    ParameterArrays& rows, db::ManualCommit& transaction, const BeforeCommit& beforeCommit)
{
    Sent sent;
    // Pieces still to send, in row order; after the first failure each is
    // committed on its own.
    std::deque<std::pair<int, int>> pending;
    if (rows.size() > 0)
        pending.emplace_back(0, rows.size());
    bool isolating = false;
    int uncommitted = 0;
    auto commit = [&](int first, int lastRow) {
        try {
            if (beforeCommit)
                beforeCommit(lastRow);
            transaction.commit();
            sent.landed += std::exchange(uncommitted, 0);
            return true;
        } catch (const odbc::DbError& error) {
            sent.fatal = error;
            sent.unsentFrom = first;
            sent.whileCommitting = true;
            return false;
        }
    };
    while (!pending.empty()) {
        const auto [first, last] = pending.front();
        pending.pop_front();
        try {
            execute(rows, first, last);
        } catch (const odbc::DbError& error) {
            // Whatever the driver kept of the rows sent since the last
            // commit is undone, so that none of them goes in twice.
            try {
                transaction.rollback();
            } catch (const odbc::DbError&) {
                // A connection that cannot roll back is lost: the failure
                // below says so.
            }
            uncommitted = 0;
            if (error.lasting() != odbc::LastingFailure::None) {
                sent.fatal = error;
                sent.unsentFrom = first;
                return sent;
            }
            isolating = true;
            const int refused = refusedByStatus(rows, first, last);
            if (refused >= 0) {
                sent.refused.append({ refused, error });
                if (refused + 1 < last)
                    pending.emplace_front(refused + 1, last);
                if (first < refused)
                    pending.emplace_front(first, refused);
            } else if (last - first == 1) {
                sent.refused.append({ first, error });
            } else if (last - first <= oneByOneBelow) {
                for (int r = last - 1; r >= first; --r)
                    pending.emplace_front(r, r + 1);
            } else {
                const int middle = first + (last - first) / 2;
                pending.emplace_front(middle, last);
                pending.emplace_front(first, middle);
            }
            continue;
        }
        // Success with some rows refused (a driver reporting errors per row)
        // is taken as the statuses say.
        for (int r = first; r < last; ++r) {
            if (rows.status(r) == SQL_PARAM_ERROR)
                sent.refused.append({ r, odbc::DbError(QStringLiteral("The row was refused.")) });
            else
                ++uncommitted;
        }
        if (isolating && !commit(first, last - 1))
            return sent;
    }
    if (!isolating && rows.size() > 0)
        commit(0, rows.size() - 1);
    return sent;
}

} // namespace tw::bulk

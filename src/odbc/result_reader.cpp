#include "odbc/result_reader.h"

#include "odbc/handles.h"

#include <sqlext.h>

namespace tw::odbc {

ResultReader::ResultReader(SQLHSTMT stmt, QList<ColumnPlan> plans, const Options& options)
    : m_stmt(stmt)
    , m_plans(std::move(plans))
    , m_options(options)
{
    bind();
}

void ResultReader::bind()
{
    SQLLEN rowWidth = 0;
    bool anyUnbound = false;
    for (const ColumnPlan& plan : std::as_const(m_plans)) {
        if (plan.width == 0)
            anyUnbound = true;
        else
            rowWidth += plan.width + SQLLEN(sizeof(SQLLEN));
    }
    m_rows = int(std::clamp<qsizetype>(
        m_options.bufferBytes / std::max<SQLLEN>(rowWidth, 1), 1, std::max(1, m_options.maxRows)));
    if (anyUnbound && !m_options.positionedReads)
        m_rows = 1;

    check(SQLSetStmtAttr(m_stmt, SQL_ATTR_ROW_BIND_TYPE,
              reinterpret_cast<SQLPOINTER>(SQLULEN(SQL_BIND_BY_COLUMN)), 0),
        SQL_HANDLE_STMT, m_stmt);
    check(SQLSetStmtAttr(
              m_stmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(SQLULEN(m_rows)), 0),
        SQL_HANDLE_STMT, m_stmt);
    m_status.assign(size_t(m_rows), SQL_ROW_NOROW);
    check(SQLSetStmtAttr(m_stmt, SQL_ATTR_ROW_STATUS_PTR, m_status.data(), 0), SQL_HANDLE_STMT,
        m_stmt);
    check(
        SQLSetStmtAttr(m_stmt, SQL_ATTR_ROWS_FETCHED_PTR, &m_fetched, 0), SQL_HANDLE_STMT, m_stmt);
    m_bound.assign(size_t(m_plans.size()), Bound());
    for (qsizetype c = 0; c < m_plans.size(); ++c) {
        const ColumnPlan& plan = m_plans[c];
        if (plan.width == 0)
            continue;
        Bound& b = m_bound[size_t(c)];
        b.data.resize(size_t(plan.width * m_rows));
        b.indicators.resize(size_t(m_rows));
        check(SQLBindCol(m_stmt, SQLUSMALLINT(c + 1), plan.cType, b.data.data(), plan.width,
                  b.indicators.data()),
            SQL_HANDLE_STMT, m_stmt);
    }
}

void ResultReader::restart()
{
    m_fetched = 0;
    m_at = 0;
    m_positioned = -1;
    m_ended = false;
}

bool ResultReader::fetch()
{
    m_at = 0;
    m_positioned = -1;
    m_fetched = 0;
    const SQLRETURN rc = SQLFetch(m_stmt);
    if (rc == SQL_NO_DATA) {
        m_fetched = 0;
        m_ended = true;
        return false;
    }
    check(rc, SQL_HANDLE_STMT, m_stmt);
    // A row's error is in the fetch's diagnostics, which the next call on
    // the statement (a long value read from an earlier row) clears.
    m_rowError.reset();
    for (SQLULEN r = 0; r < m_fetched && !m_rowError; ++r) {
        if (m_status[size_t(r)] != SQL_ROW_ERROR)
            continue;
        try {
            check(SQL_ERROR, SQL_HANDLE_STMT, m_stmt);
        } catch (const DbError& e) {
            m_rowError = e;
        }
    }
    if (m_fetched == 0) {
        m_ended = true;
        return false;
    }
    return true;
}

// A value read with SQLGetData, in pieces.
Value ResultReader::readWhole(int column, int rowInBlock)
{
    if (m_rows > 1) {
        if (!m_options.positionedReads)
            throw DbError(QStringLiteral("The value of column %1 is longer than the driver said "
                                         "its values are.")
                              .arg(m_plans[column].column));
        if (m_positioned != rowInBlock) {
            check(
                SQLSetPos(m_stmt, SQLSETPOSIROW(rowInBlock + 1), SQL_POSITION, SQL_LOCK_NO_CHANGE),
                SQL_HANDLE_STMT, m_stmt);
            m_positioned = rowInBlock;
        }
    }
    return readValue(m_stmt, SQLUSMALLINT(column + 1), m_plans[column]);
}

Value ResultReader::value(int column, int rowInBlock)
{
    const ColumnPlan& plan = m_plans[column];
    if (plan.width == 0)
        return readWhole(column, rowInBlock);
    const Bound& b = m_bound[size_t(column)];
    const SQLLEN indicator = b.indicators[size_t(rowInBlock)];
    if (indicator == SQL_NULL_DATA)
        return Null();
    if (indicator == SQL_NO_TOTAL || indicator > plan.width - plan.terminator)
        return readWhole(column, rowInBlock);
    return decodeValue(plan, b.data.data() + plan.width * rowInBlock, indicator);
}

bool ResultReader::next(QList<Value>& row)
{
    if (m_ended)
        return false;
    if (m_at >= int(m_fetched) && !fetch())
        return false;
    const int r = m_at++;
    if (m_status[size_t(r)] == SQL_ROW_ERROR)
        throw m_rowError ? *m_rowError : DbError(QStringLiteral("The row could not be read."));
    row.resize(m_plans.size());
    for (qsizetype c = 0; c < m_plans.size(); ++c)
        row[c] = value(int(c), r);
    return true;
}

bool positionedReads(SQLHDBC dbc)
{
    SQLUINTEGER getData = 0;
    SQLUINTEGER positions = 0;
    if (!SQL_SUCCEEDED(SQLGetInfoW(dbc, SQL_GETDATA_EXTENSIONS, &getData, sizeof getData, nullptr))
        || !SQL_SUCCEEDED(
            SQLGetInfoW(dbc, SQL_POS_OPERATIONS, &positions, sizeof positions, nullptr)))
        return false;
    return (getData & SQL_GD_BLOCK) && (positions & SQL_POS_POSITION);
}

} // namespace tw::odbc

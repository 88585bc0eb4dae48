// Running statements and statement attributes.

#include "entry.h"
#include "handles.h"
#include "utf.h"

using namespace orastandin;
using namespace orastandin::odbc;

namespace {

SQLRETURN execute(Statement* stmt, const std::string& sql)
{
    if (!stmt->dbc->session)
        throw DriverError("08003", "Connection not open");
    if (stmt->result && stmt->result->isQuery)
        throw DriverError("24000", "Invalid cursor state");
    stmt->closeCursor();
    stmt->result = stmt->dbc->session->execute(sql);
    stmt->rowLimit = stmt->maxRows;
    return SQL_SUCCESS;
}

SQLRETURN setStmtAttr(Statement* stmt, SQLINTEGER attribute, SQLPOINTER value)
{
    const auto n = reinterpret_cast<SQLULEN>(value);
    switch (attribute) {
    case SQL_ATTR_QUERY_TIMEOUT:
        stmt->queryTimeout = n;
        return SQL_SUCCESS;
    case SQL_ATTR_MAX_ROWS:
        stmt->maxRows = n;
        return SQL_SUCCESS;
    case SQL_ATTR_MAX_LENGTH:
        stmt->maxLength = n;
        return SQL_SUCCESS;
    case SQL_ATTR_ROWS_FETCHED_PTR:
        stmt->rowsFetched = static_cast<SQLULEN*>(value);
        return SQL_SUCCESS;
    case SQL_ATTR_ROW_STATUS_PTR:
        stmt->rowStatus = static_cast<SQLUSMALLINT*>(value);
        return SQL_SUCCESS;
    case SQL_ATTR_ROW_ARRAY_SIZE:
    case SQL_ROWSET_SIZE:
        if (n != 1)
            throw DriverError("HYC00", "Optional feature not implemented");
        return SQL_SUCCESS;
    case SQL_ATTR_ROW_BIND_TYPE:
        if (n != SQL_BIND_BY_COLUMN)
            throw DriverError("HYC00", "Optional feature not implemented");
        return SQL_SUCCESS;
    case SQL_ATTR_CURSOR_TYPE:
        // Only forward-only cursors; anything else is replaced, as ODBC allows.
        if (n != SQL_CURSOR_FORWARD_ONLY) {
            stmt->diag.addDriver("01S02", "Option value changed");
            return SQL_SUCCESS_WITH_INFO;
        }
        return SQL_SUCCESS;
    case SQL_ATTR_APP_ROW_DESC:
    case SQL_ATTR_APP_PARAM_DESC:
    case SQL_ATTR_IMP_ROW_DESC:
    case SQL_ATTR_IMP_PARAM_DESC:
        throw DriverError("HYC00", "Optional feature not implemented");
    default:
        stmt->otherAttributes[attribute] = n;
        return SQL_SUCCESS;
    }
}

SQLRETURN getStmtAttr(Statement* stmt, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER* length)
{
    SQLULEN v = 0;
    switch (attribute) {
    case SQL_ATTR_QUERY_TIMEOUT:
        v = stmt->queryTimeout;
        break;
    case SQL_ATTR_MAX_ROWS:
        v = stmt->maxRows;
        break;
    case SQL_ATTR_MAX_LENGTH:
        v = stmt->maxLength;
        break;
    case SQL_ATTR_ROW_ARRAY_SIZE:
    case SQL_ROWSET_SIZE:
        v = 1;
        break;
    case SQL_ATTR_ROW_BIND_TYPE:
        v = SQL_BIND_BY_COLUMN;
        break;
    case SQL_ATTR_CURSOR_TYPE:
        v = SQL_CURSOR_FORWARD_ONLY;
        break;
    case SQL_ATTR_CONCURRENCY:
        v = SQL_CONCUR_READ_ONLY;
        break;
    case SQL_ATTR_CURSOR_SCROLLABLE:
        v = SQL_NONSCROLLABLE;
        break;
    case SQL_ATTR_ROW_NUMBER:
        v = stmt->currentRow >= 0 ? SQLULEN(stmt->currentRow + 1) : 0;
        break;
    case SQL_ATTR_ROWS_FETCHED_PTR:
        v = reinterpret_cast<SQLULEN>(stmt->rowsFetched);
        break;
    case SQL_ATTR_ROW_STATUS_PTR:
        v = reinterpret_cast<SQLULEN>(stmt->rowStatus);
        break;
    case SQL_ATTR_APP_ROW_DESC:
    case SQL_ATTR_APP_PARAM_DESC:
    case SQL_ATTR_IMP_ROW_DESC:
    case SQL_ATTR_IMP_PARAM_DESC:
        // No descriptor handles: the driver manager then keeps its own.
        throw DriverError("HYC00", "Optional feature not implemented");
    default: {
        const auto it = stmt->otherAttributes.find(attribute);
        if (it == stmt->otherAttributes.end())
            throw DriverError("HY092", "Invalid attribute/option identifier");
        v = it->second;
    }
    }
    if (value)
        *static_cast<SQLULEN*>(value) = v;
    if (length)
        *length = sizeof(SQLULEN);
    return SQL_SUCCESS;
}

} // namespace

ODBC_ENTRY SQLExecDirect(SQLHSTMT handle, SQLCHAR* sql, SQLINTEGER length)
{
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [&] { return execute(stmt, narrowArg(sql, length)); });
}

ODBC_ENTRY SQLExecDirectW(SQLHSTMT handle, SQLWCHAR* sql, SQLINTEGER length)
{
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [&] { return execute(stmt, toUtf8(sql, length)); });
}

ODBC_ENTRY SQLPrepare(SQLHSTMT handle, SQLCHAR* sql, SQLINTEGER length)
{
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [&] {
        stmt->closeCursor();
        stmt->preparedSql = narrowArg(sql, length);
        return SQL_SUCCESS;
    });
}

ODBC_ENTRY SQLPrepareW(SQLHSTMT handle, SQLWCHAR* sql, SQLINTEGER length)
{
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [&] {
        stmt->closeCursor();
        stmt->preparedSql = toUtf8(sql, length);
        return SQL_SUCCESS;
    });
}

ODBC_ENTRY SQLExecute(SQLHSTMT handle)
{
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [&] {
        if (!stmt->preparedSql)
            throw DriverError("HY010", "Function sequence error");
        return execute(stmt, *stmt->preparedSql);
    });
}

ODBC_ENTRY SQLNumResultCols(SQLHSTMT handle, SQLSMALLINT* count)
{
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [&] {
        const bool query = stmt->result && stmt->result->isQuery;
        if (count)
            *count = query ? SQLSMALLINT(stmt->result->columns.size()) : 0;
        return SQL_SUCCESS;
    });
}

ODBC_ENTRY SQLRowCount(SQLHSTMT handle, SQLLEN* count)
{
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [&] {
        if (!stmt->result)
            throw DriverError("HY010", "Function sequence error");
        if (count)
            *count = stmt->rowCount();
        return SQL_SUCCESS;
    });
}

ODBC_ENTRY SQLNumParams(SQLHSTMT handle, SQLSMALLINT* count)
{
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [&] {
        if (count)
            *count = 0;
        return SQL_SUCCESS;
    });
}

ODBC_ENTRY SQLMoreResults(SQLHSTMT handle)
{
    // One statement, one result: there is never a further one.
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [&] {
        stmt->closeCursor();
        return SQL_NO_DATA;
    });
}

ODBC_ENTRY SQLSetStmtAttr(SQLHSTMT handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER)
{
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [&] { return setStmtAttr(stmt, attribute, value); });
}

ODBC_ENTRY SQLSetStmtAttrW(SQLHSTMT handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER)
{
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [&] { return setStmtAttr(stmt, attribute, value); });
}

ODBC_ENTRY SQLGetStmtAttr(
    SQLHSTMT handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER, SQLINTEGER* length)
{
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [&] { return getStmtAttr(stmt, attribute, value, length); });
}

ODBC_ENTRY SQLGetStmtAttrW(
    SQLHSTMT handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER, SQLINTEGER* length)
{
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [&] { return getStmtAttr(stmt, attribute, value, length); });
}

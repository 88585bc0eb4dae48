// Running statements and statement attributes.

#include "entry.h"
#include "handles.h"
#include "parameters.h"
#include "trace.h"
#include "utf.h"

#include <algorithm>

using namespace orastandin;
using namespace orastandin::odbc;

namespace {

// The bindings of a statement's markers, in marker order; null for a marker
// left unbound.
std::vector<const ParameterBinding*> markerBindings(Statement* stmt, std::size_t markers)
{
    std::vector<const ParameterBinding*> bindings(markers, nullptr);
    for (std::size_t i = 0; i < markers; ++i) {
        const auto it = stmt->parameters.find(SQLUSMALLINT(i + 1));
        if (it != stmt->parameters.end())
            bindings[i] = &it->second;
    }
    return bindings;
}

bool allBound(const std::vector<const ParameterBinding*>& bindings)
{
    return std::find(bindings.begin(), bindings.end(), nullptr) == bindings.end();
}

// A query with markers: the values of the first set (Oracle's driver
// offers no arrays of parameters for a SELECT: SQL_PAS_NO_SELECT).
SQLRETURN executeQuery(Statement* stmt, const PreparedStatement& prepared)
{
    if (stmt->paramsetSize > 1)
        throw DriverError("HYC00", "Optional feature not implemented");
    const auto bindings = markerBindings(stmt, prepared.parameters);
    std::vector<Literal> values(bindings.size(), Literal::of(Literal::Kind::Parameter));
    if (!allBound(bindings)) {
        // The statement's own faults (no table, no column) come first.
        stmt->dbc->session->execute(prepared, &values);
        throwOra(1008, "not all variables bound");
    }
    for (std::size_t i = 0; i < bindings.size(); ++i)
        values[i] = boundValue(*bindings[i], 0, stmt->paramBindType, stmt->paramBindOffset);
    stmt->result = stmt->dbc->session->execute(prepared, &values);
    return SQL_SUCCESS;
}

// The one diagnostic record of an array that stopped at a refused set.
SQLRETURN reportArrayError(Statement* stmt, const std::exception_ptr& error, SQLLEN rowNumber)
{
    try {
        std::rethrow_exception(error);
    } catch (const OraError& e) {
        stmt->diag.addOracle(e.code(), e.message()).row = rowNumber;
    } catch (const DriverError& e) {
        stmt->diag.addDriver(e.sqlState, e.what()).row = rowNumber;
    }
    return SQL_ERROR;
}

// Runs an INSERT, UPDATE, DELETE or MERGE once per row of the parameter
// array. As Oracle's driver executes an array with one OCI call without
// batch errors, the array stops at the first refused row: the rows before
// it took effect, the refused one is reported with its row number, the
// rest are not tried (see the array tests for the sources). SQLExecute
// then returns SQL_ERROR. Under FailedArray = keep-unreported the rows
// before it are kept all the same, but nothing says which: the status
// array is not written, the processed count stays 0 and the record has no
// row number. That is the worst answer for a program that trusts the
// statuses: one that cleared its array to zeros reads every set as
// SQL_PARAM_SUCCESS.
SQLRETURN executeArray(Statement* stmt, const PreparedStatement& prepared)
{
    const auto bindings = markerBindings(stmt, prepared.parameters);
    if (!allBound(bindings)) {
        // The server looks at the statement before its binds: an array
        // of no rows reports a missing table or column first.
        stmt->dbc->session->executeRows(prepared.statement, 0, {});
        throwOra(1008, "not all variables bound");
    }
    const std::size_t rows = stmt->paramsetSize;
    auto setStatus = [&](std::size_t from, std::size_t to, SQLUSMALLINT status) {
        for (std::size_t r = from; stmt->paramStatus && r < to; ++r)
            stmt->paramStatus[r] = status;
    };
    if (stmt->paramsProcessed)
        *stmt->paramsProcessed = 0;
    ArrayOutcome outcome;
    try {
        outcome = stmt->dbc->session->executeRows(
            prepared.statement, rows, [&](std::size_t row, std::vector<Literal>& values) {
                if (stmt->paramOperation && stmt->paramOperation[row] == SQL_PARAM_IGNORE)
                    return false;
                for (std::size_t i = 0; i < bindings.size(); ++i)
                    values[i]
                        = boundValue(*bindings[i], row, stmt->paramBindType, stmt->paramBindOffset);
                return true;
            });
    } catch (...) {
        // Refused as a whole (no such table, a wrong column list): no set was used.
        setStatus(0, rows, SQL_PARAM_DIAG_UNAVAILABLE);
        throw;
    }
    Result result;
    result.rowCount = (long long)outcome.rows;
    stmt->result = std::move(result);
    if (outcome.error
        && stmt->dbc->profile.failedArray == DriverProfile::FailedArray::KeepUnreported)
        return reportArrayError(stmt, outcome.error, SQL_ROW_NUMBER_UNKNOWN);
    const std::size_t processed = outcome.error ? outcome.failedRow + 1 : rows;
    setStatus(0, processed, SQL_PARAM_SUCCESS);
    for (std::size_t r = 0; stmt->paramOperation && stmt->paramStatus && r < processed; ++r) {
        if (stmt->paramOperation[r] == SQL_PARAM_IGNORE)
            stmt->paramStatus[r] = SQL_PARAM_UNUSED;
    }
    setStatus(processed, rows, SQL_PARAM_UNUSED);
    if (stmt->paramsProcessed)
        *stmt->paramsProcessed = processed;
    if (!outcome.error)
        return SQL_SUCCESS;
    setStatus(outcome.failedRow, outcome.failedRow + 1, SQL_PARAM_ERROR);
    return reportArrayError(stmt, outcome.error, SQLLEN(outcome.failedRow + 1));
}

SQLRETURN execute(Statement* stmt, const PreparedStatement& prepared)
{
    if (!stmt->dbc->session)
        throw DriverError("08003", "Connection not open");
    if (stmt->result && stmt->result->isQuery)
        throw DriverError("24000", "Invalid cursor state");
    stmt->closeCursor();
    stmt->rowLimit = stmt->maxRows;
    if (prepared.parameters > 0 && std::holds_alternative<SelectStmt>(prepared.statement))
        return executeQuery(stmt, prepared);
    if (prepared.parameters > 0)
        return executeArray(stmt, prepared);
    stmt->result = stmt->dbc->session->execute(prepared);
    return SQL_SUCCESS;
}

// Writes an execution to the trace, when there is one, with the parameter
// sets it uses: markers as the parse counted them, or as SQLNumParams counts
// them in a text that does not parse.
void trace(
    Statement* stmt, const char* call, const std::string& sql, const PreparedStatement* prepared)
{
    if (!tracing())
        return;
    std::size_t markers = 0;
    if (prepared) {
        markers = prepared->parameters;
    } else {
        try {
            markers = countParameterMarkers(sql, stmt->session().maxStringSize());
        } catch (const OraError&) { }
    }
    traceStatement(call, markers > 0 ? stmt->paramsetSize : 1, sql);
}

SQLRETURN executeDirect(Statement* stmt, const std::string& sql)
{
    trace(stmt, "SQLExecDirect", sql, nullptr);
    return execute(stmt, stmt->session().prepare(sql));
}

void prepare(Statement* stmt, std::string sql)
{
    stmt->closeCursor();
    stmt->prepared.reset();
    // Oracle's driver sends nothing to the server before SQLExecute, so a
    // statement that does not parse is refused there, not here.
    try {
        stmt->prepared = stmt->session().prepare(sql);
    } catch (const OraError&) { }
    stmt->preparedSql = std::move(sql);
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
        stmt->rowsFetchedPtr = static_cast<SQLULEN*>(value);
        return SQL_SUCCESS;
    case SQL_ATTR_ROW_STATUS_PTR:
        stmt->rowStatus = static_cast<SQLUSMALLINT*>(value);
        return SQL_SUCCESS;
    case SQL_ATTR_ROW_ARRAY_SIZE:
        if (n == 0)
            throw DriverError("HY024", "Invalid attribute value");
        stmt->rowArraySize = n;
        return SQL_SUCCESS;
    case SQL_ROWSET_SIZE:
        // SQLExtendedFetch's rowset, which this driver does not offer.
        if (n != 1)
            throw DriverError("HYC00", "Optional feature not implemented");
        return SQL_SUCCESS;
    case SQL_ATTR_ROW_BIND_TYPE:
        stmt->rowBindType = n;
        return SQL_SUCCESS;
    case SQL_ATTR_ROW_BIND_OFFSET_PTR:
        stmt->rowBindOffset = static_cast<SQLULEN*>(value);
        return SQL_SUCCESS;
    case SQL_ATTR_PARAMSET_SIZE:
        if (n == 0)
            throw DriverError("HY024", "Invalid attribute value");
        stmt->paramsetSize = n;
        return SQL_SUCCESS;
    case SQL_ATTR_PARAM_BIND_TYPE:
        stmt->paramBindType = n;
        return SQL_SUCCESS;
    case SQL_ATTR_PARAM_BIND_OFFSET_PTR:
        stmt->paramBindOffset = static_cast<SQLULEN*>(value);
        return SQL_SUCCESS;
    case SQL_ATTR_PARAM_STATUS_PTR:
        stmt->paramStatus = static_cast<SQLUSMALLINT*>(value);
        return SQL_SUCCESS;
    case SQL_ATTR_PARAMS_PROCESSED_PTR:
        stmt->paramsProcessed = static_cast<SQLULEN*>(value);
        return SQL_SUCCESS;
    case SQL_ATTR_PARAM_OPERATION_PTR:
        stmt->paramOperation = static_cast<SQLUSMALLINT*>(value);
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
        v = stmt->rowArraySize;
        break;
    case SQL_ROWSET_SIZE:
        v = 1;
        break;
    case SQL_ATTR_ROW_BIND_TYPE:
        v = stmt->rowBindType;
        break;
    case SQL_ATTR_ROW_BIND_OFFSET_PTR:
        v = reinterpret_cast<SQLULEN>(stmt->rowBindOffset);
        break;
    case SQL_ATTR_PARAMSET_SIZE:
        v = stmt->paramsetSize;
        break;
    case SQL_ATTR_PARAM_BIND_TYPE:
        v = stmt->paramBindType;
        break;
    case SQL_ATTR_PARAM_BIND_OFFSET_PTR:
        v = reinterpret_cast<SQLULEN>(stmt->paramBindOffset);
        break;
    case SQL_ATTR_PARAM_STATUS_PTR:
        v = reinterpret_cast<SQLULEN>(stmt->paramStatus);
        break;
    case SQL_ATTR_PARAMS_PROCESSED_PTR:
        v = reinterpret_cast<SQLULEN>(stmt->paramsProcessed);
        break;
    case SQL_ATTR_PARAM_OPERATION_PTR:
        v = reinterpret_cast<SQLULEN>(stmt->paramOperation);
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
        v = stmt->onRow() ? SQLULEN(stmt->rowsFetched - (long long)stmt->rowsetRows
                + (long long)stmt->rowsetPosition + 1)
                          : 0;
        break;
    case SQL_ATTR_ROWS_FETCHED_PTR:
        v = reinterpret_cast<SQLULEN>(stmt->rowsFetchedPtr);
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
    return guarded(stmt, [&] { return executeDirect(stmt, narrowArg(sql, length)); });
}

ODBC_ENTRY SQLExecDirectW(SQLHSTMT handle, SQLWCHAR* sql, SQLINTEGER length)
{
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [&] { return executeDirect(stmt, toUtf8(sql, length)); });
}

ODBC_ENTRY SQLPrepare(SQLHSTMT handle, SQLCHAR* sql, SQLINTEGER length)
{
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [&] {
        prepare(stmt, narrowArg(sql, length));
        return SQL_SUCCESS;
    });
}

ODBC_ENTRY SQLPrepareW(SQLHSTMT handle, SQLWCHAR* sql, SQLINTEGER length)
{
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [&] {
        prepare(stmt, toUtf8(sql, length));
        return SQL_SUCCESS;
    });
}

ODBC_ENTRY SQLExecute(SQLHSTMT handle)
{
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [&] {
        if (!stmt->preparedSql)
            throw DriverError("HY010", "Function sequence error");
        trace(stmt, "SQLExecute", *stmt->preparedSql, stmt->prepared ? &*stmt->prepared : nullptr);
        if (!stmt->prepared)
            stmt->prepared = stmt->session().prepare(*stmt->preparedSql); // throws the parse error
        return execute(stmt, *stmt->prepared);
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

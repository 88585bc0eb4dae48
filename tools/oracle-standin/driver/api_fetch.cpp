// Fetching rows and reading their values.

#include "convert.h"
#include "entry.h"
#include "handles.h"

#include <algorithm>
#include <cstring>

using namespace orastandin;
using namespace orastandin::odbc;

namespace {

const std::vector<Cell>& currentRow(Statement* stmt)
{
    if (!stmt->result || !stmt->result->isQuery)
        throw DriverError("24000", "Invalid cursor state");
    if (!stmt->onRow)
        throw DriverError("24000", "Invalid cursor state");
    return stmt->row;
}

// Copies (the rest of) a converted value into an application buffer. For
// variable data `offset` says how much earlier calls already returned.
// Returns SQL_SUCCESS_WITH_INFO with 01004 when the buffer holds only a part.
SQLRETURN deliver(Statement* stmt, const Converted& value, std::size_t& offset, SQLPOINTER target,
    SQLLEN bufferLength, SQLLEN* indicator)
{
    if (!value.variable) {
        if (target)
            std::memcpy(target, value.bytes.data(), value.bytes.size());
        if (indicator)
            *indicator = SQLLEN(value.bytes.size());
        offset = value.bytes.size();
        if (value.fractionalTruncation) {
            stmt->diag.addDriver("01S07", "Fractional truncation");
            return SQL_SUCCESS_WITH_INFO;
        }
        return SQL_SUCCESS;
    }
    // A number or date that cannot show its whole digits is out of range.
    if (offset == 0 && value.minimumText
        && bufferLength < SQLLEN(
               value.minimumText * std::size_t(value.terminatorSize ? value.terminatorSize : 1)))
        throw DriverError("22003", "Numeric value out of range");
    const std::size_t remaining = value.bytes.size() - offset;
    std::size_t room = bufferLength > value.terminatorSize
        ? std::size_t(bufferLength - value.terminatorSize)
        : 0;
    if (value.terminatorSize == 2)
        room &= ~std::size_t(1); // whole UTF-16 units only
    const std::size_t n = std::min(room, remaining);
    if (target && bufferLength > 0) {
        std::memcpy(target, value.bytes.data() + offset, n);
        if (value.terminatorSize && bufferLength >= SQLLEN(n + std::size_t(value.terminatorSize)))
            std::memset(static_cast<char*>(target) + n, 0, std::size_t(value.terminatorSize));
    }
    if (indicator)
        *indicator = SQLLEN(remaining);
    offset += n;
    if (n < remaining) {
        stmt->diag.addDriver("01004", "String data, right truncated");
        return SQL_SUCCESS_WITH_INFO;
    }
    return SQL_SUCCESS;
}

SQLRETURN fetchNext(Statement* stmt)
{
    if (!stmt->result || !stmt->result->isQuery)
        throw DriverError("24000", "Invalid cursor state");
    stmt->getDataColumn = 0;
    Result& result = *stmt->result;
    // Rows come from the database one at a time and only the current one is
    // kept, as with a server cursor, so a long result costs no more memory
    // than a short one.
    const bool limited = stmt->rowLimit && stmt->currentRow + 1 >= (long long)stmt->rowLimit;
    bool more = false;
    if (result.rows && !limited) {
        try {
            more = result.rows->next(stmt->row);
        } catch (...) {
            stmt->onRow = false;
            stmt->row.clear();
            result.rows.reset();
            throw;
        }
    }
    if (!more) {
        // At the end the cursor goes at once, so that its statement does not
        // keep the table busy while the handle stays allocated.
        result.rows.reset();
        stmt->row.clear();
        if (stmt->onRow)
            ++stmt->currentRow;
        else if (stmt->currentRow < 0)
            stmt->currentRow = 0;
        stmt->onRow = false;
        if (stmt->rowsFetched)
            *stmt->rowsFetched = 0;
        return SQL_NO_DATA;
    }
    ++stmt->currentRow;
    stmt->onRow = true;
    if (stmt->rowsFetched)
        *stmt->rowsFetched = 1;
    // Bound columns are filled in full; a value too long for its buffer is cut.
    SQLRETURN rc = SQL_SUCCESS;
    const auto& row = currentRow(stmt);
    for (auto& [column, b] : stmt->bindings) {
        if (column == 0 || column > row.size())
            continue;
        const Cell& cell = row[column - 1];
        if (cell.isNull()) {
            if (!b.indicator)
                throw DriverError("22002", "Indicator variable required but not supplied");
            *b.indicator = SQL_NULL_DATA;
            continue;
        }
        const ColumnType& type = stmt->result->columns[column - 1].type;
        const Converted value
            = convertCell(cell, type, resolveDefault(b.cType, type, stmt->dbc->profile));
        std::size_t offset = 0;
        if (deliver(stmt, value, offset, b.target, b.bufferLength, b.indicator) != SQL_SUCCESS)
            rc = SQL_SUCCESS_WITH_INFO;
    }
    if (stmt->rowStatus)
        *stmt->rowStatus = rc == SQL_SUCCESS ? SQL_ROW_SUCCESS : SQL_ROW_SUCCESS_WITH_INFO;
    return rc;
}

SQLRETURN getData(Statement* stmt, SQLUSMALLINT column, SQLSMALLINT cType, SQLPOINTER target,
    SQLLEN bufferLength, SQLLEN* indicator)
{
    const auto& row = currentRow(stmt);
    if (column == 0 || column > row.size())
        throw DriverError("07009", "Invalid descriptor index");
    if (bufferLength < 0)
        throw DriverError("HY090", "Invalid string or buffer length");
    const Cell& cell = row[column - 1];
    const ColumnType& type = stmt->result->columns[column - 1].type;
    const SQLSMALLINT resolved = resolveDefault(cType, type, stmt->dbc->profile);
    // Another column or C type starts the value from its beginning.
    if (stmt->getDataColumn != column || stmt->getDataType != resolved) {
        stmt->getDataColumn = column;
        stmt->getDataType = resolved;
        stmt->getDataOffset = 0;
        stmt->getDataDone = false;
    } else if (stmt->getDataDone) {
        return SQL_NO_DATA;
    }
    if (cell.isNull()) {
        if (!indicator)
            throw DriverError("22002", "Indicator variable required but not supplied");
        *indicator = SQL_NULL_DATA;
        stmt->getDataDone = true;
        return SQL_SUCCESS;
    }
    const Converted value = convertCell(cell, type, resolved);
    const SQLRETURN rc = deliver(stmt, value, stmt->getDataOffset, target, bufferLength, indicator);
    stmt->getDataDone = stmt->getDataOffset >= value.bytes.size();
    return rc;
}

} // namespace

ODBC_ENTRY SQLFetch(SQLHSTMT handle)
{
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [&] { return fetchNext(stmt); });
}

ODBC_ENTRY SQLFetchScroll(SQLHSTMT handle, SQLSMALLINT orientation, SQLLEN)
{
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [&] {
        if (orientation != SQL_FETCH_NEXT)
            throw DriverError("HY106", "Fetch type out of range");
        return fetchNext(stmt);
    });
}

ODBC_ENTRY SQLGetData(SQLHSTMT handle, SQLUSMALLINT column, SQLSMALLINT cType, SQLPOINTER target,
    SQLLEN bufferLength, SQLLEN* indicator)
{
    Statement* stmt = asStmt(handle);
    return guarded(
        stmt, [&] { return getData(stmt, column, cType, target, bufferLength, indicator); });
}

ODBC_ENTRY SQLBindCol(SQLHSTMT handle, SQLUSMALLINT column, SQLSMALLINT cType, SQLPOINTER target,
    SQLLEN bufferLength, SQLLEN* indicator)
{
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [&] {
        if (column == 0)
            throw DriverError("07009", "Invalid descriptor index");
        if (!target && !indicator)
            stmt->bindings.erase(column);
        else
            stmt->bindings[column] = Binding { cType, target, bufferLength, indicator };
        return SQL_SUCCESS;
    });
}

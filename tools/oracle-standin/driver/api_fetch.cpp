// Fetching rows and reading their values.

#include "convert.h"
#include "entry.h"
#include "handles.h"
#include "parameters.h"

#include <algorithm>
#include <cstring>

using namespace orastandin;
using namespace orastandin::odbc;

namespace {

const std::vector<Cell>& currentRow(Statement* stmt)
{
    if (!stmt->result || !stmt->result->isQuery)
        throw DriverError("24000", "Invalid cursor state");
    if (!stmt->onRow())
        throw DriverError("24000", "Invalid cursor state");
    return stmt->row();
}

enum class Delivered { Whole, Truncated, FractionCut };

// Copies (the rest of) a converted value into an application buffer. For
// variable data `offset` says how much earlier calls already returned.
// Truncated: the buffer holds only a part (01004); FractionCut: a date or
// number lost digits on the way (01S07).
Delivered deliver(const Converted& value, std::size_t& offset, SQLPOINTER target,
    SQLLEN bufferLength, SQLLEN* indicator)
{
    if (!value.variable) {
        if (target)
            std::memcpy(target, value.bytes.data(), value.bytes.size());
        if (indicator)
            *indicator = SQLLEN(value.bytes.size());
        offset = value.bytes.size();
        return value.fractionalTruncation ? Delivered::FractionCut : Delivered::Whole;
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
    return n < remaining ? Delivered::Truncated : Delivered::Whole;
}

// The warning a delivery earned, as a diagnostic record; true if there was one.
bool warn(Statement* stmt, Delivered d, SQLLEN row, SQLINTEGER column)
{
    if (d == Delivered::Whole)
        return false;
    DiagRecord& r = d == Delivered::Truncated
        ? stmt->diag.addDriver("01004", "String data, right truncated")
        : stmt->diag.addDriver("01S07", "Fractional truncation");
    r.row = row;
    r.column = column;
    return true;
}

// Fills the bound buffers of one row of the rowset: element `index` of each
// bound array. Answers the row's status.
SQLUSMALLINT fillBound(Statement* stmt, std::size_t index)
{
    const std::vector<Cell>& row = stmt->rowset[index];
    const bool block = stmt->rowArraySize > 1;
    SQLUSMALLINT status = SQL_ROW_SUCCESS;
    for (auto& [column, b] : stmt->bindings) {
        if (column == 0 || column > row.size())
            continue;
        const ColumnType& type = stmt->result->columns[column - 1].type;
        const SQLSMALLINT cType = resolveDefault(b.cType, type, stmt->dbc->profile);
        const std::size_t size = fixedSize(cType);
        char* target = elementAt(b.target, stmt->rowBindOffset, stmt->rowBindType,
            size ? size : std::size_t(b.bufferLength), index);
        auto* indicator = reinterpret_cast<SQLLEN*>(
            elementAt(b.indicator, stmt->rowBindOffset, stmt->rowBindType, sizeof(SQLLEN), index));
        try {
            const Cell& cell = row[column - 1];
            if (cell.isNull()) {
                if (!indicator)
                    throw DriverError("22002", "Indicator variable required but not supplied");
                *indicator = SQL_NULL_DATA;
                continue;
            }
            std::size_t offset = 0;
            const Delivered d = deliver(
                convertCell(cell, type, cType), offset, target, b.bufferLength, indicator);
            if (warn(stmt, d, block ? SQLLEN(index + 1) : SQL_ROW_NUMBER_UNKNOWN, column))
                status = status == SQL_ROW_ERROR ? status : SQL_ROW_SUCCESS_WITH_INFO;
        } catch (const DriverError& e) {
            // In a block a value that cannot be converted spoils its row only.
            if (!block)
                throw;
            DiagRecord& r = stmt->diag.addDriver(e.sqlState, e.what());
            r.row = SQLLEN(index + 1);
            r.column = column;
            status = SQL_ROW_ERROR;
        }
    }
    return status;
}

SQLRETURN fetchNext(Statement* stmt)
{
    if (!stmt->result || !stmt->result->isQuery)
        throw DriverError("24000", "Invalid cursor state");
    stmt->getDataColumn = 0;
    Result& result = *stmt->result;
    // Rows come from the database as they are fetched and only the current
    // rowset is kept, as with a server cursor, so a long result costs no
    // more memory than a short one.
    const std::size_t wanted = stmt->rowArraySize;
    if (stmt->rowset.size() != wanted)
        stmt->rowset.resize(wanted);
    std::size_t n = 0;
    try {
        while (n < wanted && result.rows) {
            if (stmt->rowLimit && stmt->rowsFetched + (long long)n >= (long long)stmt->rowLimit)
                break;
            if (!result.rows->next(stmt->rowset[n]))
                break;
            ++n;
        }
    } catch (...) {
        stmt->rowsetRows = 0;
        std::vector<std::vector<Cell>>().swap(stmt->rowset);
        result.rows.reset();
        throw;
    }
    if (n < wanted) {
        // At the end the cursor goes at once, so that its statement does not
        // keep the table busy while the handle stays allocated.
        result.rows.reset();
        for (std::size_t i = n; i < stmt->rowset.size(); ++i)
            std::vector<Cell>().swap(stmt->rowset[i]);
    }
    stmt->rowsetRows = n;
    stmt->rowsetPosition = 0;
    stmt->rowsFetched += (long long)n;
    if (stmt->rowsFetchedPtr)
        *stmt->rowsFetchedPtr = n;
    if (n == 0)
        return SQL_NO_DATA;
    // Bound columns are filled in full; a value too long for its buffer is cut.
    bool info = false;
    for (std::size_t i = 0; i < n; ++i) {
        const SQLUSMALLINT status = fillBound(stmt, i);
        info = info || status != SQL_ROW_SUCCESS;
        if (stmt->rowStatus)
            stmt->rowStatus[i] = status;
    }
    for (std::size_t i = n; stmt->rowStatus && i < wanted; ++i)
        stmt->rowStatus[i] = SQL_ROW_NOROW;
    return info ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
}

SQLRETURN getData(Statement* stmt, SQLUSMALLINT column, SQLSMALLINT cType, SQLPOINTER target,
    SQLLEN bufferLength, SQLLEN* indicator)
{
    stmt->dbc->profile.checkCType(cType);
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
    const Delivered d = deliver(value, stmt->getDataOffset, target, bufferLength, indicator);
    stmt->getDataDone = stmt->getDataOffset >= value.bytes.size();
    return warn(stmt, d, SQL_ROW_NUMBER_UNKNOWN, column) ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
}

// SQL_POSITION puts the cursor on one row of the rowset, for SQLGetData
// (SQL_GD_BLOCK); the other operations change rows, which this read-only
// cursor does not.
SQLRETURN setPos(Statement* stmt, SQLSETPOSIROW row, SQLUSMALLINT operation, SQLUSMALLINT lock)
{
    if (!stmt->result || !stmt->result->isQuery || !stmt->onRow())
        throw DriverError("24000", "Invalid cursor state");
    if (operation != SQL_POSITION || lock != SQL_LOCK_NO_CHANGE)
        throw DriverError("HYC00", "Optional feature not implemented");
    if (row == 0)
        throw DriverError("HY109", "Invalid cursor position");
    if (row > stmt->rowsetRows)
        throw DriverError("HY107", "Row value out of range");
    stmt->rowsetPosition = std::size_t(row - 1);
    stmt->getDataColumn = 0;
    return SQL_SUCCESS;
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
        if (!target && !indicator) {
            stmt->bindings.erase(column);
        } else {
            stmt->dbc->profile.checkCType(cType);
            stmt->bindings[column] = Binding { cType, target, bufferLength, indicator };
        }
        return SQL_SUCCESS;
    });
}

ODBC_ENTRY SQLSetPos(SQLHSTMT handle, SQLSETPOSIROW row, SQLUSMALLINT operation, SQLUSMALLINT lock)
{
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [&] { return setPos(stmt, row, operation, lock); });
}

// Diagnostic records: SQLGetDiagRec and SQLGetDiagField.

#include "entry.h"
#include "handles.h"
#include "text_out.h"

using namespace orastandin;
using namespace orastandin::odbc;

namespace {

HandleBase* handleOf(SQLSMALLINT type, SQLHANDLE handle)
{
    switch (type) {
    case SQL_HANDLE_ENV:
        return asEnv(handle);
    case SQL_HANDLE_DBC:
        return asDbc(handle);
    case SQL_HANDLE_STMT:
        return asStmt(handle);
    default:
        return nullptr;
    }
}

// The diagnostic functions must leave the records in place, so they run
// without `guarded`.
SQLRETURN diagRec(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record, void* state,
    SQLINTEGER* native, const TextTarget& message, SQLSMALLINT* messageLength)
{
    HandleBase* h = handleOf(type, handle);
    if (!h)
        return SQL_INVALID_HANDLE;
    if (record < 1)
        return SQL_ERROR;
    const auto& records = h->diag.records();
    if (std::size_t(record) > records.size())
        return SQL_NO_DATA;
    const DiagRecord& r = records[std::size_t(record - 1)];
    bool truncated = false;
    if (state)
        writeText(r.sqlState, TextTarget { state, 6, message.wide, false }, truncated);
    if (native)
        *native = r.native;
    setLength(messageLength, writeText(r.message, message, truncated));
    return truncated ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
}

SQLRETURN diagField(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record, SQLSMALLINT field,
    SQLPOINTER value, SQLSMALLINT bufferLength, SQLSMALLINT* length, bool wide)
{
    HandleBase* h = handleOf(type, handle);
    if (!h)
        return SQL_INVALID_HANDLE;
    const auto& records = h->diag.records();
    auto text = [&](const std::string& s) {
        bool truncated = false;
        setLength(length, writeText(s, TextTarget { value, bufferLength, wide, true }, truncated));
        return truncated ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
    };
    // Header fields.
    switch (field) {
    case SQL_DIAG_NUMBER:
        if (value)
            *static_cast<SQLINTEGER*>(value) = SQLINTEGER(records.size());
        return SQL_SUCCESS;
    case SQL_DIAG_RETURNCODE:
        if (value)
            *static_cast<SQLRETURN*>(value) = h->diag.lastReturn;
        return SQL_SUCCESS;
    case SQL_DIAG_ROW_COUNT:
        if (value) {
            const Statement* stmt = asStmt(handle);
            *static_cast<SQLLEN*>(value) = stmt ? stmt->rowCount() : 0;
        }
        return SQL_SUCCESS;
    case SQL_DIAG_DYNAMIC_FUNCTION:
        return text("");
    case SQL_DIAG_DYNAMIC_FUNCTION_CODE:
        if (value)
            *static_cast<SQLINTEGER*>(value) = SQL_DIAG_UNKNOWN_STATEMENT;
        return SQL_SUCCESS;
    default:
        break;
    }
    if (record < 1)
        return SQL_ERROR;
    if (std::size_t(record) > records.size())
        return SQL_NO_DATA;
    const DiagRecord& r = records[std::size_t(record - 1)];
    switch (field) {
    case SQL_DIAG_SQLSTATE:
        return text(r.sqlState);
    case SQL_DIAG_NATIVE:
        if (value)
            *static_cast<SQLINTEGER*>(value) = r.native;
        return SQL_SUCCESS;
    case SQL_DIAG_MESSAGE_TEXT:
        return text(r.message);
    case SQL_DIAG_CLASS_ORIGIN:
    case SQL_DIAG_SUBCLASS_ORIGIN:
        return text(r.sqlState.rfind("IM", 0) == 0 ? "ODBC 3.0" : "ISO 9075");
    case SQL_DIAG_CONNECTION_NAME:
    case SQL_DIAG_SERVER_NAME: {
        const Connection* dbc = asDbc(handle);
        if (const Statement* stmt = asStmt(handle))
            dbc = stmt->dbc;
        return text(dbc ? dbc->serverName : "");
    }
    case SQL_DIAG_COLUMN_NUMBER:
        if (value)
            *static_cast<SQLINTEGER*>(value) = r.column;
        return SQL_SUCCESS;
    case SQL_DIAG_ROW_NUMBER:
        if (value)
            *static_cast<SQLLEN*>(value) = r.row;
        return SQL_SUCCESS;
    default:
        return SQL_ERROR;
    }
}

} // namespace

ODBC_ENTRY SQLGetDiagRec(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record, SQLCHAR* state,
    SQLINTEGER* native, SQLCHAR* message, SQLSMALLINT bufferLength, SQLSMALLINT* messageLength)
{
    return diagRec(type, handle, record, state, native,
        TextTarget { message, bufferLength, false, false }, messageLength);
}

ODBC_ENTRY SQLGetDiagRecW(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record, SQLWCHAR* state,
    SQLINTEGER* native, SQLWCHAR* message, SQLSMALLINT bufferLength, SQLSMALLINT* messageLength)
{
    return diagRec(type, handle, record, state, native,
        TextTarget { message, bufferLength, true, false }, messageLength);
}

ODBC_ENTRY SQLGetDiagField(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record,
    SQLSMALLINT field, SQLPOINTER value, SQLSMALLINT bufferLength, SQLSMALLINT* length)
{
    return diagField(type, handle, record, field, value, bufferLength, length, false);
}

ODBC_ENTRY SQLGetDiagFieldW(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record,
    SQLSMALLINT field, SQLPOINTER value, SQLSMALLINT bufferLength, SQLSMALLINT* length)
{
    return diagField(type, handle, record, field, value, bufferLength, length, true);
}

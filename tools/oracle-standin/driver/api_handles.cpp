// Handle life cycle and environment attributes.

#include "entry.h"
#include "handles.h"

using namespace orastandin::odbc;

namespace orastandin::odbc {

Connection::~Connection()
{
    for (Statement* s : statements)
        delete s;
    env->connections.erase(this);
}

} // namespace orastandin::odbc

ODBC_ENTRY SQLAllocHandle(SQLSMALLINT type, SQLHANDLE input, SQLHANDLE* output)
{
    if (!output)
        return SQL_ERROR;
    *output = SQL_NULL_HANDLE;
    try {
        switch (type) {
        case SQL_HANDLE_ENV:
            *output = new Environment;
            return SQL_SUCCESS;
        case SQL_HANDLE_DBC: {
            Environment* env = asEnv(input);
            if (!env)
                return SQL_INVALID_HANDLE;
            env->diag.clear();
            auto* dbc = new Connection(env);
            env->connections.insert(dbc);
            *output = dbc;
            return SQL_SUCCESS;
        }
        case SQL_HANDLE_STMT: {
            Connection* dbc = asDbc(input);
            if (!dbc)
                return SQL_INVALID_HANDLE;
            dbc->diag.clear();
            if (!dbc->session) {
                dbc->diag.addDriver("08003", "Connection not open");
                return SQL_ERROR;
            }
            auto* stmt = new Statement(dbc);
            dbc->statements.insert(stmt);
            *output = stmt;
            return SQL_SUCCESS;
        }
        default: {
            // Explicit descriptors are not offered.
            auto* h = static_cast<HandleBase*>(input);
            if (!h)
                return SQL_INVALID_HANDLE;
            h->diag.clear();
            h->diag.addDriver("HYC00", "Optional feature not implemented");
            return SQL_ERROR;
        }
        }
    } catch (...) {
        return SQL_ERROR;
    }
}

ODBC_ENTRY SQLFreeHandle(SQLSMALLINT type, SQLHANDLE handle)
{
    switch (type) {
    case SQL_HANDLE_ENV:
        if (!asEnv(handle))
            return SQL_INVALID_HANDLE;
        delete asEnv(handle);
        return SQL_SUCCESS;
    case SQL_HANDLE_DBC:
        if (!asDbc(handle))
            return SQL_INVALID_HANDLE;
        delete asDbc(handle);
        return SQL_SUCCESS;
    case SQL_HANDLE_STMT: {
        Statement* stmt = asStmt(handle);
        if (!stmt)
            return SQL_INVALID_HANDLE;
        stmt->dbc->statements.erase(stmt);
        delete stmt;
        return SQL_SUCCESS;
    }
    default:
        return SQL_INVALID_HANDLE;
    }
}

ODBC_ENTRY SQLSetEnvAttr(SQLHENV handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER)
{
    Environment* env = asEnv(handle);
    return guarded(env, [&]() -> SQLRETURN {
        switch (attribute) {
        case SQL_ATTR_ODBC_VERSION:
            env->odbcVersion = SQLINTEGER(reinterpret_cast<SQLLEN>(value));
            return SQL_SUCCESS;
        case SQL_ATTR_OUTPUT_NTS:
        case SQL_ATTR_CONNECTION_POOLING:
        case SQL_ATTR_CP_MATCH:
            return SQL_SUCCESS;
        default:
            throw DriverError("HY092", "Invalid attribute/option identifier");
        }
    });
}

ODBC_ENTRY SQLGetEnvAttr(
    SQLHENV handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER, SQLINTEGER* length)
{
    Environment* env = asEnv(handle);
    return guarded(env, [&]() -> SQLRETURN {
        SQLINTEGER v = 0;
        switch (attribute) {
        case SQL_ATTR_ODBC_VERSION:
            v = env->odbcVersion;
            break;
        case SQL_ATTR_OUTPUT_NTS:
            v = SQL_TRUE;
            break;
        case SQL_ATTR_CONNECTION_POOLING:
            v = SQL_CP_OFF;
            break;
        case SQL_ATTR_CP_MATCH:
            v = SQL_CP_STRICT_MATCH;
            break;
        default:
            throw DriverError("HY092", "Invalid attribute/option identifier");
        }
        if (value)
            *static_cast<SQLINTEGER*>(value) = v;
        if (length)
            *length = sizeof(SQLINTEGER);
        return SQL_SUCCESS;
    });
}

ODBC_ENTRY SQLFreeStmt(SQLHSTMT handle, SQLUSMALLINT option)
{
    Statement* stmt = asStmt(handle);
    if (option == SQL_DROP)
        return SQLFreeHandle(SQL_HANDLE_STMT, handle);
    return guarded(stmt, [&]() -> SQLRETURN {
        switch (option) {
        case SQL_CLOSE:
            stmt->closeCursor();
            return SQL_SUCCESS;
        case SQL_UNBIND:
            stmt->bindings.clear();
            return SQL_SUCCESS;
        case SQL_RESET_PARAMS:
            stmt->parameters.clear();
            return SQL_SUCCESS;
        default:
            throw DriverError("HY092", "Invalid attribute/option identifier");
        }
    });
}

ODBC_ENTRY SQLCloseCursor(SQLHSTMT handle)
{
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [&]() -> SQLRETURN {
        if (!stmt->result || !stmt->result->isQuery)
            throw DriverError("24000", "Invalid cursor state");
        stmt->closeCursor();
        return SQL_SUCCESS;
    });
}

ODBC_ENTRY SQLCancel(SQLHSTMT handle)
{
    // Statements finish before their call returns; there is never anything to cancel.
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [] { return SQL_SUCCESS; });
}

#pragma once

#include "diagnostics.h"
#include "handles.h"
#include "ora_error.h"

#include <new>

namespace orastandin::odbc {

// Runs the body of an entry point on a handle: clears the handle's earlier
// diagnostics and turns every exception into a diagnostic record, so that no
// C++ exception ever crosses into the driver manager.
template <typename Body> SQLRETURN guarded(HandleBase* handle, Body&& body)
{
    if (!handle)
        return SQL_INVALID_HANDLE;
    handle->diag.clear();
    SQLRETURN rc = SQL_ERROR;
    try {
        rc = body();
    } catch (const OraError& e) {
        handle->diag.addOracle(e.code(), e.message());
        rc = SQL_ERROR;
    } catch (const DriverError& e) {
        handle->diag.addDriver(e.sqlState, e.what());
        rc = SQL_ERROR;
    } catch (const std::bad_alloc&) {
        handle->diag.addDriver("HY001", "Memory allocation error");
        rc = SQL_ERROR;
    } catch (const std::exception& e) {
        handle->diag.addDriver("HY000", std::string("General error: ") + e.what());
        rc = SQL_ERROR;
    } catch (...) {
        handle->diag.addDriver("HY000", "General error");
        rc = SQL_ERROR;
    }
    handle->diag.lastReturn = rc;
    return rc;
}

inline Environment* asEnv(SQLHANDLE h)
{
    auto* b = static_cast<HandleBase*>(h);
    return b && b->handleType == SQL_HANDLE_ENV ? static_cast<Environment*>(b) : nullptr;
}
inline Connection* asDbc(SQLHANDLE h)
{
    auto* b = static_cast<HandleBase*>(h);
    return b && b->handleType == SQL_HANDLE_DBC ? static_cast<Connection*>(b) : nullptr;
}
inline Statement* asStmt(SQLHANDLE h)
{
    auto* b = static_cast<HandleBase*>(h);
    return b && b->handleType == SQL_HANDLE_STMT ? static_cast<Statement*>(b) : nullptr;
}

} // namespace orastandin::odbc

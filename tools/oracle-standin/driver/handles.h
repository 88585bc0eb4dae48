#pragma once

#include "diagnostics.h"
#include "driver_profile.h"
#include "odbc.h"
#include "session.h"

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace orastandin::odbc {

struct HandleBase {
    explicit HandleBase(SQLSMALLINT type)
        : handleType(type)
    { }
    virtual ~HandleBase() = default;
    SQLSMALLINT handleType;
    Diagnostics diag;
};

struct Connection;
struct Statement;

struct Environment : HandleBase {
    Environment()
        : HandleBase(SQL_HANDLE_ENV)
    { }
    SQLINTEGER odbcVersion = SQL_OV_ODBC3;
    // For SQLEndTran on the environment.
    std::set<Connection*> connections;
};

struct Connection : HandleBase {
    explicit Connection(Environment* e)
        : HandleBase(SQL_HANDLE_DBC)
        , env(e)
    { }
    ~Connection() override;

    Environment* env;
    std::unique_ptr<Session> session;
    DriverProfile profile; // as the driver's odbcinst.ini section says
    std::string dataSourceName;
    std::string serverName;
    SQLUINTEGER loginTimeout = 0;
    SQLUINTEGER connectionTimeout = 0;
    SQLUINTEGER autocommit = SQL_AUTOCOMMIT_ON;
    std::map<SQLINTEGER, SQLULEN> otherAttributes;
    // Statements stay allocated until freed one by one or with the connection.
    std::set<Statement*> statements;
};

// One column bound with SQLBindCol.
struct Binding {
    SQLSMALLINT cType = SQL_C_DEFAULT;
    SQLPOINTER target = nullptr;
    SQLLEN bufferLength = 0;
    SQLLEN* indicator = nullptr;
};

// One input parameter bound with SQLBindParameter.
struct ParameterBinding {
    SQLSMALLINT cType = SQL_C_DEFAULT;
    SQLSMALLINT sqlType = SQL_VARCHAR;
    SQLULEN columnSize = 0;
    SQLSMALLINT decimalDigits = 0;
    SQLPOINTER value = nullptr;
    SQLLEN bufferLength = 0;
    SQLLEN* indicator = nullptr;
};

struct Statement : HandleBase {
    explicit Statement(Connection* c)
        : HandleBase(SQL_HANDLE_STMT)
        , dbc(c)
    { }

    Connection* dbc;
    std::optional<std::string> preparedSql;
    // The prepared statement parsed; empty when it does not parse, so that
    // SQLExecute reports the error as Oracle's driver does.
    std::optional<PreparedStatement> prepared;
    std::optional<Result> result;
    // The rows of the current rowset (SQL_ATTR_ROW_ARRAY_SIZE of them at
    // most, the only rows held), the first `rowsetRows` of them fetched; the
    // cursor is on the row `rowsetPosition` picks (SQLSetPos).
    std::vector<std::vector<Cell>> rowset;
    std::size_t rowsetRows = 0;
    std::size_t rowsetPosition = 0;
    long long rowsFetched = 0; // in all, up to the end of the current rowset
    SQLULEN rowLimit = 0; // SQL_ATTR_MAX_ROWS as it was at execute; 0 for none

    // SQLGetData's place in the column it last read, for data in pieces.
    SQLUSMALLINT getDataColumn = 0;
    SQLSMALLINT getDataType = 0;
    std::size_t getDataOffset = 0;
    bool getDataDone = false;

    std::map<SQLUSMALLINT, Binding> bindings;
    std::map<SQLUSMALLINT, ParameterBinding> parameters;
    SQLULEN queryTimeout = 0;
    SQLULEN maxRows = 0;
    SQLULEN maxLength = 0;
    // Block cursors.
    SQLULEN rowArraySize = 1;
    SQLULEN rowBindType = SQL_BIND_BY_COLUMN;
    SQLULEN* rowBindOffset = nullptr;
    SQLULEN* rowsFetchedPtr = nullptr;
    SQLUSMALLINT* rowStatus = nullptr;
    // Parameter arrays.
    SQLULEN paramsetSize = 1;
    SQLULEN paramBindType = SQL_PARAM_BIND_BY_COLUMN;
    SQLULEN* paramBindOffset = nullptr;
    SQLUSMALLINT* paramStatus = nullptr;
    SQLULEN* paramsProcessed = nullptr;
    SQLUSMALLINT* paramOperation = nullptr;
    std::map<SQLINTEGER, SQLULEN> otherAttributes;

    // What SQLRowCount answers: the statement's own count, and for a query
    // what this registration of the driver says while the rows are fetched.
    SQLLEN rowCount() const
    {
        if (!result || !result->isQuery)
            return result ? SQLLEN(result->rowCount) : 0;
        switch (dbc->profile.selectRowCount) {
        case DriverProfile::RowCount::Zero:
            return 0;
        case DriverProfile::RowCount::Fetched:
            return SQLLEN(rowsFetched);
        case DriverProfile::RowCount::Unknown:
            break;
        }
        return -1;
    }
    // The connection's session; 08003 once the connection is closed.
    Session& session() const
    {
        if (!dbc->session)
            throw DriverError("08003", "Connection not open");
        return *dbc->session;
    }
    bool onRow() const { return rowsetRows > 0; }
    const std::vector<Cell>& row() const { return rowset[rowsetPosition]; }

    void closeCursor()
    {
        // Dropping the cursor finalizes its SQLite statement and ends its snapshot.
        result.reset();
        std::vector<std::vector<Cell>>().swap(rowset);
        rowsetRows = 0;
        rowsetPosition = 0;
        rowsFetched = 0;
        getDataColumn = 0;
    }
};

} // namespace orastandin::odbc

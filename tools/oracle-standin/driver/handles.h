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

struct Environment : HandleBase {
    Environment()
        : HandleBase(SQL_HANDLE_ENV)
    { }
    SQLINTEGER odbcVersion = SQL_OV_ODBC3;
};

struct Statement;

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

struct Statement : HandleBase {
    explicit Statement(Connection* c)
        : HandleBase(SQL_HANDLE_STMT)
        , dbc(c)
    { }

    Connection* dbc;
    std::optional<std::string> preparedSql;
    std::optional<Result> result;
    // Rows fetched so far, less one: -1 before the first fetch; past the end
    // it stays one beyond the last row.
    long long currentRow = -1;
    std::vector<Cell> row; // the row the cursor is on
    bool onRow = false;
    SQLULEN rowLimit = 0; // SQL_ATTR_MAX_ROWS as it was at execute; 0 for none

    // SQLGetData's place in the column it last read, for data in pieces.
    SQLUSMALLINT getDataColumn = 0;
    SQLSMALLINT getDataType = 0;
    std::size_t getDataOffset = 0;
    bool getDataDone = false;

    std::map<SQLUSMALLINT, Binding> bindings;
    SQLULEN queryTimeout = 0;
    SQLULEN maxRows = 0;
    SQLULEN maxLength = 0;
    SQLULEN* rowsFetched = nullptr;
    SQLUSMALLINT* rowStatus = nullptr;
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
            // currentRow is one short of the rows fetched while on a row,
            // and counts them once past the end.
            return currentRow < 0 ? 0 : SQLLEN(onRow ? currentRow + 1 : currentRow);
        case DriverProfile::RowCount::Unknown:
            break;
        }
        return -1;
    }

    void closeCursor()
    {
        // Dropping the cursor finalizes its SQLite statement and ends its snapshot.
        result.reset();
        currentRow = -1;
        row.clear();
        onRow = false;
        getDataColumn = 0;
    }
};

} // namespace orastandin::odbc

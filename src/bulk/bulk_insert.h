#pragma once

#include "bulk/parameter_arrays.h"
#include "db/connection.h"
#include "odbc/error.h"

#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace tw::bulk {

// One prepared statement with '?' markers (an INSERT) executed with the rows
// of a ParameterArrays: all rows held in one SQLExecute of a parameter
// array, or a single row as a plain execution.
//
// A refused row refuses only itself. Drivers tell it differently:
// - Oracle's array DML (and the stand-in) stops at the refused row k: the
//   statuses say SQL_PARAM_SUCCESS before k, SQL_PARAM_ERROR at k,
//   SQL_PARAM_UNUSED after; rows before k stay in the open transaction.
// - MariaDB Connector/ODBC gives one error for the array, no usable status
//   and none of the rows kept.
// send() takes what the statuses say; where they say nothing it sends the
// rows again in halves, then one by one, until each refused row is found.
// The rows that went in stay uncommitted: the caller commits.
class BulkInsert {
public:
    BulkInsert(db::Connection& connection, const QString& sql);

    // Executes rows [first, last) of `rows`; throws DbError when refused.
    void execute(ParameterArrays& rows, int first, int last);

    struct Refusal {
        int row = 0; // index in the ParameterArrays
        odbc::DbError error;
    };
    struct Sent {
        int landed = 0; // rows the database took (not yet committed)
        QList<Refusal> refused; // in row order
        // A failure that would meet every row (the connection lost, the
        // table gone), as `failsEveryRow` judged it: sending stopped at
        // `unsentFrom`, and no row from there on went in.
        std::optional<odbc::DbError> fatal;
        int unsentFrom = 0;
    };
    // Sends every row held; `failsEveryRow` (optional) tells a failure that
    // no retry can get past.
    Sent send(ParameterArrays& rows,
        const std::function<bool(const odbc::DbError&)>& failsEveryRow = nullptr);

    // Executions made so far (arrays count once): how many retries cost.
    qint64 executions() const { return m_executions; }

private:
    odbc::StatementHandle& statementFor(int rows);

    db::Connection& m_connection;
    QString m_sql;
    // Arrays and single rows go through statements of their own: MariaDB
    // Connector/ODBC 3.1.15 sends an array of text from the wrong buffers
    // when the statement's last execution was a single row bound at the
    // same address (it takes the address for one it converted itself).
    odbc::StatementHandle m_arrays;
    odbc::StatementHandle m_single;
    qint64 m_executions = 0;
};

} // namespace tw::bulk

#pragma once

#include "bulk/parameter_arrays.h"
#include "db/connection.h"
#include "db/transaction.h"
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
// A refused row refuses only itself, however the driver tells it and
// whatever it kept of a failed array:
// - Oracle's array DML (and the stand-in) stops at the refused row k: the
//   statuses say SQL_PARAM_SUCCESS before k, SQL_PARAM_ERROR at k,
//   SQL_PARAM_UNUSED after; rows before k stay in the open transaction.
//   No Oracle document says so, and a driver may answer otherwise.
// - MariaDB Connector/ODBC gives one error for the array, no usable status
//   and none of the rows kept.
// So after any failed execution the transaction goes back to the batch's
// start, and the rows are sent again in pieces, each committed on its own,
// until every refused row stands alone: where the statuses name the
// refused row, around it; where they say nothing, in halves, then one by
// one. No row is ever sent twice into the same transaction.
class BulkInsert {
public:
    BulkInsert(db::Connection& connection, const QString& sql);

    // Executes rows [first, last) of `rows` once; throws DbError when refused.
    void execute(ParameterArrays& rows, int first, int last);

    struct Refusal {
        int row = 0; // index in the ParameterArrays
        odbc::DbError error;
    };
    struct Sent {
        int landed = 0; // rows committed
        QList<Refusal> refused; // in the order found
        // A failure every row would meet (the connection lost, the table
        // gone), or a commit that failed: sending stopped at `unsentFrom`,
        // and no row from there on went in.
        std::optional<odbc::DbError> fatal;
        int unsentFrom = 0;
        bool whileCommitting = false;
    };
    // Sends every row held and commits them in `transaction`, which the
    // rows of one batch share from its start. `beforeCommit`, when given, runs
    // in the same transaction right before each commit with the index of the
    // last row that commit ends (landed or refused): what it writes commits
    // with those rows or not at all.
    using BeforeCommit = std::function<void(int lastRow)>;
    Sent send(ParameterArrays& rows, db::ManualCommit& transaction,
        const BeforeCommit& beforeCommit = {});

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

#pragma once

#include "odbc/column_plan.h"
#include "odbc/error.h"
#include "odbc/value.h"

#include <QList>
#include <optional>
#include <sql.h>
#include <vector>

namespace tw::odbc {

// Reads the rows of an executed statement, as each column's plan says: a
// rowset of many rows per fetch (SQL_ATTR_ROW_ARRAY_SIZE) into column-wise
// bound buffers, and a value too long for its buffer (or of a column that
// may hold values of any length) read in pieces with SQLGetData. Every
// result the program reads goes through it, one row per fetch or many.
//
// SQLGetData reads a row of a block after SQLSetPos positions on it, where
// the driver does that reliably (`positionedReads`); otherwise a result
// with such a column is read a row per fetch. (MariaDB Connector/ODBC
// 3.1.15 claims SQL_GD_BLOCK and SQL_POS_POSITION but hands out the block's
// last row after SQLSetPos to another.)
//
// A value that cannot be read (text that is not UTF-8, a row the driver
// marks as an error) throws for its row only: the next call goes on with
// the row after it.
class ResultReader {
public:
    struct Options {
        int maxRows = 1000; // rows per fetch at most
        qsizetype bufferBytes = 8 << 20; // the bound buffers of one block at most
        bool positionedReads = false;
    };

    ResultReader(SQLHSTMT stmt, QList<ColumnPlan> plans, const Options& options);
    ResultReader(const ResultReader&) = delete;
    ResultReader& operator=(const ResultReader&) = delete;

    // After the statement was executed again (the bindings stay).
    void restart();
    // The next row's values; false at the end of the result. Throws DbError.
    bool next(QList<Value>& row);

    const QList<ColumnPlan>& plans() const { return m_plans; }

private:
    struct Bound {
        std::vector<char> data;
        std::vector<SQLLEN> indicators;
    };

    void bind();
    bool fetch();
    Value value(int column, int rowInBlock);
    Value readWhole(int column, int rowInBlock);

    SQLHSTMT m_stmt;
    QList<ColumnPlan> m_plans;
    Options m_options;
    std::vector<Bound> m_bound;
    int m_rows = 1;
    std::vector<SQLUSMALLINT> m_status;
    SQLULEN m_fetched = 0;
    int m_at = 0; // next row of the block
    int m_positioned = -1; // the row SQLSetPos last went to
    bool m_ended = false;
    std::optional<DbError> m_rowError; // the current block's, as fetched
};

// Whether SQLGetData may read any row of a block after SQLSetPos.
bool positionedReads(SQLHDBC dbc);

} // namespace tw::odbc

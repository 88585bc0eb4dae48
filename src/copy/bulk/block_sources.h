#pragma once

#include "copy/loop/key_values.h"
#include "copy/loop/row_source.h"
#include "db/connection.h"
#include "db/login_details.h"
#include "odbc/result_reader.h"
#include "sql/server.h"

#include <memory>
#include <optional>

namespace tw::copy {

// The rows of a source table for a bulk copy, read a block at a time in
// memory that does not grow with the table.
//
// Oracle (and the stand-in) streams a SELECT: one statement, read in
// blocks; its count is not known before the end (a COUNT(*) would be a
// second pass over the table). MariaDB Connector/ODBC 3.1.15 keeps every
// row of a result in memory before the first is fetched, whatever the
// cursor or its options say, so a MySQL table is read in pages of a bounded
// size, all inside one transaction with a consistent snapshot: through
// HANDLER ... READ NEXT on a connection that takes several statements in one
// text (InnoDB's HANDLER reads from the transaction's snapshot), else (a
// view) by row offset, each page counting its way again from the table's
// beginning, so that the time grows with the square of the rows.
//
// Every call, from open to close, is made on one thread (see ThreadFeed).
class BlockSource : public RowSource {
public:
    QList<SourceColumn> columns() const override { return m_columns; }
    qint64 count() const override { return m_count; }
    bool atEnd() const override { return m_atEnd; }
    // Throws why the current row could not be read, for each of its values.
    const odbc::Value& value(int column) const override;
    odbc::Value take(int column) override;
    void next() override;

protected:
    // The reader's next row into the current one; false at the end of what
    // the reader holds.
    virtual bool nextRow(Row& row) = 0;
    // Reads the first row: the source stands on it once open.
    void start(const QList<odbc::ResultColumn>& columns);

    QList<SourceColumn> m_columns;
    qint64 m_count = -1;

private:
    Row m_row;
    bool m_atEnd = false;
    std::exception_ptr m_unreadable;
};

// `textColumns` (from 0) are read as their text (see odbc::planColumn).
// Throws DbError. Oracle runs the selection's one SELECT.
std::unique_ptr<BlockSource> openOracleBlocks(
    db::Connection& connection, const sql::RowSelection& rows, const QList<int>& textColumns);
// A whole table through HANDLER when `own` is a connection of the source's
// own that takes several statements in one text (closed with the reading),
// else by offset. Chosen rows (a selection that is not the whole table) go
// in key order, each page after the last key of the one before, when `key`
// says where the key is among the columns read; by offset otherwise.
std::unique_ptr<BlockSource> openMySQLPages(db::Connection& connection,
    const sql::RowSelection& rows, const KeyColumns& key, const QList<int>& textColumns,
    std::unique_ptr<db::Connection> own);

// The rows of `table` on `side` the bulk way: Oracle's through `connection`;
// MySQL's in HANDLER pages on a connection of the source's own, opened
// with `login` (with `timeoutSeconds`), which takes several statements in
// one text, or without a login by row offset through `connection`. Made
// on the thread that reads. Throws DbError.
std::unique_ptr<BlockSource> openBlocks(sql::Server side, db::Connection& connection,
    const sql::RowSelection& rows, const KeyColumns& key, const QList<int>& textColumns,
    const std::optional<db::LoginDetails>& login, int timeoutSeconds);

} // namespace tw::copy

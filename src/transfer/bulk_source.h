#pragma once

#include "db/connection.h"
#include "odbc/block_reader.h"
#include "odbc/value.h"
#include "transfer/statements.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

namespace tw::transfer {

// The rows of a source table for a fast copy, read a block at a time in
// memory that does not grow with the table.
//
// Oracle (and the stand-in) streams a SELECT: one statement, read in blocks.
// MariaDB Connector/ODBC 3.1.15 keeps every row of a result in memory
// before the first is fetched, whatever the cursor or its options say, so
// a MySQL table is read in pages of a bounded size, all inside one
// transaction with a consistent snapshot: through HANDLER ... READ NEXT on
// a connection that takes several statements in one text (InnoDB's HANDLER
// reads from the transaction's snapshot), else (a view) by row offset, each
// page counting its way again from the table's beginning, so that the time
// grows with the square of the rows.
//
// Every call, from open to close, is made on one thread (see BulkCopy).
class BulkSource {
public:
    // Starts reading `sourceName` (as listed) on `connection`: the row
    // count, then the first rows. `handler`: a MySQL connection that takes
    // several statements in one text. The columns in `textColumns` (from 0)
    // are read as their text (see ColumnInfo::asText). Throws DbError.
    static std::unique_ptr<BulkSource> open(Direction direction, db::Connection& connection,
        const QString& sourceName, bool handler = false, const QList<int>& textColumns = {});
    virtual ~BulkSource();

    const QList<odbc::ResultColumn>& columns() const { return m_columns; }
    // MySQL: SELECT COUNT(*) in the snapshot; Oracle: -1, not known.
    qint64 rowCount() const { return m_count; }
    // The next row; false at the end. Throws DbError.
    virtual bool next(QList<odbc::Value>& row) = 0;
    // Ends the reading (the snapshot's transaction); never throws.
    virtual void close() noexcept = 0;

    int pages() const { return m_pages; }

protected:
    QList<odbc::ResultColumn> m_columns;
    qint64 m_count = 0;
    int m_pages = 0;
};

// What a fast copy needs to know of a MySQL session: whether it reads and
// writes text as UTF-8 with every character (utf8mb4), so that narrow text
// (SQL_C_CHAR) carries it (MariaDB Connector/ODBC sets utf8mb4 for a
// connection made with the wide calls, whatever the server's default is),
// and the largest packet the server takes.
struct MySQLSession {
    bool utf8 = false;
    qint64 maxPacket = 0;
};
MySQLSession ReadMySQLSession(db::Connection& connection);

} // namespace tw::transfer

#pragma once

#include "db/row_buffer.h"
#include "db/row_prefetch.h"
#include "odbc/handles.h"
#include "odbc/result_reader.h"
#include "odbc/value.h"

#include <QList>
#include <QString>
#include <memory>

namespace tw::db {

class Connection;

// One column of a result: its name, ADO type code and the value of the
// current row (Null once the rows are used up).
struct Field {
    QString Name;
    qint16 Type = 0;
    tw::odbc::Value Value;
};

// An ADO-shaped forward-only recordset. The row count is known as soon as
// the recordset is open: taken from the driver when it vouches for it as
// exact, otherwise counted by buffering the rows. When the driver tells the
// count, the rows after the first are read on a thread of their own, ahead
// of MoveNext; anything else done with the connection first lets that
// thread stop.
class Recordset {
public:
    Recordset();
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    void Open(const QString& sql, Connection& connection);
    // The same, with the columns listed (from 0) read as their text whatever
    // their type, for values no C type holds whole (see odbc::planColumn).
    void Open(const QString& sql, Connection& connection, const QList<int>& textColumns);
    void Close();

    qint64 RecordCount() const;
    int FieldCount() const;
    const Field& field(int index) const;
    // Each field's Value reflects the current row.
    const QList<Field>& Fields() const { return m_fields; }
    void MoveNext();
    bool atEnd() const { return m_eof; }
    // False after a MoveNext that failed: the fields still hold the row
    // before, which must not be taken for the row that could not be read.
    bool rowReadable() const { return m_readable; }
    bool isOpen() const { return m_open; }

private:
    friend class Connection;
    void attach(odbc::StatementHandle statement, Connection& connection,
        const QList<int>& textColumns = {});
    bool fetchRow(QList<odbc::Value>& row);
    void requireOpen() const;
    // Called by the connection before it is used otherwise, closed or gone.
    void pauseReading();
    void detachFromConnection();
    void stopReading();

    odbc::StatementHandle m_stmt;
    Connection* m_connection = nullptr;
    std::unique_ptr<RowPrefetch> m_prefetch;
    QList<odbc::Value> m_row; // the row being taken apart, kept for its room
    QList<Field> m_fields;
    std::unique_ptr<odbc::ResultReader> m_reader;
    RowBuffer m_buffered;
    bool m_buffering = false;
    qint64 m_count = 0;
    bool m_eof = true;
    bool m_readable = true;
    bool m_open = false;
    bool m_detached = false; // the connection went, and the statement with it
};

} // namespace tw::db

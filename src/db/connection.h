#pragma once

#include "db/recordset.h"
#include "odbc/column_plan.h"
#include "odbc/handles.h"
#include "odbc/result_reader.h"

#include <QList>
#include <QString>
#include <memory>

namespace tw::db {

// ADO's cursor locations; the value only documents the caller's intent here,
// because the recordset always knows its row count before the first row.
enum CursorLocationEnum { adUseServer = 2, adUseClient = 3 };

// An ADO-shaped connection over unixODBC. Properties take effect at the next
// Open. Destroying the object closes the connection (ADO's release).
class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    int CursorLocation = adUseServer;
    int CommandTimeout = 30; // seconds; 0 = no limit
    int ConnectionTimeout = 15; // seconds; 0 = no limit

    // Throws DbError with the driver's message when the connection fails.
    void Open(const QString& connectionString);
    // Runs one statement. Returns the result positioned on the first row when
    // the statement produced one, else nullptr. Throws DbError when refused.
    std::unique_ptr<Recordset> Execute(const QString& sql);
    // Throws DbError when the connection is not open, as ADO does.
    void Close();

    bool isOpen() const { return m_dbc.valid(); }
    SQLHDBC handle() const { return m_dbc.get(); }
    // Only MariaDB's driver is trusted with the 64-bit integer C types.
    odbc::DriverTraits driverTraits() const { return { m_mariadb, m_mariadb }; }
    // How results on this connection may be read in blocks.
    odbc::ResultReader::Options readerOptions(int maxRows) const;
    // A statement handle of its own on this connection, for ODBC calls that
    // are not SQL texts (the catalog functions). Throws DbError when closed.
    odbc::StatementHandle newStatement();

private:
    friend class Recordset;
    // Recordsets reading ahead on this connection stop before it is used
    // for anything else, and let go of it when it closes.
    void pauseReaders();
    void detachReaders();
    QList<Recordset*> m_readers;

    odbc::ConnectionHandle m_dbc;
    // Statements without rows reuse one handle: a copy sends one INSERT per
    // row, and a handle per statement costs as much as the driver's work.
    odbc::StatementHandle m_plain;
    int m_plainTimeout = -1;
    bool m_mariadb = false;
    bool m_positionedReads = false;
};

// Runs one statement whose result, if any, is not read.
void ExecuteSql(Connection& connection, const QString& sql);

} // namespace tw::db

#pragma once

#include "copy/loop/row_counts.h"
#include "copy/loop/stop_request.h"
#include "db/connection.h"
#include "db/login_details.h"
#include "db/recordset.h"
#include "sql/dialect.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace tw::copy {

// What one copying run holds from its first table to its last: the two
// connections, the one recordset reused for every table read row by row,
// and the current statement, which is not cleared between tables (the
// window's error report shows it after "sql: "). It knows no window: the
// tables window runs each piece in a numbered step of its own error trap,
// the command runs whole tables (see table_job.h). Every piece throws what
// the data access layer threw.
class TableCopy {
public:
    // Copies into `target` from the other server. `exactValues`: the target
    // session refuses any value it cannot hold unchanged (exact copies).
    explicit TableCopy(
        sql::Server target, const StopRequest* stop = nullptr, bool exactValues = false);
    ~TableCopy();
    TableCopy(const TableCopy&) = delete;
    TableCopy& operator=(const TableCopy&) = delete;

    sql::Server target() const { return m_target; }
    sql::Server source() const { return sql::otherServer(m_target); }
    const sql::Dialect& targetDialect() const { return sql::dialect(target()); }
    const sql::Dialect& sourceDialect() const { return sql::dialect(source()); }

    void createConnection(sql::Server side);
    void createRecordset();
    // A side's connection, the recordset; each throws when it was never made.
    db::Connection& connection(sql::Server side) const;
    db::Connection& sourceConnection() const { return connection(source()); }
    db::Connection& targetConnection() const { return connection(target()); }
    db::Recordset& recordset() const;

    // Set on each connection before it opens.
    static int cursorLocation(sql::Server target, sql::Server side);
    static constexpr int timeoutSeconds = 5000;
    void openConnection(sql::Server side, const db::LoginDetails& login);
    QStringList sessionStatements(sql::Server side) const;
    // All of it for one side: made when missing, the properties, opened with
    // the side's connection string, the session statements sent.
    void connect(sql::Server side, const db::LoginDetails& login);

    QString& statement() { return m_statement; }
    const QString& statement() const { return m_statement; }
    const StopRequest* stop() const { return m_stop; }
    bool stopRequested() const { return m_stop && m_stop->requested(); }

private:
    sql::Server m_target;
    const StopRequest* m_stop;
    bool m_exactValues;
    std::unique_ptr<db::Connection> m_oracle;
    std::unique_ptr<db::Connection> m_mysql;
    std::unique_ptr<db::Recordset> m_rs;
    QString m_statement;
};

} // namespace tw::copy

#pragma once

#include "db/connection.h"
#include "db/login_details.h"
#include "db/recordset.h"
#include "transfer/exact_types.h"
#include "transfer/statements.h"
#include "transfer/stop_request.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace tw::transfer {

enum class Side { Oracle, MySQL };

// How the target's columns are chosen. Plain: the window's mapping from the
// ADO type of each column, values as quoted text. Exact: each column's own
// declared type, NOT NULL and the primary key, every value unchanged (see
// exact_types.h); the command's `--types exact`.
enum class Types { Plain, Exact };

// The rows of the table being copied, so far.
struct RowCounts {
    qint64 read = 0; // rows taken from the source to be sent
    qint64 written = 0; // rows the target took
    qint64 refused = 0; // rows whose statement could not be built or was refused
};

// Copies tables from one database to the other, operation by operation, in
// the order a table uses them. It knows no window and no dialog: the tables
// window runs each operation in a numbered step of its own error trap and
// yields between them; the command runs them with its own error handling.
// Every operation throws what the data access layer threw.
//
// One object serves a whole run: it owns both connections, the one recordset
// reused for every table, and the current statement, which is not cleared
// between tables (the window's error report shows it after "sql: ").
//
//   per run:    createConnection(side) / createRecordset, then connect(side)
//               or its pieces (the properties, openConnection, the session
//               statements), Oracle first
//   per table:  [dropTarget] openSource
//               beginCreate, per column columnName/columnType/appendColumn,
//               finishCreate (or all three as buildCreate), executeCreate
//               rowCount, beginRows, then per row until stopRequested():
//                 beginInsert, appendValue per value, finishInsert,
//                 executeInsert (or all four as sendRow), moveNext
//               close
class TableCopy {
public:
    explicit TableCopy(
        Direction direction, const StopRequest* stop = nullptr, Types types = Types::Plain);
    ~TableCopy();
    TableCopy(const TableCopy&) = delete;
    TableCopy& operator=(const TableCopy&) = delete;

    Direction direction() const { return m_direction; }
    Types types() const { return m_types; }

    void createConnection(Side side);
    void createRecordset();
    // A side's connection; throws when it was never made.
    db::Connection& connection(Side side) const;
    db::Connection& source() const;
    db::Connection& target() const;

    // Set on each connection before it opens.
    static int cursorLocation(Direction direction, Side side);
    static constexpr int timeoutSeconds = 5000;
    void openConnection(Side side, const db::LoginDetails& login);
    static QStringList sessionStatements(Side side, Types types = Types::Plain);
    // All of it for one side: made when missing, the properties, opened with
    // the side's connection string, the session statements sent.
    void connect(Side side, const db::LoginDetails& login);

    void dropTarget(const QString& targetName);
    // An exact copy reads the source's declarations first, and the columns
    // no C type holds whole as their text.
    void openSource(const QString& sourceName);
    // An exact copy's pieces of openSource, for a source read otherwise (a
    // fast copy): the declarations, then whether the columns read are
    // those they declare (throws when not).
    void readDeclarations(const QString& sourceName);
    void checkColumns(const QStringList& names) const;
    const ExactTable& declarations() const { return m_exact; }

    void beginCreate(const QString& targetName);
    int columnCount() const;
    QString columnName(int column) const;
    qint16 columnType(int column) const;
    void appendColumn(const QString& name, qint16 type);
    void finishCreate();
    // The whole CREATE TABLE: the window's column by column, or the exact one.
    void buildCreate(const QString& targetName);
    void executeCreate();

    qint64 rowCount() const;
    // Before the first row (never throws): the counts start again, and the
    // INSERT opening and the number of values are taken once for the table.
    void beginRows(const QString& targetName);
    int valueCount() const { return m_values; }
    void beginInsert();
    void appendValue(int column);
    void finishInsert();
    void executeInsert();
    // One row built and sent; a row that fails anywhere counts as refused.
    // An exact copy's row goes by sendExactRow (exact_copy.h).
    void sendRow();
    void moveNext();
    // The current row's values as its statement carries them: the value
    // texts, and a null string for each value sent as NULL (in an exact
    // copy only NULL itself; an empty text stays empty).
    QStringList rowValues() const;
    void close();

    // Runs one statement on the target (the swap of a replacing copy).
    void executeOnTarget(const QString& sql);

    bool stopRequested() const { return m_stop && m_stop->requested(); }
    const QString& statement() const { return m_statement; }
    const RowCounts& counts() const { return m_counts; }

private:
    db::Recordset& recordset() const;
    void sendExact();
    void requireReadableRow() const;

    Direction m_direction;
    const StopRequest* m_stop;
    Types m_types;
    ExactTable m_exact; // the table being copied, in an exact copy
    QString m_targetName;
    QList<odbc::Value> m_row;
    std::unique_ptr<db::Connection> m_oracle;
    std::unique_ptr<db::Connection> m_mysql;
    std::unique_ptr<db::Recordset> m_rs;
    QString m_statement;
    QString m_insertOpening;
    int m_values = 0;
    RowCounts m_counts;
};

} // namespace tw::transfer

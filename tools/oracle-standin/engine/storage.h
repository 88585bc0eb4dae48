#pragma once

#include "cell.h"
#include "statement.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct sqlite3;

namespace orastandin {

class Storage;
struct Lease;

// Stored values that columns must hold, by column position: a cursor given
// them reads only such rows, through the table's key index.
using ColumnEquals = std::vector<std::pair<std::size_t, Cell>>;

// A table's primary key: its constraint's name and its columns' positions
// in key order.
struct KeyInfo {
    std::string name;
    std::vector<std::size_t> columns;
};

struct TableInfo {
    long long id = 0;
    std::string owner;
    std::string name;
    std::vector<ColumnDef> columns; // notNull and defaultValue filled in
    std::optional<KeyInfo> primaryKey;
};

// The rows of one table in insertion order, read one at a time from a
// snapshot taken when the cursor was opened. It holds a connection of its
// own, so that the owner's connection stays free to write, create and drop
// tables, and only ever the current row, however long the table. Inside the
// owner's open transaction it reads through the owner's connection instead
// (m_reader stays empty), which alone sees the uncommitted rows.
class TableCursor {
public:
    ~TableCursor();
    TableCursor(const TableCursor&) = delete;
    TableCursor& operator=(const TableCursor&) = delete;

    const TableInfo& table() const { return m_table; }
    // Puts the next row into `row`; false at the end, where the cursor has
    // already given its SQLite statement and snapshot back.
    bool next(std::vector<Cell>& row);
    // The storage's identity of the row `next` gave last, for RowWriter;
    // only of a cursor from Storage::openRows.
    long long rowid() const { return m_rowid; }

    struct Rows;

private:
    friend class Storage;
    TableCursor() = default;
    void release();

    std::unique_ptr<Storage> m_reader;
    std::unique_ptr<Rows> m_rows;
    TableInfo m_table;
    long long m_rowid = 0;
    bool m_withRowids = false;
};

// Writes rows of one table inside its storage's open transaction, each
// kind of change through one prepared SQLite statement.
class RowWriter {
public:
    ~RowWriter();
    RowWriter(const RowWriter&) = delete;
    RowWriter& operator=(const RowWriter&) = delete;

    // One row, a cell per column; throws OraError and then has written
    // nothing: ORA-00001 when the row repeats a primary key.
    void insert(const std::vector<Cell>& row);
    // Replaces the row a cursor gave with `rowid`; ORA-00001 as for insert.
    void update(long long rowid, const std::vector<Cell>& row);
    void remove(long long rowid);

private:
    friend class Storage;
    RowWriter() = default;
    struct Statement;
    std::unique_ptr<Statement> m_insert;
    std::unique_ptr<Statement> m_update;
    std::unique_ptr<Statement> m_delete;
    Storage* m_storage = nullptr;
    long long m_table = 0;
    std::string m_key;
    std::size_t m_columns = 0;
};

// One SID: an SQLite file holding its users, the catalog of their tables and
// the rows. Each ODBC connection opens its own Storage; SQLite's WAL mode
// lets several connections and processes share the file: readers never
// wait, and writers take turns, each transaction waiting for the one before
// to end (see write_turns.h).
class Storage {
public:
    ~Storage();
    Storage(const Storage&) = delete;
    Storage& operator=(const Storage&) = delete;

    // Creates a new, empty SID file; throws std::runtime_error when it exists.
    static void create(const std::string& path);
    // Opens an existing SID file; throws ORA-12154 when there is none.
    static std::unique_ptr<Storage> open(const std::string& path);

    std::optional<std::string> password(const std::string& user);
    void createUser(const std::string& user, const std::string& password);

    std::vector<std::string> tableNames(const std::string& owner);
    std::optional<TableInfo> findTable(const std::string& owner, const std::string& name);
    void createTable(const std::string& owner, const CreateTableStmt& table);
    void dropTable(const std::string& owner, const std::string& name);
    void renameTable(const std::string& owner, const std::string& from, const std::string& to);

    // A transaction spanning many statements, as a session without
    // autocommit keeps one: BEGIN IMMEDIATE takes the write lock at once, so
    // that the commit cannot fail for a writer that came in between. Other
    // connections see none of it until the commit; a connection closed
    // with it open rolls it back.
    bool transactionOpen() const;
    void begin();
    void commit();
    void rollback();
    // Prepares inserts into `table` within the open transaction. Throws
    // ORA-00942 when another session dropped the table since it was looked up.
    std::unique_ptr<RowWriter> rowWriter(const TableInfo& table);

    // A cursor over the table's rows, or only those holding `equal`;
    // nullptr when the owner has no such table. Inside an open transaction
    // it reads through this connection, so that the session sees its own
    // uncommitted rows.
    std::unique_ptr<TableCursor> openTable(
        const std::string& owner, const std::string& name, const ColumnEquals* equal = nullptr);
    // The rows of a table as UPDATE, DELETE and MERGE read them, with their
    // rowids, inside the open transaction (which keeps `table` as it is),
    // through statements prepared once per connection.
    std::unique_ptr<TableCursor> openRows(const TableInfo& table, const ColumnEquals* equal);

    // Transactions within the open one, so that a statement that fails
    // undoes its own changes only, as Oracle rolls back one statement.
    void savepoint();
    void releaseSavepoint();
    void rollbackToSavepoint();

private:
    friend class TableCursor;
    friend class RowWriter;
    Storage(sqlite3* db, std::string path);
    void exec(const char* sql);
    std::optional<TableInfo> findTableLocked(const std::string& owner, const std::string& name);
    void upgrade();
    std::string constraintName(const std::string& owner, const ConstraintDef& constraint);

    void catalogChanged();

    // Hands out the statement prepared once for this connection, reset, or
    // one of its own while another user holds that.
    void lease(const std::string& sql, Lease& into);
    void runCached(const char* sql);

    sqlite3* m_db;
    std::string m_path;
    // Tables looked up since the catalog last changed, so that an INSERT
    // costs one catalog query rather than four; keyed by owner and name.
    long long m_catalogVersion = -1;
    std::map<std::pair<std::string, std::string>, TableInfo> m_tables;
    struct Statements;
    std::unique_ptr<Statements> m_statements;
};

} // namespace orastandin

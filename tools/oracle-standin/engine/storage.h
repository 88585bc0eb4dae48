#pragma once

#include "cell.h"
#include "statement.h"

#include <functional>
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

// A constraint as the catalog keeps it, with its columns' positions.
struct ConstraintInfo {
    long long id = 0;
    std::string name;
    char type = 'C'; // P, U, R, or C (NOT NULL and CHECK), as USER_CONSTRAINTS says
    bool generatedName = false; // named SYS_C... by the database
    std::vector<std::size_t> columns; // C: the columns the condition names
    std::string condition; // C: a CHECK's condition as written; empty for NOT NULL
    // R: the parent's key, and its columns' positions in the parent table,
    // paired with `columns`.
    long long refConstraintId = 0;
    std::string refConstraint;
    std::string refOwner;
    std::string refTable;
    long long refTableId = 0;
    std::vector<std::size_t> refColumns;
    std::string refEnforcement; // the parent key's SQLite index
    DeleteRule deleteRule = DeleteRule::NoAction;
    // P, U: the index Oracle enforces the key with, and the SQLite index
    // that keeps the rows unique.
    std::string indexName;
    std::string enforcement;

    bool isNotNull() const { return type == 'C' && condition.empty(); }
};

struct IndexInfo {
    long long id = 0;
    std::string name;
    bool unique = false;
    bool generatedName = false; // made for a constraint Oracle named
    std::vector<std::size_t> columns;
    std::vector<bool> descending;
    // A descending column is an expression over a hidden column of the
    // table, as Oracle makes it: that column's number, 0 for ascending ones.
    std::vector<int> virtualColumns;
    std::string storage; // the SQLite index
};

// A foreign key, of another table or of this one, that refers to a table's key.
struct ReferenceInfo {
    long long constraintId = 0;
    long long keyId = 0; // the key it refers to
    std::string constraint;
    long long childTableId = 0;
    std::string childTable;
    std::vector<std::size_t> childColumns;
    std::vector<std::size_t> parentColumns; // paired with childColumns
    DeleteRule deleteRule = DeleteRule::NoAction;
};

struct IdentityInfo {
    std::size_t column = 0;
    IdentityDef definition;
};

struct TableInfo {
    long long id = 0;
    std::string owner;
    std::string name;
    std::vector<ColumnDef> columns; // notNull, defaultValue and identity filled in
    std::optional<KeyInfo> primaryKey;
    std::vector<ConstraintInfo> constraints; // in the order they were made
    std::vector<IndexInfo> indexes; // by name
    std::vector<ReferenceInfo> referencedBy;
    std::optional<IdentityInfo> identity;
    std::string comment; // empty: none
    // By column; empty (the vector, or a column's) where there are none.
    std::vector<std::string> columnComments;
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
    // nothing: ORA-00001 when the row repeats a key of a unique constraint
    // or index, ORA-02291 when a foreign key finds no parent.
    void insert(const std::vector<Cell>& row);
    // The identity column's next value, handed out for good (ORA-08004
    // past the sequence's end without CYCLE).
    long long nextIdentity();
    // Replaces the row a cursor gave with `rowid`: ORA-00001 and ORA-02291
    // as for insert, ORA-02292 when it changes a key that rows refer to.
    // A refused update is the statement's to undo (it runs in a savepoint).
    void update(long long rowid, const std::vector<Cell>& row);
    // Deletes the row, and by the foreign keys that refer to it its
    // children (ON DELETE CASCADE), or their keys (SET NULL; ORA-01407 for
    // a NOT NULL column), or nothing: ORA-02292 while one exists.
    void remove(long long rowid);

private:
    friend class Storage;
    RowWriter() = default;
    struct Statement;
    struct Keys;
    void checkParents(const std::vector<Cell>& row, std::vector<std::string>& texts);
    std::unique_ptr<Statement> m_insert;
    std::unique_ptr<Statement> m_update;
    std::unique_ptr<Statement> m_delete;
    std::unique_ptr<Keys> m_keys;
    Storage* m_storage = nullptr;
    sqlite3* m_db = nullptr;
    long long m_table = 0;
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
    // The owner's tables by name, each as findTable gives it.
    std::vector<TableInfo> tables(const std::string& owner);
    std::optional<TableInfo> findTable(const std::string& owner, const std::string& name);
    // The tables' names and the names of their constraints and indexes are
    // the owner's. Each of these commits on its own, as DDL does.
    void createTable(const std::string& owner, const CreateTableStmt& table);
    // ORA-02449 while other tables' foreign keys refer to it, unless
    // `cascadeConstraints` drops those; its indexes, constraints, identity and
    // comments go with it.
    void dropTable(const std::string& owner, const std::string& name, bool cascadeConstraints);
    void renameTable(const std::string& owner, const std::string& from, const std::string& to);
    // Checks a CHECK constraint just added against the table's rows; given
    // the constraint's "OWNER.NAME".
    using CheckValidator = std::function<void(
        const TableInfo& table, const ConstraintDef& check, const std::string& name)>;
    // ALTER TABLE: constraints checked against the rows already there, a
    // CHECK by `validate`. The CHECK's columns are those it names.
    void alterTable(
        const std::string& owner, const AlterTableStmt& alter, const CheckValidator& validate);
    void createIndex(const std::string& owner, const CreateIndexStmt& index);
    void dropIndex(const std::string& owner, const std::string& name);
    void comment(const std::string& owner, const CommentStmt& comment);
    // The identity sequence's next value, as the catalog keeps it.
    long long identityNextValue(long long tableId);

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
    // Applies the foreign keys that refer to a row about to be deleted from
    // `table` (ON DELETE CASCADE, SET NULL, or ORA-02292), then deletes it.
    void removeRow(const TableInfo& table, long long rowid);
    Storage(sqlite3* db, std::string path);
    void exec(const char* sql);
    std::optional<TableInfo> findTableLocked(const std::string& owner, const std::string& name);
    TableInfo requireTable(const std::string& owner, const std::string& name);
    void loadDefinitions(TableInfo& t);
    void upgrade();
    std::string constraintName(const std::string& owner, const ConstraintDef& constraint);
    // Runs DDL; false when SQLite refuses it for a constraint (a unique
    // index over rows that repeat a key).
    bool tryExec(const std::string& sql);
    void addConstraint(TableInfo& table, const ConstraintDef& constraint,
        const CheckValidator* validate = nullptr);
    void addKey(TableInfo& table, const ConstraintDef& constraint, long long constraintId,
        const std::vector<std::size_t>& positions, bool generatedName);
    // Returns the child's columns in the order of the parent key's.
    std::vector<std::size_t> addForeignKey(TableInfo& table, const ConstraintDef& constraint,
        long long constraintId, const std::vector<std::size_t>& positions);
    void dropConstraint(const TableInfo& table, const ConstraintInfo& constraint, bool cascade);
    void deleteConstraint(long long id);
    // The index's id; nullopt when a unique one finds repeated keys.
    std::optional<long long> insertIndex(const TableInfo& table, const std::string& name,
        bool unique, bool generatedName, const std::vector<std::size_t>& columns,
        const std::vector<bool>& descending, bool primary);
    void dropIndexRows(long long id, const std::string& storage);
    void modifyIdentity(const TableInfo& table, const AlterTableStmt& alter);
    void saveIdentity(long long tableId, const IdentityDef& identity, long long next);

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

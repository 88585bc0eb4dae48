#pragma once

#include "cell.h"
#include "statement.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct sqlite3;

namespace orastandin {

struct TableInfo {
    long long id = 0;
    std::string owner;
    std::string name;
    std::vector<ColumnDef> columns;
};

// One SID: an SQLite file holding its users, the catalog of their tables and
// the rows. Each ODBC connection opens its own Storage; SQLite's WAL mode and
// busy timeout let several connections and processes share the file.
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
    void insertRow(const TableInfo& table, const std::vector<Cell>& row);
    // The table and all its rows in insertion order, read in one snapshot.
    std::optional<std::pair<TableInfo, std::vector<std::vector<Cell>>>> readTable(
        const std::string& owner, const std::string& name);

private:
    explicit Storage(sqlite3* db);
    void exec(const char* sql);
    std::optional<TableInfo> findTableLocked(const std::string& owner, const std::string& name);

    sqlite3* m_db;
};

} // namespace orastandin

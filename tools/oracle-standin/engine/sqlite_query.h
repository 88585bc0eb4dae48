#pragma once

// The SQLite statements of the storage, shared by its files.

#include "ora_error.h"
#include "write_turns.h"

#include <sqlite3.h>
#include <string>
#include <string_view>

namespace orastandin::sqlite {

[[noreturn]] inline void sqliteFailed(sqlite3* db, const std::string& reason)
{
    // A writer that would wait for its own thread's transaction.
    if (sqlite3_errcode(db) == SQLITE_BUSY && writeturns::takeDeadlock())
        throwOra(60, "deadlock detected while waiting for resource");
    // Storage faults have no Oracle counterpart worth imitating; report
    // them as an internal error with SQLite's reason.
    throwOra(600, "internal error code, arguments: [sqlite], [" + reason + "]");
}

// A prepared SQLite statement that finalizes itself.
class Query {
public:
    Query(sqlite3* db, const std::string& sql)
        : m_db(db)
    {
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &m_stmt, nullptr) != SQLITE_OK)
            fail();
    }
    ~Query() { sqlite3_finalize(m_stmt); }
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    Query& bind(int i, const std::string& text)
    {
        sqlite3_bind_text(m_stmt, i, text.data(), int(text.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Query& bind(int i, long long v)
    {
        sqlite3_bind_int64(m_stmt, i, v);
        return *this;
    }
    Query& bindBlob(int i, const std::string& bytes)
    {
        sqlite3_bind_blob(m_stmt, i, bytes.data(), int(bytes.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Query& bindNull(int i)
    {
        sqlite3_bind_null(m_stmt, i);
        return *this;
    }
    // Runs an INSERT; false when a unique index refuses the row.
    bool insertUnique()
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_DONE)
            return true;
        if (rc == SQLITE_CONSTRAINT)
            return false;
        fail();
    }
    // Binds without copying: the text must stay put until the next reset.
    void bindInPlace(int i, const std::string& text, bool blob)
    {
        if (blob)
            sqlite3_bind_blob(m_stmt, i, text.data(), int(text.size()), SQLITE_STATIC);
        else
            sqlite3_bind_text(m_stmt, i, text.data(), int(text.size()), SQLITE_STATIC);
    }
    // Makes the statement ready to run again.
    void reset() { sqlite3_reset(m_stmt); }
    // Forgets values bound in place, before they go away.
    void clearBindings() { sqlite3_clear_bindings(m_stmt); }
    // True while a row is available.
    bool step()
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            fail();
        return false;
    }
    bool isNull(int col) const { return sqlite3_column_type(m_stmt, col) == SQLITE_NULL; }
    long long integer(int col) const { return sqlite3_column_int64(m_stmt, col); }
    // The value's bytes, valid until the next step.
    std::string_view view(int col) const
    {
        const auto* p = static_cast<const char*>(sqlite3_column_blob(m_stmt, col));
        return p ? std::string_view(p, std::size_t(sqlite3_column_bytes(m_stmt, col)))
                 : std::string_view();
    }
    // The value as NUL-terminated text, valid until the next step.
    const char* cText(int col) const
    {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, col));
        return p ? p : "";
    }
    std::string text(int col) const
    {
        const auto* p = static_cast<const char*>(sqlite3_column_blob(m_stmt, col));
        return p ? std::string(p, std::size_t(sqlite3_column_bytes(m_stmt, col))) : std::string();
    }

private:
    [[noreturn]] void fail() { sqliteFailed(m_db, sqlite3_errmsg(m_db)); }

    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

// Runs a block inside BEGIN IMMEDIATE ... COMMIT, rolling back on a throw;
// inside a transaction that is already open, a savepoint keeps it whole.
template <typename F> void inTransaction(sqlite3* db, const std::string& path, F&& body)
{
    const bool nested = sqlite3_get_autocommit(db) == 0;
    Query(db, nested ? "SAVEPOINT step" : "BEGIN IMMEDIATE").step();
    if (!nested)
        writeturns::held(path, db);
    try {
        body();
        Query(db, nested ? "RELEASE step" : "COMMIT").step();
    } catch (...) {
        sqlite3_exec(
            db, nested ? "ROLLBACK TO step; RELEASE step" : "ROLLBACK", nullptr, nullptr, nullptr);
        if (!nested)
            writeturns::released(path, db);
        throw;
    }
    if (!nested)
        writeturns::released(path, db);
}

inline std::string dataTable(long long id)
{
    return "\"d" + std::to_string(id) + "\"";
}

} // namespace orastandin::sqlite

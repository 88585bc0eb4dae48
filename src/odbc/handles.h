#pragma once

#include <QString>
#include <memory>
#include <sql.h>
#include <sqlext.h>
#include <vector>

namespace tw::odbc {

// The process-wide ODBC 3 environment, allocated on first use.
SQLHENV environment();

// Throws DbError carrying every diagnostic record of the handle unless rc
// reports success. SQL_NO_DATA counts as success: callers that care test it.
void check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle);

// Wide text as unixODBC wants it (SQLWCHAR is UTF-16 there) and back.
std::vector<SQLWCHAR> toSqlWChar(const QString& text);
QString fromSqlWChar(const SQLWCHAR* text, qsizetype length);

// Owns a connected (or allocated) SQLHDBC. Statements made on it hold a
// share of its liveness, so that a statement released after its connection
// never touches a freed handle.
class ConnectionHandle {
public:
    static ConnectionHandle allocate();
    void markConnected() { m_owned->connected = true; }
    // Disconnects (when connected) and frees the handle; never throws.
    void reset() noexcept { m_owned.reset(); }

    bool valid() const { return m_owned != nullptr; }
    bool connected() const { return m_owned && m_owned->connected; }
    SQLHDBC get() const { return m_owned ? m_owned->handle : SQL_NULL_HDBC; }
    std::shared_ptr<bool> liveness() const { return m_owned ? m_owned->alive : nullptr; }

private:
    struct Owned {
        ~Owned();
        SQLHDBC handle = SQL_NULL_HDBC;
        bool connected = false;
        std::shared_ptr<bool> alive = std::make_shared<bool>(true);
    };
    std::unique_ptr<Owned> m_owned;
};

class StatementHandle {
public:
    static StatementHandle allocate(const ConnectionHandle& connection);
    void reset() noexcept { m_owned.reset(); }

    bool valid() const { return m_owned != nullptr; }
    SQLHSTMT get() const { return m_owned ? m_owned->handle : SQL_NULL_HSTMT; }

private:
    struct Owned {
        ~Owned();
        SQLHSTMT handle = SQL_NULL_HSTMT;
        std::shared_ptr<bool> connectionAlive;
    };
    std::unique_ptr<Owned> m_owned;
};

// Closes a statement's cursor (SQLFreeStmt SQL_CLOSE) as it goes out of
// scope, however the scope is left; the statement stays prepared.
class CursorCloser {
public:
    explicit CursorCloser(SQLHSTMT statement)
        : m_statement(statement)
    { }
    ~CursorCloser() { SQLFreeStmt(m_statement, SQL_CLOSE); }
    CursorCloser(const CursorCloser&) = delete;
    CursorCloser& operator=(const CursorCloser&) = delete;

private:
    SQLHSTMT m_statement;
};

} // namespace tw::odbc

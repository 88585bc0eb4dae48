#pragma once

#include "cell.h"
#include "column_type.h"
#include "nls.h"
#include "statement.h"
#include "storage.h"

#include <memory>
#include <string>
#include <vector>

namespace orastandin {

struct ResultColumn {
    std::string name;
    ColumnType type;
    bool nullable = true;
    std::string owner; // schema of the table the column comes from
    std::string table;
};

// The rows of a query, handed out one at a time, as a server cursor does.
class RowCursor {
public:
    virtual ~RowCursor() = default;
    // Puts the next row into `row`; false once there is none, by which time
    // the cursor holds no database resources any more. Throws OraError.
    virtual bool next(std::vector<Cell>& row) = 0;
};

// What a statement produced: a cursor over the rows for a query, a row
// count otherwise. The columns are known as soon as the query has run.
struct Result {
    bool isQuery = false;
    std::vector<ResultColumn> columns;
    std::unique_ptr<RowCursor> rows; // only for a query
    long long rowCount = 0; // INSERT 1, DDL 0; -1 for a query, as Oracle's driver says
};

// One logged-on user of one SID with its NLS settings: runs statements.
class Session {
public:
    Session(std::unique_ptr<Storage> storage, std::string user);

    // Checks the user and password against the SID and starts a session.
    // Throws ORA-12154, ORA-01017 or ORA-01005 as Oracle does.
    static std::unique_ptr<Session> logon(const std::string& dataDirectory, const std::string& sid,
        const std::string& user, const std::string& password);

    // Runs one statement. Throws OraError when Oracle would refuse it.
    Result execute(const std::string& sql);

    const std::string& user() const { return m_user; }
    // The user's tables as the catalog keeps them, for the ODBC catalog functions.
    std::vector<TableInfo> tables();
    const NlsSettings& nls() const { return m_nls; }
    // The database's MAX_STRING_SIZE; STANDARD unless set.
    void setMaxStringSize(MaxStringSize size) { m_maxStringSize = size; }
    // Fixed date for defaults and RR; by default today's.
    void setToday(const Today& today)
    {
        m_today = today;
        m_fixedToday = true;
    }

private:
    Result select(const SelectStmt& s);
    Result insert(const InsertStmt& s);
    void checkDefaults(const CreateTableStmt& s);

    std::unique_ptr<Storage> m_storage;
    std::string m_user;
    NlsSettings m_nls;
    MaxStringSize m_maxStringSize = MaxStringSize::Standard;
    Today m_today;
    bool m_fixedToday = false;
};

// A cursor over rows already at hand, such as those of a catalog query.
std::unique_ptr<RowCursor> listedRows(std::vector<std::vector<Cell>> rows);

// The file that holds a SID in a data directory; empty when the SID name
// cannot be a file name.
std::string sidPath(const std::string& dataDirectory, const std::string& sid);
// An Oracle user name as the database keeps it: "quoted" exact, else upper-cased.
std::string canonicalUserName(const std::string& name);

} // namespace orastandin

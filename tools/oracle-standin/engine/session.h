#pragma once

#include "cell.h"
#include "column_type.h"
#include "nls.h"
#include "row_source.h"
#include "statement.h"
#include "storage.h"

#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orastandin {

// What a statement produced: a cursor over the rows for a query, a row
// count otherwise. The columns are known as soon as the query has run.
struct Result {
    bool isQuery = false;
    std::vector<ResultColumn> columns;
    std::unique_ptr<RowCursor> rows; // only for a query
    long long rowCount = 0; // rows inserted, updated, deleted or merged; DDL 0; -1 for a query
};

// A statement parsed once, as SQLPrepare leaves it, to be run by each SQLExecute.
struct PreparedStatement {
    ParsedStatement statement;
    std::size_t parameters = 0; // '?' markers
};

// Puts the values bound to the markers for one row of a parameter array
// into `values`, in marker order; answers false for a row to leave out.
// Throws to refuse the row (a value the driver cannot convert).
using ParameterRows = std::function<bool(std::size_t row, std::vector<Literal>& values)>;

// How far an array of INSERT, UPDATE, DELETE or MERGE executions got. Like
// Oracle's array DML without batch error mode, the array stops at the first
// refused set: `failedRow` and `error` tell which and why; the sets before
// it took effect, the refused one changed nothing.
struct ArrayOutcome {
    std::size_t rows = 0; // rows inserted, updated, deleted or merged in all
    std::size_t failedRow = 0;
    std::exception_ptr error; // null when every row went in
};

// One logged-on user of one SID with its NLS settings: runs statements.
//
// Autocommit (the default) commits every statement as it returns. Without
// it the session keeps one storage transaction open from its first write
// to COMMIT or ROLLBACK (the statements or commit()/rollback()); DDL
// commits it first, as Oracle commits before DDL, and a session that ends
// with it open rolls it back.
class Session {
public:
    Session(std::unique_ptr<Storage> storage, std::string user);
    ~Session();

    // Checks the user and password against the SID and starts a session.
    // Throws ORA-12154, ORA-01017 or ORA-01005 as Oracle does.
    static std::unique_ptr<Session> logon(const std::string& dataDirectory, const std::string& sid,
        const std::string& user, const std::string& password);

    // Runs one statement. Throws OraError when Oracle would refuse it.
    Result execute(const std::string& sql);
    // Parses without running; throws the parse errors.
    PreparedStatement prepare(const std::string& sql) const;
    // Runs a prepared statement with the values bound to its markers
    // (ORA-01008 for a marker without one).
    Result execute(
        const PreparedStatement& statement, const std::vector<Literal>* parameters = nullptr);
    // Runs an INSERT once for each of `rows` rows of marker values. The
    // literal path is the one-row case with no markers, so that literals and
    // bound values meet the same conversions. Throws for faults of the whole
    // statement (no table, wrong columns); a refused row ends in the outcome.
    // Under autocommit the rows are committed together, or, when one is
    // refused, none of them (Oracle's driver default, "commit only if all
    // succeed").
    ArrayOutcome insertRows(
        const InsertStmt& statement, std::size_t rows, const ParameterRows& values);
    // Runs an INSERT, UPDATE, DELETE or MERGE once for each of `rows` sets
    // of marker values, as insertRows does; each set is one execution, and
    // a refused one is undone whole (a statement-level rollback).
    ArrayOutcome executeRows(
        const ParsedStatement& statement, std::size_t rows, const ParameterRows& values);
    // What each marker stands for, in marker order: the target column of
    // an INSERT's value or of SET col = ?, else a VARCHAR2(4000).
    std::vector<ResultColumn> parameterColumns(const ParsedStatement& statement);

    bool autocommit() const { return m_autocommit; }
    // Turning autocommit on commits the open transaction, as ODBC asks.
    void setAutocommit(bool on);
    void commit();
    void rollback();

    const std::string& user() const { return m_user; }
    // The user's tables as the catalog keeps them, for the ODBC catalog functions.
    std::vector<TableInfo> tables();
    const NlsSettings& nls() const { return m_nls; }
    // The database's MAX_STRING_SIZE; STANDARD unless set.
    void setMaxStringSize(MaxStringSize size) { m_maxStringSize = size; }
    MaxStringSize maxStringSize() const { return m_maxStringSize; }
    // Fixed date for defaults and RR; by default today's.
    void setToday(const Today& today)
    {
        m_today = today;
        m_fixedToday = true;
    }

private:
    Result run(const ParsedStatement& statement, const std::vector<Literal>* parameters);
    Result select(const SelectStmt& s, const std::vector<Literal>* parameters);
    // What a FROM clause names: the user's table (read through its key when
    // `equal` says so), else a system view; ORA-00942 for neither.
    RowSource openSource(const TableRef& ref, const ColumnEquals* equal = nullptr);
    // One execution of an UPDATE, DELETE or MERGE with one set of values,
    // answering the rows it changed. Planning looks the table up and binds
    // the expressions, so the statement's own faults come before any set.
    using Execution = std::function<long long(const std::vector<Literal>& parameters)>;
    Execution planUpdate(const UpdateStmt& s);
    Execution planDelete(const DeleteStmt& s);
    Execution planMerge(const MergeStmt& s);
    // Ends an array's transaction as insertRows does.
    void endArray(bool opened, const ArrayOutcome& outcome);
    void checkDefaults(const CreateTableStmt& s);
    void readChecks(const std::string& table, const std::vector<ColumnDef>& columns,
        std::vector<ConstraintDef>& constraints);
    std::vector<std::size_t> targetColumns(const TableInfo& table, const InsertStmt& s) const;

    std::unique_ptr<Storage> m_storage;
    std::string m_user;
    NlsSettings m_nls;
    MaxStringSize m_maxStringSize = MaxStringSize::Standard;
    Today m_today;
    bool m_fixedToday = false;
    bool m_autocommit = true;
};

// The file that holds a SID in a data directory; empty when the SID name
// cannot be a file name.
std::string sidPath(const std::string& dataDirectory, const std::string& sid);
// An Oracle user name as the database keeps it: "quoted" exact, else upper-cased.
std::string canonicalUserName(const std::string& name);

} // namespace orastandin

#pragma once

#include "column_type.h"
#include "datetime.h"
#include "lexer.h"

#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace orastandin {

// A value of an INSERT's VALUES list or of a column's DEFAULT, still as
// written, or a parameter marker and, at execution, the value bound to it.
struct Literal {
    enum class Kind {
        Null,
        String, // a quoted literal, or text bound to a marker (a VARCHAR2 bind)
        Number, // a numeric literal, or a number bound to a marker, as text with '.'
        Date, // DATE 'YYYY-MM-DD'
        Timestamp, // TIMESTAMP 'YYYY-MM-DD HH24:MI:SS[.FF]'
        ToDate, // TO_DATE(text [, mask])
        ToTimestamp, // TO_TIMESTAMP(text [, mask])
        Interval, // INTERVAL 'D HH:MI:SS[.FF]' DAY[(p)] TO SECOND[(s)]
        Default, // the keyword DEFAULT in VALUES: the column's default
        Parameter, // a '?' marker, until a value is bound to it
        DateTimeValue, // a bound DATE (dateOnly) or TIMESTAMP
        Bytes, // bound RAW bytes, in text
    } kind
        = Kind::Null;
    std::string text; // the string or number; for TO_DATE and TO_TIMESTAMP their first argument
    bool numberArgument = false; // TO_DATE(20240501, 'YYYYMMDD')
    std::optional<std::string> mask; // TO_DATE and TO_TIMESTAMP: the format model, when given
    int leadingPrecision = 2; // INTERVAL: digits of the days
    int fractionPrecision = 6; // INTERVAL: digits of the seconds' fraction
    std::size_t parameter = 0; // Parameter: its place among the statement's markers
    DateTime dateTime; // DateTimeValue
    bool dateOnly = false; // DateTimeValue bound as a DATE

    static Literal of(Kind kind, std::string text = {})
    {
        Literal l;
        l.kind = kind;
        l.text = std::move(text);
        return l;
    }
};

struct ColumnDef {
    std::string name;
    ColumnType type;
    bool notNull = false; // a NOT NULL constraint or a primary key column
    std::optional<Literal> defaultValue;
};

// NOT NULL (one column) or PRIMARY KEY (one or more), as declared.
struct ConstraintDef {
    enum class Kind { NotNull, PrimaryKey } kind = Kind::NotNull;
    std::string name; // empty: Oracle names it SYS_Cnnnnnnn
    std::vector<std::string> columns;
};

// An expression or condition as parsed (see expression.h); bound to its
// row sources at each execution.
struct Expr;
using ExprPtr = std::shared_ptr<Expr>;

// The table or view a statement reads or writes, with the alias it goes by.
struct TableRef {
    std::string name;
    bool quoted = false;
    std::string alias; // empty: the name itself
    const std::string& label() const { return alias.empty() ? name : alias; }
};

// One item of a select list: an expression with its alias, or * / t.*.
struct SelectItem {
    ExprPtr expr; // null for * and t.*
    std::string alias;
    std::string starQualifier; // t.*; empty for a bare *
};

struct OrderItem {
    ExprPtr expr;
    bool descending = false;
    std::optional<bool> nullsFirst; // default: NULLs last ascending, first descending
};

struct SelectStmt {
    bool distinct = false;
    std::vector<SelectItem> items;
    TableRef from;
    ExprPtr where;
    std::vector<OrderItem> orderBy;
    ExprPtr offset; // OFFSET n ROWS
    ExprPtr fetch; // FETCH FIRST n ROWS ONLY
    std::size_t parameters = 0;
};

// col = expr, in UPDATE and in MERGE's WHEN MATCHED.
struct Assignment {
    std::string column;
    ExprPtr value;
};

struct UpdateStmt {
    TableRef table;
    std::vector<Assignment> set;
    ExprPtr where;
    std::size_t parameters = 0;
};

struct DeleteStmt {
    TableRef table;
    ExprPtr where;
    std::size_t parameters = 0;
};

// MERGE INTO target USING (SELECT ... FROM DUAL) s | table s ON (cond)
// WHEN MATCHED THEN UPDATE SET ... WHEN NOT MATCHED THEN INSERT ... VALUES ...
struct MergeStmt {
    TableRef target;
    std::optional<SelectStmt> sourceQuery; // USING (SELECT ...)
    TableRef sourceTable; // USING table, or the query's alias
    ExprPtr on;
    std::vector<Assignment> update; // empty: no WHEN MATCHED
    bool insert = false; // WHEN NOT MATCHED
    std::vector<std::string> insertColumns; // empty: all, in table order
    std::vector<ExprPtr> insertValues;
    std::size_t parameters = 0;
};

struct CreateTableStmt {
    std::string table;
    std::vector<ColumnDef> columns;
    std::vector<ConstraintDef> constraints; // in the order written
};

struct InsertStmt {
    std::string table;
    std::vector<std::string> columns; // empty: all, in table order
    std::vector<Literal> values;
    std::size_t parameters = 0; // '?' markers among the values
};

struct DropTableStmt {
    std::string table;
};

struct RenameStmt {
    std::string from;
    std::string to;
};

struct AlterSessionStmt {
    std::string parameter; // upper-cased
    std::string value;
};

// COMMIT or ROLLBACK: ends the session's transaction; nothing to do under autocommit.
struct TransactionStmt {
    bool commit = true;
};

using ParsedStatement = std::variant<SelectStmt, CreateTableStmt, InsertStmt, DropTableStmt,
    RenameStmt, AlterSessionStmt, TransactionStmt, UpdateStmt, DeleteStmt, MergeStmt>;

// The '?' markers a parsed statement holds.
std::size_t parameterCount(const ParsedStatement& statement);

// Parses one statement. Throws OraError with Oracle's number for any fault.
ParsedStatement parseStatement(
    const std::string& sql, MaxStringSize size = MaxStringSize::Standard);

// The '?' parameter markers of a statement, counted as Oracle's driver
// counts them: outside strings, quoted names and comments. Throws the
// lexical ORA errors.
std::size_t countParameterMarkers(
    const std::string& sql, MaxStringSize size = MaxStringSize::Standard);

} // namespace orastandin

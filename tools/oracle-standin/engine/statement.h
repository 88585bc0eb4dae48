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
        // The clock, read once for each statement (the kinds above are stored
        // in SID files by number, so these come after them).
        SysDate, // SYSDATE: the DATE of now
        SysTimestamp, // SYSTIMESTAMP
        CurrentDate, // CURRENT_DATE
        CurrentTimestamp, // CURRENT_TIMESTAMP[(fractionPrecision)]
    } kind
        = Kind::Null;
    std::string text; // the string or number; for TO_DATE and TO_TIMESTAMP their first argument
    bool numberArgument = false; // TO_DATE(20240501, 'YYYYMMDD')
    std::optional<std::string> mask; // TO_DATE and TO_TIMESTAMP: the format model, when given
    int leadingPrecision = 2; // INTERVAL: digits of the days
    int fractionPrecision = 6; // INTERVAL, CURRENT_TIMESTAMP: digits of the seconds' fraction
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

// A default as USER_TAB_COLUMNS.DATA_DEFAULT shows it: the expression, in
// the form written ('it''s', DATE '2024-01-02', SYSDATE, ...).
std::string defaultText(const Literal& value);

// The sequence generator of an identity column, with CREATE SEQUENCE's
// options and Oracle's defaults for them.
struct IdentityDef {
    bool always = true; // GENERATED ALWAYS; false: BY DEFAULT
    bool onNull = false; // BY DEFAULT ON NULL
    long long startWith = 1;
    long long incrementBy = 1;
    std::optional<long long> maxValue; // none: NOMAXVALUE
    std::optional<long long> minValue; // none: NOMINVALUE
    bool cycle = false;
    long long cache = 20; // 0: NOCACHE
    bool order = false;
};

// USER_TAB_IDENTITY_COLS.IDENTITY_OPTIONS for an identity column.
std::string identityOptionsText(const IdentityDef& identity);

struct ColumnDef {
    std::string name;
    ColumnType type;
    bool notNull = false; // a NOT NULL constraint or a primary key column
    std::optional<Literal> defaultValue;
    std::optional<IdentityDef> identity;
};

// What a foreign key does to the rows that refer to a deleted parent row.
enum class DeleteRule { NoAction, Cascade, SetNull };

// A constraint as declared, inline or out of line.
struct ConstraintDef {
    enum class Kind { NotNull, PrimaryKey, Unique, ForeignKey, Check } kind = Kind::NotNull;
    std::string name; // empty: Oracle names it SYS_Cnnnnnnn
    std::vector<std::string> columns; // NOT NULL: its column; CHECK: none
    std::string refTable; // FOREIGN KEY: the parent table
    std::vector<std::string> refColumns; // FOREIGN KEY; empty: the parent's primary key
    DeleteRule deleteRule = DeleteRule::NoAction;
    std::string condition; // CHECK: the condition as written, without its parentheses
    std::string inlineColumn; // CHECK written after a column: that column
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
    bool cascadeConstraints = false; // drops the foreign keys that refer to the table
};

// ALTER TABLE t ADD constraint | DROP CONSTRAINT name | MODIFY (c identity).
struct AlterTableStmt {
    enum class Action {
        AddConstraints,
        DropConstraint,
        ModifyIdentity
    } action
        = Action::AddConstraints;
    std::string table;
    std::vector<ConstraintDef> constraints; // AddConstraints
    std::string constraint; // DropConstraint
    bool cascade = false; // DropConstraint: with the foreign keys that refer to it
    std::string column; // ModifyIdentity
    IdentityDef identity; // ModifyIdentity, with the options written in `given`
    struct Given {
        bool startWith = false, incrementBy = false, maxValue = false, minValue = false,
             cycle = false, cache = false, order = false;
    } given;
    bool startWithLimitValue = false; // START WITH LIMIT VALUE
};

struct IndexColumn {
    std::string name;
    bool descending = false;
};

struct CreateIndexStmt {
    std::string name;
    std::string table;
    bool unique = false;
    std::vector<IndexColumn> columns;
};

struct DropIndexStmt {
    std::string name;
};

// COMMENT ON TABLE t IS '...' or COMMENT ON COLUMN t.c IS '...'.
struct CommentStmt {
    std::string table;
    std::string column; // empty: the table's comment
    std::string text; // empty: removes the comment
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
    RenameStmt, AlterSessionStmt, TransactionStmt, UpdateStmt, DeleteStmt, MergeStmt,
    AlterTableStmt, CreateIndexStmt, DropIndexStmt, CommentStmt>;

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

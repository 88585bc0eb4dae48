#pragma once

#include "column_type.h"
#include "datetime.h"
#include "lexer.h"

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

struct SelectStmt {
    bool star = false;
    std::vector<std::string> columns; // when not star
    std::string table;
    bool tableQuoted = false;
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
    RenameStmt, AlterSessionStmt, TransactionStmt>;

// Parses one statement. Throws OraError with Oracle's number for any fault.
ParsedStatement parseStatement(
    const std::string& sql, MaxStringSize size = MaxStringSize::Standard);

// The '?' parameter markers of a statement, counted as Oracle's driver
// counts them: outside strings, quoted names and comments. Throws the
// lexical ORA errors.
std::size_t countParameterMarkers(
    const std::string& sql, MaxStringSize size = MaxStringSize::Standard);

} // namespace orastandin

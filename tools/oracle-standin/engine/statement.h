#pragma once

#include "column_type.h"
#include "lexer.h"

#include <string>
#include <variant>
#include <vector>

namespace orastandin {

struct ColumnDef {
    std::string name;
    ColumnType type;
};

// A value of an INSERT's VALUES list, still as written.
struct Literal {
    enum class Kind { Null, String, Number } kind = Kind::Null;
    std::string text;
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
};

struct InsertStmt {
    std::string table;
    std::vector<std::string> columns; // empty: all, in table order
    std::vector<Literal> values;
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

// COMMIT and ROLLBACK: nothing to do under autocommit, accepted all the same.
struct TransactionStmt { };

using ParsedStatement = std::variant<SelectStmt, CreateTableStmt, InsertStmt, DropTableStmt,
    RenameStmt, AlterSessionStmt, TransactionStmt>;

// Parses one statement. Throws OraError with Oracle's number for any fault.
ParsedStatement parseStatement(
    const std::string& sql, MaxStringSize size = MaxStringSize::Standard);

} // namespace orastandin

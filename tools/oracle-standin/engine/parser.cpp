#include "lexer.h"
#include "literal_parser.h"
#include "ora_error.h"
#include "query_parser.h"
#include "statement.h"
#include "token_reader.h"

#include <algorithm>
#include <array>
#include <set>
#include <string_view>

namespace orastandin {

namespace {

bool isReserved(const std::string& word)
{
    return isReservedWord(word);
}

class Parser {
public:
    Parser(const std::string& sql, MaxStringSize size)
        : m_in(tokenize(sql, size))
        , m_extended(size == MaxStringSize::Extended)
    {
        m_in.setSource(sql);
    }

    ParsedStatement run()
    {
        const Token& first = peek();
        if (first.isWord("SELECT")) {
            SelectStmt s = select();
            expectEnd();
            return s;
        }
        if (first.isWord("CREATE"))
            return createTable();
        if (first.isWord("INSERT"))
            return insert();
        if (first.isWord("UPDATE"))
            return update();
        if (first.isWord("DELETE"))
            return deleteRows();
        if (first.isWord("MERGE"))
            return merge();
        if (first.isWord("DROP"))
            return dropTable();
        if (first.isWord("RENAME"))
            return rename();
        if (first.isWord("ALTER"))
            return alterSession();
        if (first.isWord("COMMIT") || first.isWord("ROLLBACK")) {
            const bool commit = take().isWord("COMMIT");
            if (peek().isWord("WORK"))
                take();
            expectEnd();
            return TransactionStmt { commit };
        }
        throwOra(900, "invalid SQL statement");
    }

private:
    const Token& peek(std::size_t ahead = 0) const { return m_in.peek(ahead); }
    const Token& take() { return m_in.take(); }
    bool takeSymbol(char c) { return m_in.takeSymbol(c); }
    bool takeWord(std::string_view w) { return m_in.takeWord(w); }
    void expectEnd() { m_in.expectEnd(); }

    std::string tableName(bool* quoted = nullptr)
    {
        const Token& t = peek();
        if (!t.isName() || (t.kind == TokenKind::Word && isReserved(t.text)))
            throwOra(903, "invalid table name");
        if (quoted)
            *quoted = t.kind == TokenKind::QuotedName;
        return take().text;
    }

    std::string columnName()
    {
        const Token& t = peek();
        if (!t.isName() || (t.kind == TokenKind::Word && isReserved(t.text)))
            throwOra(904, "\"" + t.text + "\": invalid identifier");
        return take().text;
    }

    int integer() { return parseInteger(m_in); }

    SelectStmt select()
    {
        SelectStmt s = parseSelect(m_in, m_parameters);
        s.parameters = m_parameters;
        return s;
    }

    UpdateStmt update()
    {
        UpdateStmt s = parseUpdate(m_in, m_parameters);
        expectEnd();
        s.parameters = m_parameters;
        return s;
    }

    DeleteStmt deleteRows()
    {
        DeleteStmt s = parseDelete(m_in, m_parameters);
        expectEnd();
        s.parameters = m_parameters;
        return s;
    }

    MergeStmt merge()
    {
        MergeStmt s = parseMerge(m_in, m_parameters);
        expectEnd();
        s.parameters = m_parameters;
        return s;
    }

    CreateTableStmt createTable()
    {
        take();
        if (!takeWord("TABLE"))
            throwOra(901, "invalid CREATE command");
        CreateTableStmt s;
        s.table = tableName();
        if (!takeSymbol('('))
            throwOra(906, "missing left parenthesis");
        std::set<std::string> seen;
        int longs = 0;
        for (;;) {
            if (startsTableConstraint()) {
                tableConstraint(s);
            } else {
                ColumnDef c;
                c.name = columnName();
                c.type = columnType();
                if (!seen.insert(c.name).second)
                    throwOra(957, "duplicate column name");
                if (c.type.isLong() && ++longs > 1)
                    throwOra(1754, "a table may contain only one column of type LONG");
                if (takeWord("DEFAULT"))
                    c.defaultValue = defaultValue();
                columnConstraints(c.name, s);
                s.columns.push_back(std::move(c));
            }
            if (takeSymbol(','))
                continue;
            if (takeSymbol(')'))
                break;
            throwOra(907, "missing right parenthesis");
        }
        if (s.columns.size() > 1000)
            throwOra(1792, "maximum number of columns in a table or view is 1000");
        if (peek().kind != TokenKind::End)
            throwOra(922, "missing or invalid option");
        checkConstraints(s);
        return s;
    }

    // An item of the list that is a constraint rather than a column: a
    // column may be called PRIMARY, but not PRIMARY KEY.
    bool startsTableConstraint() const
    {
        const Token& t = peek();
        return t.isWord("CONSTRAINT") || (t.isWord("PRIMARY") && peek(1).isWord("KEY"))
            || t.isWord("UNIQUE") || t.isWord("CHECK")
            || (t.isWord("FOREIGN") && peek(1).isWord("KEY"));
    }

    std::string constraintName()
    {
        const Token& t = peek();
        if (!t.isName() || (t.kind == TokenKind::Word && isReserved(t.text)))
            throwOra(904, "\"" + t.text + "\": invalid identifier");
        return take().text;
    }

    // Constraints this stand-in does not keep are refused rather than
    // accepted and ignored, which would let rows in that Oracle refuses.
    [[noreturn]] static void unimplemented() { throwOra(3001, "unimplemented feature"); }

    // A constraint's state: the states every constraint has anyway (ENABLE
    // VALIDATE, NOT DEFERRABLE, INITIALLY IMMEDIATE) may be written; others
    // are refused.
    void constraintState()
    {
        for (;;) {
            if (takeWord("ENABLE")) {
                takeWord("VALIDATE");
            } else if (peek().isWord("NOT") && peek(1).isWord("DEFERRABLE")) {
                take();
                take();
            } else if (peek().isWord("INITIALLY") && peek(1).isWord("IMMEDIATE")) {
                take();
                take();
            } else {
                break;
            }
        }
        const Token& t = peek();
        if (t.isWord("DISABLE") || t.isWord("NOVALIDATE") || t.isWord("DEFERRABLE")
            || t.isWord("INITIALLY") || t.isWord("RELY") || t.isWord("NORELY") || t.isWord("USING")
            || t.isWord("EXCEPTIONS"))
            unimplemented();
    }

    // [CONSTRAINT name] { NOT NULL | NULL | PRIMARY KEY } ... after a column's type.
    void columnConstraints(const std::string& column, CreateTableStmt& s)
    {
        bool explicitNull = false;
        bool constrained = false;
        for (;;) {
            std::string name;
            const bool named = takeWord("CONSTRAINT");
            if (named)
                name = constraintName();
            if (peek().isWord("NOT") && peek(1).isWord("NULL")) {
                take();
                take();
                s.constraints.push_back({ ConstraintDef::Kind::NotNull, name, { column } });
                constrained = true;
            } else if (peek().isWord("NULL")) {
                take();
                explicitNull = true;
            } else if (peek().isWord("PRIMARY")) {
                take();
                if (!takeWord("KEY"))
                    throwOra(905, "missing keyword");
                s.constraints.push_back({ ConstraintDef::Kind::PrimaryKey, name, { column } });
                constrained = true;
            } else if (peek().isWord("UNIQUE") || peek().isWord("CHECK")
                || peek().isWord("REFERENCES") || peek().isWord("NOT")) {
                unimplemented();
            } else if (peek().isWord("DEFAULT")) {
                // Oracle wants DEFAULT before the constraints.
                throwOra(907, "missing right parenthesis");
            } else {
                if (named)
                    throwOra(902, "invalid datatype");
                break;
            }
            constraintState();
        }
        // NULL next to NOT NULL or PRIMARY KEY contradicts itself; rather
        // than guess which one wins, the stand-in refuses the pair.
        if (explicitNull && constrained)
            unimplemented();
    }

    // [CONSTRAINT name] PRIMARY KEY (column, ...) as an item of its own.
    void tableConstraint(CreateTableStmt& s)
    {
        std::string name;
        if (takeWord("CONSTRAINT"))
            name = constraintName();
        if (!takeWord("PRIMARY")) {
            if (peek().isWord("UNIQUE") || peek().isWord("CHECK") || peek().isWord("FOREIGN"))
                unimplemented();
            throwOra(902, "invalid datatype");
        }
        if (!takeWord("KEY"))
            throwOra(905, "missing keyword");
        if (!takeSymbol('('))
            throwOra(906, "missing left parenthesis");
        ConstraintDef key { ConstraintDef::Kind::PrimaryKey, name, {} };
        for (;;) {
            key.columns.push_back(columnName());
            if (takeSymbol(','))
                continue;
            if (takeSymbol(')'))
                break;
            throwOra(907, "missing right parenthesis");
        }
        constraintState();
        s.constraints.push_back(std::move(key));
    }

    // What Oracle checks once the whole list is read: the key's columns,
    // their types and length, one key per table, names used once.
    static void checkConstraints(CreateTableStmt& s)
    {
        std::set<std::string> names;
        bool keyed = false;
        for (const ConstraintDef& k : s.constraints) {
            if (!k.name.empty() && !names.insert(k.name).second)
                throwOra(2264, "name already used by an existing constraint");
            if (k.kind != ConstraintDef::Kind::PrimaryKey) {
                for (ColumnDef& c : s.columns) {
                    if (c.name == k.columns.front())
                        c.notNull = true;
                }
                continue;
            }
            if (keyed)
                throwOra(2260, "table can have only one primary key");
            keyed = true;
            std::set<std::string> inKey;
            int keyBytes = 0;
            for (const std::string& name : k.columns) {
                const auto it = std::find_if(s.columns.begin(), s.columns.end(),
                    [&](const ColumnDef& c) { return c.name == name; });
                if (it == s.columns.end())
                    throwOra(904, "\"" + name + "\": invalid identifier");
                if (!inKey.insert(name).second)
                    throwOra(957, "duplicate column name");
                if (it->type.isLong())
                    throwOra(2269, "key column cannot be of LONG datatype");
                if (it->type.kind == TypeKind::Clob || it->type.kind == TypeKind::NClob
                    || it->type.kind == TypeKind::Blob)
                    throwOra(2329, "column of datatype LOB cannot be unique or a primary key");
                keyBytes += it->type.maximumBytes();
                it->notNull = true; // a key column is NOT NULL without a constraint of its own
            }
            if (k.columns.size() > 32)
                throwOra(1793, "maximum number of index columns is 32");
            // An 8 KB block holds keys of up to 6398 bytes.
            if (keyBytes > 6398)
                throwOra(1450, "maximum key length (6398) exceeded");
        }
    }

    // "(n)" or "(n BYTE)" / "(n CHAR)" after a character or RAW type name.
    void length(ColumnType& t, int maximum, bool semantics, bool required)
    {
        if (!takeSymbol('(')) {
            if (required)
                throwOra(906, "missing left parenthesis");
            t.length = 1;
            return;
        }
        t.length = integer();
        if (semantics) {
            if (takeWord("CHAR"))
                t.charSemantics = true;
            else
                takeWord("BYTE");
        }
        if (!takeSymbol(')'))
            throwOra(907, "missing right parenthesis");
        if (t.length == 0)
            throwOra(1723, "zero-length columns are not allowed");
        if (t.length > maximum)
            throwOra(910, "specified length too long for its datatype");
    }

    void numberPrecision(ColumnType& t)
    {
        if (!takeSymbol('('))
            return;
        if (takeSymbol('*'))
            t.precision = 38;
        else
            t.precision = integer();
        if (t.precision < 1 || t.precision > 38)
            throwOra(1727, "numeric precision specifier is out of range (1 to 38)");
        t.scaleGiven = true;
        if (takeSymbol(',')) {
            const bool negative = takeSymbol('-');
            if (!negative)
                takeSymbol('+');
            t.scale = integer() * (negative ? -1 : 1);
            if (t.scale < -84 || t.scale > 127)
                throwOra(1728, "numeric scale specifier is out of range (-84 to 127)");
        }
        if (!takeSymbol(')'))
            throwOra(907, "missing right parenthesis");
    }

    ColumnType columnType()
    {
        const Token& t = peek();
        if (t.kind != TokenKind::Word)
            throwOra(902, "invalid datatype");
        const std::string name = take().text;
        ColumnType c;
        if (name == "VARCHAR2" || name == "VARCHAR") {
            c.kind = TypeKind::Varchar2;
            length(c, m_extended ? 32767 : 4000, true, true);
        } else if (name == "NVARCHAR2") {
            c.kind = TypeKind::NVarchar2;
            // Counted in UTF-16 units of two bytes each.
            length(c, m_extended ? 16383 : 2000, false, true);
        } else if (name == "CHAR" || name == "CHARACTER") {
            c.kind = TypeKind::Char;
            length(c, 2000, true, false);
        } else if (name == "NCHAR") {
            c.kind = TypeKind::NChar;
            length(c, 1000, false, false);
        } else if (name == "RAW") {
            c.kind = TypeKind::Raw;
            length(c, m_extended ? 32767 : 2000, false, true);
        } else if (name == "NUMBER" || name == "DECIMAL" || name == "DEC" || name == "NUMERIC") {
            c.kind = TypeKind::Number;
            numberPrecision(c);
            if (name != "NUMBER" && !c.scaleGiven) {
                c.precision = 38;
                c.scaleGiven = true;
            }
        } else if (name == "INT" || name == "INTEGER" || name == "SMALLINT") {
            c.kind = TypeKind::Number;
            c.precision = 38;
            c.scaleGiven = true;
        } else if (name == "FLOAT") {
            c.kind = TypeKind::Float;
            c.precision = 126;
            if (takeSymbol('(')) {
                c.precision = integer();
                if (c.precision < 1 || c.precision > 126)
                    throwOra(1724, "float precision specifier is out of range (1 to 126)");
                if (!takeSymbol(')'))
                    throwOra(907, "missing right parenthesis");
            }
        } else if (name == "REAL") {
            c.kind = TypeKind::Float;
            c.precision = 63;
        } else if (name == "DOUBLE" && peek().isWord("PRECISION")) {
            take();
            c.kind = TypeKind::Float;
            c.precision = 126;
        } else if (name == "BINARY_FLOAT") {
            c.kind = TypeKind::BinaryFloat;
        } else if (name == "BINARY_DOUBLE") {
            c.kind = TypeKind::BinaryDouble;
        } else if (name == "DATE") {
            c.kind = TypeKind::Date;
        } else if (name == "TIMESTAMP") {
            c.kind = TypeKind::Timestamp;
            c.scale = 6;
            if (takeSymbol('(')) {
                c.scale = integer();
                if (c.scale > 9)
                    throwOra(30088, "datetime/interval precision is out of range");
                if (!takeSymbol(')'))
                    throwOra(907, "missing right parenthesis");
            }
        } else if (name == "INTERVAL") {
            c.kind = TypeKind::IntervalDayToSecond;
            dayToSecond(c.precision, c.scale);
        } else if (name == "CLOB") {
            c.kind = TypeKind::Clob;
        } else if (name == "NCLOB") {
            c.kind = TypeKind::NClob;
        } else if (name == "BLOB") {
            c.kind = TypeKind::Blob;
        } else if (name == "LONG") {
            c.kind = takeWord("RAW") ? TypeKind::LongRaw : TypeKind::Long;
        } else {
            throwOra(902, "invalid datatype");
        }
        return c;
    }

    // A value where INSERT ... VALUES and DEFAULT take one: a string or
    // number literal, NULL, an ANSI DATE or TIMESTAMP literal, or TO_DATE and
    // TO_TIMESTAMP of a literal with an optional format model; in VALUES also
    // a '?' parameter marker.
    Literal value(bool inDefault)
    {
        const Token& t = peek();
        if (t.isSymbol('?') && !inDefault) {
            take();
            Literal marker = Literal::of(Literal::Kind::Parameter);
            marker.parameter = m_parameters++;
            return marker;
        }
        if ((t.isWord("TO_DATE") || t.isWord("TO_TIMESTAMP")) && peek(1).isSymbol('('))
            return conversion();
        if (std::optional<Literal> literal = parseLiteral(m_in))
            return std::move(*literal);
        if (t.isWord("DEFAULT") && !inDefault) {
            take();
            return Literal::of(Literal::Kind::Default);
        }
        if (t.isSymbol('-') || t.isSymbol('+'))
            return Literal::of(Literal::Kind::Number, number());
        // Other expressions (SYSDATE, arithmetic, ...) are Oracle's but not
        // this stand-in's; a default must not quietly become something else.
        if (inDefault)
            unimplemented();
        throwOra(936, "missing expression");
    }

    std::string number() { return parseSignedNumber(m_in); }

    void dayToSecond(int& leading, int& fraction) { parseDayToSecond(m_in, leading, fraction); }

    Literal conversion()
    {
        Literal l;
        l.kind = take().text == "TO_DATE" ? Literal::Kind::ToDate : Literal::Kind::ToTimestamp;
        take(); // (
        if (peek().kind == TokenKind::String) {
            l.text = take().text;
        } else if (peek().isWord("NULL")) {
            take();
        } else {
            l.text = number();
            l.numberArgument = true;
        }
        if (takeSymbol(',')) {
            if (peek().kind != TokenKind::String)
                unimplemented();
            l.mask = take().text;
            // The third argument, NLS settings for the conversion, is not kept here.
            if (peek().isSymbol(','))
                unimplemented();
        }
        if (!takeSymbol(')'))
            throwOra(907, "missing right parenthesis");
        return l;
    }

    Literal defaultValue()
    {
        if (peek().isWord("ON"))
            unimplemented(); // DEFAULT ON NULL
        return value(true);
    }

    InsertStmt insert()
    {
        take();
        if (!takeWord("INTO"))
            throwOra(925, "missing INTO keyword");
        InsertStmt s;
        s.table = tableName();
        if (takeSymbol('(')) {
            for (;;) {
                s.columns.push_back(columnName());
                if (takeSymbol(','))
                    continue;
                if (takeSymbol(')'))
                    break;
                throwOra(917, "missing comma");
            }
        }
        if (!takeWord("VALUES"))
            throwOra(926, "missing VALUES keyword");
        if (!takeSymbol('('))
            throwOra(906, "missing left parenthesis");
        for (;;) {
            s.values.push_back(value(false));
            if (takeSymbol(','))
                continue;
            if (takeSymbol(')'))
                break;
            throwOra(917, "missing comma");
        }
        expectEnd();
        s.parameters = m_parameters;
        return s;
    }

    DropTableStmt dropTable()
    {
        take();
        if (!takeWord("TABLE"))
            throwOra(950, "invalid DROP option");
        DropTableStmt s { tableName() };
        if (takeWord("CASCADE") && !takeWord("CONSTRAINTS"))
            throwOra(905, "missing keyword");
        takeWord("PURGE");
        expectEnd();
        return s;
    }

    RenameStmt rename()
    {
        take();
        RenameStmt s;
        s.from = tableName();
        if (!takeWord("TO"))
            throwOra(905, "missing keyword");
        s.to = tableName();
        expectEnd();
        return s;
    }

    AlterSessionStmt alterSession()
    {
        take();
        if (!takeWord("SESSION"))
            throwOra(940, "invalid ALTER command");
        if (!takeWord("SET"))
            throwOra(922, "missing or invalid option");
        if (peek().kind != TokenKind::Word)
            throwOra(922, "missing or invalid option");
        AlterSessionStmt s;
        s.parameter = take().text;
        if (!takeSymbol('='))
            throwOra(922, "missing or invalid option");
        const Token& v = peek();
        if (v.kind != TokenKind::String && v.kind != TokenKind::Word && v.kind != TokenKind::Number)
            throwOra(922, "missing or invalid option");
        s.value = take().text;
        expectEnd();
        return s;
    }

    TokenReader m_in;
    bool m_extended;
    std::size_t m_parameters = 0;
};

} // namespace

ParsedStatement parseStatement(const std::string& sql, MaxStringSize size)
{
    return Parser(sql, size).run();
}

std::size_t parameterCount(const ParsedStatement& statement)
{
    return std::visit(
        [](const auto& s) -> std::size_t {
            if constexpr (requires { s.parameters; })
                return s.parameters;
            else
                return 0;
        },
        statement);
}

std::size_t countParameterMarkers(const std::string& sql, MaxStringSize size)
{
    const auto tokens = tokenize(sql, size);
    return std::size_t(std::count_if(
        tokens.begin(), tokens.end(), [](const Token& t) { return t.isSymbol('?'); }));
}

} // namespace orastandin

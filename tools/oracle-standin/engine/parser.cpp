#include "lexer.h"
#include "literal_parser.h"
#include "ora_error.h"
#include "query_parser.h"
#include "statement.h"
#include "table_rules.h"
#include "token_reader.h"

#include <algorithm>
#include <array>
#include <cctype>
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
        if (first.isWord("CREATE")) {
            if (peek(1).isWord("INDEX") || (peek(1).isWord("UNIQUE") && peek(2).isWord("INDEX")))
                return createIndex();
            return createTable();
        }
        if (first.isWord("COMMENT"))
            return comment();
        if (first.isWord("INSERT"))
            return insert();
        if (first.isWord("UPDATE"))
            return update();
        if (first.isWord("DELETE"))
            return deleteRows();
        if (first.isWord("MERGE"))
            return merge();
        if (first.isWord("DROP"))
            return peek(1).isWord("INDEX") ? ParsedStatement(dropIndex())
                                           : ParsedStatement(dropTable());
        if (first.isWord("RENAME"))
            return rename();
        if (first.isWord("ALTER"))
            return peek(1).isWord("TABLE") ? ParsedStatement(alterTable())
                                           : ParsedStatement(alterSession());
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
                s.constraints.push_back(outOfLineConstraint());
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
                if (peek().isWord("GENERATED")) {
                    if (c.defaultValue)
                        throwOra(30674, "identity column cannot have a default value");
                    AlterTableStmt::Given given;
                    bool limitValue = false;
                    c.identity = identityClause(&c.type, given, limitValue);
                    // START WITH LIMIT VALUE belongs to ALTER TABLE MODIFY alone.
                    if (limitValue)
                        throwOra(2017, "integer value required");
                    if (std::any_of(s.columns.begin(), s.columns.end(),
                            [](const ColumnDef& other) { return other.identity.has_value(); }))
                        throwOra(30669, "table can have only one identity column");
                }
                columnConstraints(c, s);
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

    // [CONSTRAINT name] { NOT NULL | NULL | PRIMARY KEY | UNIQUE | CHECK (...)
    // | REFERENCES ... } ... after a column's type.
    void columnConstraints(const ColumnDef& column, CreateTableStmt& s)
    {
        bool explicitNull = false;
        bool notNull = false;
        bool constrained = false;
        for (;;) {
            ConstraintDef k;
            const bool named = takeWord("CONSTRAINT");
            if (named)
                k.name = constraintName();
            if (peek().isWord("NOT") && peek(1).isWord("NULL")) {
                take();
                take();
                k.kind = ConstraintDef::Kind::NotNull;
                k.columns = { column.name };
                notNull = true;
            } else if (peek().isWord("NULL") && !named) {
                take();
                explicitNull = true;
                constraintState();
                continue;
            } else if (peek().isWord("PRIMARY")) {
                take();
                if (!takeWord("KEY"))
                    throwOra(905, "missing keyword");
                k.kind = ConstraintDef::Kind::PrimaryKey;
                k.columns = { column.name };
            } else if (takeWord("UNIQUE")) {
                k.kind = ConstraintDef::Kind::Unique;
                k.columns = { column.name };
            } else if (peek().isWord("CHECK")) {
                checkCondition(k);
                k.inlineColumn = column.name;
            } else if (peek().isWord("REFERENCES")) {
                k.kind = ConstraintDef::Kind::ForeignKey;
                k.columns = { column.name };
                references(k);
            } else if (peek().isWord("NOT") || peek().isWord("NULL")) {
                unimplemented();
            } else if (peek().isWord("DEFAULT")) {
                // Oracle wants DEFAULT before the constraints.
                throwOra(907, "missing right parenthesis");
            } else {
                if (named)
                    throwOra(902, "invalid datatype");
                break;
            }
            constrained = constrained || k.kind == ConstraintDef::Kind::NotNull
                || k.kind == ConstraintDef::Kind::PrimaryKey;
            constraintState();
            s.constraints.push_back(std::move(k));
        }
        // NULL next to NOT NULL or a key contradicts itself; rather than
        // guess which one wins, the stand-in refuses the pair.
        if (explicitNull && (constrained || column.identity))
            unimplemented();
        // An identity column is NOT NULL by a constraint Oracle names itself.
        if (column.identity && !notNull)
            s.constraints.push_back({ ConstraintDef::Kind::NotNull, {}, { column.name } });
    }

    // (name [, name]...) after a key, an index or REFERENCES.
    std::vector<std::string> nameList()
    {
        if (!takeSymbol('('))
            throwOra(906, "missing left parenthesis");
        std::vector<std::string> names;
        for (;;) {
            names.push_back(columnName());
            if (takeSymbol(','))
                continue;
            if (takeSymbol(')'))
                break;
            throwOra(907, "missing right parenthesis");
        }
        return names;
    }

    // REFERENCES table [(columns)] [ON DELETE {CASCADE | SET NULL}]
    void references(ConstraintDef& k)
    {
        if (!takeWord("REFERENCES"))
            throwOra(905, "missing keyword");
        k.refTable = tableName();
        if (peek().isSymbol('('))
            k.refColumns = nameList();
        if (takeWord("ON")) {
            if (!takeWord("DELETE"))
                throwOra(905, "missing keyword");
            if (takeWord("CASCADE")) {
                k.deleteRule = DeleteRule::Cascade;
            } else if (peek().isWord("SET") && peek(1).isWord("NULL")) {
                take();
                take();
                k.deleteRule = DeleteRule::SetNull;
            } else {
                throwOra(905, "missing keyword");
            }
        }
    }

    // CHECK (condition): the condition is kept as written, as Oracle keeps
    // it for USER_CONSTRAINTS.SEARCH_CONDITION, and read where it is used.
    void checkCondition(ConstraintDef& k)
    {
        take(); // CHECK
        k.kind = ConstraintDef::Kind::Check;
        if (!takeSymbol('('))
            throwOra(906, "missing left parenthesis");
        const std::size_t begin = peek().offset;
        int depth = 0;
        while (depth > 0 || !peek().isSymbol(')')) {
            if (peek().kind == TokenKind::End)
                throwOra(907, "missing right parenthesis");
            if (peek().isSymbol('('))
                ++depth;
            else if (peek().isSymbol(')'))
                --depth;
            take();
        }
        const std::size_t end = peek().offset;
        take(); // )
        if (end == begin)
            throwOra(936, "missing expression");
        k.condition = std::string(m_in.source().substr(begin, end - begin));
        while (!k.condition.empty() && std::isspace(static_cast<unsigned char>(k.condition.back())))
            k.condition.pop_back();
    }

    // [CONSTRAINT name] { PRIMARY KEY (...) | UNIQUE (...) | CHECK (...)
    // | FOREIGN KEY (...) REFERENCES ... } as an item of its own.
    ConstraintDef outOfLineConstraint()
    {
        ConstraintDef k;
        if (takeWord("CONSTRAINT"))
            k.name = constraintName();
        if (takeWord("PRIMARY")) {
            if (!takeWord("KEY"))
                throwOra(905, "missing keyword");
            k.kind = ConstraintDef::Kind::PrimaryKey;
            k.columns = nameList();
        } else if (takeWord("UNIQUE")) {
            k.kind = ConstraintDef::Kind::Unique;
            k.columns = nameList();
        } else if (peek().isWord("CHECK")) {
            checkCondition(k);
        } else if (takeWord("FOREIGN")) {
            if (!takeWord("KEY"))
                throwOra(905, "missing keyword");
            k.kind = ConstraintDef::Kind::ForeignKey;
            k.columns = nameList();
            references(k);
        } else {
            throwOra(902, "invalid datatype");
        }
        constraintState();
        return k;
    }

    // GENERATED [ALWAYS | BY DEFAULT [ON NULL]] AS IDENTITY [(options)]
    IdentityDef identityClause(
        const ColumnType* type, AlterTableStmt::Given& given, bool& limitValue)
    {
        take(); // GENERATED
        IdentityDef id;
        if (takeWord("BY")) {
            if (!takeWord("DEFAULT"))
                throwOra(905, "missing keyword");
            id.always = false;
            if (takeWord("ON")) {
                if (!takeWord("NULL"))
                    throwOra(905, "missing keyword");
                id.onNull = true;
            }
        } else {
            takeWord("ALWAYS");
        }
        if (!takeWord("AS") || !takeWord("IDENTITY"))
            throwOra(2000, "missing IDENTITY keyword");
        if (type && type->kind != TypeKind::Number)
            throwOra(30675, "identity column must be a numeric type");
        if (takeSymbol('(')) {
            identityOptions(id, given, limitValue);
            if (!takeSymbol(')'))
                throwOra(907, "missing right parenthesis");
        }
        if (!given.startWith)
            id.startWith = id.incrementBy < 0 ? id.maxValue.value_or(-1) : id.minValue.value_or(1);
        return id;
    }

    long long signedInteger()
    {
        const bool negative = takeSymbol('-');
        if (!negative)
            takeSymbol('+');
        const Token& t = peek();
        if (t.kind != TokenKind::Number || !std::all_of(t.text.begin(), t.text.end(), [](char c) {
                return c >= '0' && c <= '9';
            }))
            throwOra(2017, "integer value required");
        // Oracle's sequences count to 28 digits; this stand-in's to 18.
        if (t.text.size() > 18)
            unimplemented();
        const long long v = std::stoll(take().text);
        return negative ? -v : v;
    }

    // CREATE SEQUENCE's options, as an identity column takes them.
    void identityOptions(IdentityDef& id, AlterTableStmt::Given& given, bool& limitValue)
    {
        for (;;) {
            if (takeWord("START")) {
                if (!takeWord("WITH"))
                    throwOra(2000, "missing WITH keyword");
                if (peek().isWord("LIMIT") && peek(1).isWord("VALUE")) {
                    take();
                    take();
                    limitValue = true;
                } else {
                    id.startWith = signedInteger();
                }
                given.startWith = true;
            } else if (takeWord("INCREMENT")) {
                if (!takeWord("BY"))
                    throwOra(2000, "missing BY keyword");
                id.incrementBy = signedInteger();
                if (id.incrementBy == 0)
                    throwOra(4002, "INCREMENT must be a non-zero integer");
                given.incrementBy = true;
            } else if (takeWord("MAXVALUE")) {
                id.maxValue = signedInteger();
                given.maxValue = true;
            } else if (takeWord("NOMAXVALUE")) {
                id.maxValue.reset();
                given.maxValue = true;
            } else if (takeWord("MINVALUE")) {
                id.minValue = signedInteger();
                given.minValue = true;
            } else if (takeWord("NOMINVALUE")) {
                id.minValue.reset();
                given.minValue = true;
            } else if (peek().isWord("CYCLE") || peek().isWord("NOCYCLE")) {
                id.cycle = take().text == "CYCLE";
                given.cycle = true;
            } else if (takeWord("CACHE")) {
                id.cache = signedInteger();
                if (id.cache < 2)
                    throwOra(4010, "the number of values to CACHE must be greater than 1");
                given.cache = true;
            } else if (takeWord("NOCACHE")) {
                id.cache = 0;
                given.cache = true;
            } else if (peek().isWord("ORDER") || peek().isWord("NOORDER")) {
                id.order = take().text == "ORDER";
                given.order = true;
            } else if (peek().isWord("KEEP") || peek().isWord("NOKEEP") || peek().isWord("SCALE")
                || peek().isWord("NOSCALE") || peek().isWord("SESSION")
                || peek().isWord("GLOBAL")) {
                unimplemented();
            } else {
                break;
            }
        }
        if (id.minValue && id.maxValue && *id.minValue >= *id.maxValue)
            throwOra(4004, "MINVALUE must be less than MAXVALUE");
    }

    // What Oracle checks once a table's constraints are all read.
    static void checkConstraints(CreateTableStmt& s)
    {
        std::set<std::string> names;
        for (const ConstraintDef& k : s.constraints) {
            if (!k.name.empty() && !names.insert(k.name).second)
                throwOra(2264, "name already used by an existing constraint");
        }
        checkNewConstraints(s.columns, s.constraints, 0);
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
        if (takeSymbol('*')) {
            t.precision = 38;
            t.starPrecision = true;
        } else
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
            c.starPrecision = true;
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
    // number literal, NULL, an ANSI DATE or TIMESTAMP literal, TO_DATE and
    // TO_TIMESTAMP of a literal with an optional format model, or the clock
    // (SYSDATE ...); in VALUES also a '?' parameter marker.
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
        if (t.isWord("SYSDATE") || t.isWord("SYSTIMESTAMP") || t.isWord("CURRENT_DATE")
            || t.isWord("CURRENT_TIMESTAMP"))
            return clock();
        // Other expressions (arithmetic, functions, ...) are Oracle's but not
        // this stand-in's; a default must not quietly become something else.
        if (inDefault)
            unimplemented();
        throwOra(936, "missing expression");
    }

    // SYSDATE, SYSTIMESTAMP, CURRENT_DATE, CURRENT_TIMESTAMP[(n)]
    Literal clock()
    {
        const std::string word = take().text;
        Literal l;
        if (word == "SYSDATE")
            l.kind = Literal::Kind::SysDate;
        else if (word == "CURRENT_DATE")
            l.kind = Literal::Kind::CurrentDate;
        else if (word == "SYSTIMESTAMP")
            l.kind = Literal::Kind::SysTimestamp;
        else
            l.kind = Literal::Kind::CurrentTimestamp;
        if (l.kind == Literal::Kind::CurrentTimestamp && takeSymbol('(')) {
            l.fractionPrecision = integer();
            if (l.fractionPrecision > 9)
                throwOra(30088, "datetime/interval precision is out of range");
            if (!takeSymbol(')'))
                throwOra(907, "missing right parenthesis");
        }
        return l;
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
        if (takeWord("CASCADE")) {
            if (!takeWord("CONSTRAINTS"))
                throwOra(905, "missing keyword");
            s.cascadeConstraints = true;
        }
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

    // CREATE [UNIQUE] INDEX name ON table (column [ASC | DESC], ...)
    CreateIndexStmt createIndex()
    {
        take(); // CREATE
        CreateIndexStmt s;
        s.unique = takeWord("UNIQUE");
        take(); // INDEX
        s.name = objectName();
        if (!takeWord("ON"))
            throwOra(969, "missing ON keyword");
        s.table = tableName();
        if (!takeSymbol('('))
            throwOra(906, "missing left parenthesis");
        for (;;) {
            // An expression (a function-based index) is Oracle's, not this stand-in's.
            if (peek().isName() && (peek(1).isSymbol('(') || peek(1).isSymbol('.')))
                unimplemented();
            IndexColumn c { columnName(), false };
            if (takeWord("DESC"))
                c.descending = true;
            else
                takeWord("ASC");
            s.columns.push_back(std::move(c));
            if (takeSymbol(','))
                continue;
            if (takeSymbol(')'))
                break;
            throwOra(907, "missing right parenthesis");
        }
        // Storage clauses and index options (TABLESPACE, COMPRESS, ...) are not kept.
        if (peek().kind != TokenKind::End)
            unimplemented();
        return s;
    }

    DropIndexStmt dropIndex()
    {
        take(); // DROP
        take(); // INDEX
        DropIndexStmt s { objectName() };
        expectEnd();
        return s;
    }

    // An index's name, which has the rules of a table's.
    std::string objectName()
    {
        const Token& t = peek();
        if (!t.isName() || (t.kind == TokenKind::Word && isReserved(t.text)))
            throwOra(953, "missing or invalid index name");
        return take().text;
    }

    // COMMENT ON TABLE t IS 'text' | COMMENT ON COLUMN t.c IS 'text'
    CommentStmt comment()
    {
        take(); // COMMENT
        if (!takeWord("ON"))
            throwOra(969, "missing ON keyword");
        CommentStmt s;
        if (takeWord("TABLE")) {
            s.table = tableName();
        } else if (takeWord("COLUMN")) {
            s.table = tableName();
            if (!takeSymbol('.'))
                throwOra(904, "\"" + s.table + "\": invalid identifier");
            s.column = columnName();
        } else {
            // Comments on views, materialized views, ... are Oracle's, not this stand-in's.
            unimplemented();
        }
        if (!takeWord("IS"))
            throwOra(905, "missing keyword");
        if (peek().kind != TokenKind::String)
            throwOra(1780, "string literal required");
        s.text = take().text;
        expectEnd();
        return s;
    }

    // ALTER TABLE t { ADD constraint | ADD (constraint, ...) | DROP CONSTRAINT
    // name [CASCADE] | MODIFY [(] column identity_clause [)] }
    AlterTableStmt alterTable()
    {
        take(); // ALTER
        take(); // TABLE
        AlterTableStmt s;
        s.table = tableName();
        if (takeWord("ADD")) {
            s.action = AlterTableStmt::Action::AddConstraints;
            const bool list = takeSymbol('(');
            for (;;) {
                // ADD of a column is Oracle's, not this stand-in's.
                if (!startsTableConstraint())
                    unimplemented();
                s.constraints.push_back(outOfLineConstraint());
                if (!list || !takeSymbol(','))
                    break;
            }
            if (list && !takeSymbol(')'))
                throwOra(907, "missing right parenthesis");
        } else if (takeWord("DROP")) {
            if (!takeWord("CONSTRAINT"))
                unimplemented(); // DROP PRIMARY KEY, DROP COLUMN, ...
            s.action = AlterTableStmt::Action::DropConstraint;
            s.constraint = constraintName();
            s.cascade = takeWord("CASCADE");
        } else if (takeWord("MODIFY")) {
            s.action = AlterTableStmt::Action::ModifyIdentity;
            const bool list = takeSymbol('(');
            s.column = columnName();
            // Other changes of a column (its type, default, NULL) are not kept.
            if (!peek().isWord("GENERATED"))
                unimplemented();
            s.identity = identityClause(nullptr, s.given, s.startWithLimitValue);
            if (list && !takeSymbol(')'))
                throwOra(907, "missing right parenthesis");
        } else {
            unimplemented();
        }
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

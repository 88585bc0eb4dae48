// Catalog functions: SQLPrimaryKeys, SQLColumns, SQLStatistics and
// SQLForeignKeys, answered from the SID's own catalog the way Oracle's
// driver answers them from the data dictionary (ALL_CONSTRAINTS,
// ALL_CONS_COLUMNS, ALL_TAB_COLUMNS, ALL_INDEXES, ALL_IND_COLUMNS): a
// result set like a query's, with the column names ODBC gives them (the
// functions' pages in Microsoft's ODBC reference).

#include "dictionary.h"
#include "entry.h"
#include "handles.h"
#include "metadata.h"
#include "utf.h"

#include <algorithm>
#include <optional>

using namespace orastandin;
using namespace orastandin::odbc;

namespace {

// A string argument of a catalog function; nullopt for a null pointer.
using Argument = std::optional<std::string>;

Argument narrow(const SQLCHAR* text, SQLSMALLINT length)
{
    if (!text)
        return std::nullopt;
    return narrowArg(text, length);
}

Argument wide(const SQLWCHAR* text, SQLSMALLINT length)
{
    if (!text)
        return std::nullopt;
    return toUtf8(text, length);
}

bool metadataId(const Statement* stmt)
{
    const auto it = stmt->otherAttributes.find(SQL_ATTR_METADATA_ID);
    return it != stmt->otherAttributes.end() && it->second == SQL_TRUE;
}

// With SQL_ATTR_METADATA_ID on, an argument is an identifier: quoted it
// is taken as it stands, unquoted it is upper-cased as Oracle folds names.
std::string identifier(std::string s)
{
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    const auto first = s.find_first_not_of(' ');
    if (first != std::string::npos && s[first] == '"' && s.size() - first >= 2 && s.back() == '"')
        return s.substr(first + 1, s.size() - first - 2);
    for (char& c : s) {
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    }
    return s;
}

std::u32string codePoints(const std::string& utf8)
{
    std::u32string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char c = utf8[i];
        const int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        char32_t cp = n == 1 ? c : c & (0x3F >> (n - 1));
        for (int k = 1; k < n && i + std::size_t(k) < utf8.size(); ++k)
            cp = (cp << 6) | (utf8[i + std::size_t(k)] & 0x3F);
        out += cp;
        i += std::size_t(n);
    }
    return out;
}

// A pattern value argument: % any run, _ any one character, the escape
// character (SQL_SEARCH_PATTERN_ESCAPE, a backslash) before a literal one.
bool matches(
    const std::u32string& text, std::size_t t, const std::u32string& pattern, std::size_t p)
{
    for (; p < pattern.size(); ++p) {
        const char32_t c = pattern[p];
        if (c == U'%') {
            for (std::size_t k = t; k <= text.size(); ++k) {
                if (matches(text, k, pattern, p + 1))
                    return true;
            }
            return false;
        }
        if (t >= text.size())
            return false;
        if (c == U'\\' && p + 1 < pattern.size()) {
            if (text[t] != pattern[++p])
                return false;
        } else if (c != U'_' && text[t] != c) {
            return false;
        }
        ++t;
    }
    return t == text.size();
}

// Decides whether a name passes one argument of a catalog function.
class NameFilter {
public:
    NameFilter(const Argument& argument, bool identifier, bool pattern)
    {
        if (!argument)
            return; // a null pointer restricts nothing
        m_active = true;
        m_pattern = pattern && !identifier;
        m_text = identifier ? ::identifier(*argument) : *argument;
        m_points = codePoints(m_text);
    }
    bool passes(const std::string& name) const
    {
        if (!m_active)
            return true;
        if (!m_pattern)
            return name == m_text;
        return matches(codePoints(name), 0, m_points, 0);
    }

private:
    bool m_active = false;
    bool m_pattern = false;
    std::string m_text;
    std::u32string m_points;
};

ResultColumn text(const char* name, int length, bool nullable, const char* view)
{
    ResultColumn c;
    c.name = name;
    c.type.kind = TypeKind::Varchar2;
    c.type.length = length;
    c.nullable = nullable;
    c.owner = "SYS";
    c.table = view;
    return c;
}

ResultColumn number(const char* name, int precision, bool nullable, const char* view)
{
    ResultColumn c;
    c.name = name;
    c.type.kind = TypeKind::Number;
    c.type.precision = precision;
    c.type.scaleGiven = true;
    c.nullable = nullable;
    c.owner = "SYS";
    c.table = view;
    return c;
}

Cell textCell(const std::string& s)
{
    return s.empty() ? Cell {} : Cell::text_(s);
}

Cell numberCell(long long n)
{
    return Cell::number(std::to_string(n));
}

void startCatalogResult(Statement* stmt)
{
    if (!stmt->dbc->session)
        throw DriverError("08003", "Connection not open");
    if (stmt->result && stmt->result->isQuery)
        throw DriverError("24000", "Invalid cursor state");
    stmt->closeCursor();
}

void finishCatalogResult(
    Statement* stmt, std::vector<ResultColumn> columns, std::vector<std::vector<Cell>> rows)
{
    Result r;
    r.isQuery = true;
    r.rowCount = -1;
    r.columns = std::move(columns);
    r.rows = listedRows(std::move(rows));
    stmt->result = std::move(r);
    stmt->rowLimit = 0; // SQL_ATTR_MAX_ROWS limits queries, not catalog results
}

SQLRETURN primaryKeys(Statement* stmt, const Argument& schema, const Argument& table)
{
    if (!table)
        throw DriverError("HY009", "Invalid use of null pointer");
    startCatalogResult(stmt);
    const bool id = metadataId(stmt);
    const NameFilter schemaFilter(schema, id, false);
    const NameFilter tableFilter(table, id, false);
    const char* view = "ALL_CONS_COLUMNS";
    std::vector<ResultColumn> columns { text("TABLE_CAT", 128, true, view),
        text("TABLE_SCHEM", 128, false, view), text("TABLE_NAME", 128, false, view),
        text("COLUMN_NAME", 128, false, view), number("KEY_SEQ", 5, false, view),
        text("PK_NAME", 128, true, view) };
    std::vector<std::vector<Cell>> rows;
    Session& session = *stmt->dbc->session;
    if (schemaFilter.passes(session.user())) {
        for (const TableInfo& t : session.tables()) {
            if (!tableFilter.passes(t.name) || !t.primaryKey)
                continue;
            for (std::size_t k = 0; k < t.primaryKey->columns.size(); ++k)
                rows.push_back({ Cell {}, textCell(t.owner), textCell(t.name),
                    textCell(t.columns[t.primaryKey->columns[k]].name),
                    numberCell((long long)k + 1), textCell(t.primaryKey->name) });
        }
    }
    finishCatalogResult(stmt, std::move(columns), std::move(rows));
    return SQL_SUCCESS;
}

SQLRETURN columnsOf(
    Statement* stmt, const Argument& schema, const Argument& table, const Argument& column)
{
    startCatalogResult(stmt);
    const bool id = metadataId(stmt);
    const NameFilter schemaFilter(schema, id, true);
    const NameFilter tableFilter(table, id, true);
    const NameFilter columnFilter(column, id, true);
    const char* view = "ALL_TAB_COLUMNS";
    std::vector<ResultColumn> columns { text("TABLE_CAT", 128, true, view),
        text("TABLE_SCHEM", 128, false, view), text("TABLE_NAME", 128, false, view),
        text("COLUMN_NAME", 128, false, view), number("DATA_TYPE", 5, false, view),
        text("TYPE_NAME", 128, false, view), number("COLUMN_SIZE", 10, true, view),
        number("BUFFER_LENGTH", 10, true, view), number("DECIMAL_DIGITS", 5, true, view),
        number("NUM_PREC_RADIX", 5, true, view), number("NULLABLE", 5, false, view),
        text("REMARKS", 4000, true, view), text("COLUMN_DEF", 4000, true, view),
        number("SQL_DATA_TYPE", 5, false, view), number("SQL_DATETIME_SUB", 5, true, view),
        number("CHAR_OCTET_LENGTH", 10, true, view), number("ORDINAL_POSITION", 10, false, view),
        text("IS_NULLABLE", 3, true, view) };
    std::vector<std::vector<Cell>> rows;
    Session& session = *stmt->dbc->session;
    if (schemaFilter.passes(session.user())) {
        for (const TableInfo& t : session.tables()) {
            if (!tableFilter.passes(t.name))
                continue;
            for (std::size_t i = 0; i < t.columns.size(); ++i) {
                const ColumnDef& c = t.columns[i];
                if (!columnFilter.passes(c.name))
                    continue;
                const OdbcColumn d
                    = describeColumn(ResultColumn { c.name, c.type, !c.notNull, t.owner, t.name },
                        stmt->dbc->profile);
                const ColumnType& type = c.type;
                Cell size = numberCell((long long)d.columnSize);
                Cell digits;
                Cell radix = d.radix ? numberCell(d.radix) : Cell {};
                if (type.kind == TypeKind::Number && type.scaleGiven) {
                    // The declared precision and scale, a negative scale included.
                    size = numberCell(type.precision);
                    digits = numberCell(type.scale);
                } else if (type.kind == TypeKind::Float) {
                    size = numberCell(type.precision); // binary digits
                    radix = numberCell(2);
                } else if (type.isDateTime()) {
                    digits = numberCell(d.decimalDigits);
                } else if (type.isInterval()) {
                    digits = numberCell(type.scale);
                }
                const bool character = type.isText() || type.isBinary() || type.isInterval();
                rows.push_back({ Cell {}, textCell(t.owner), textCell(t.name), textCell(c.name),
                    numberCell(d.conciseType), textCell(type.oracleName()), size,
                    numberCell((long long)d.octetLength), digits, radix,
                    numberCell(c.notNull ? SQL_NO_NULLS : SQL_NULLABLE), Cell {},
                    textCell(columnDefault(t, i).value_or(std::string())),
                    numberCell(d.verboseType),
                    d.intervalCode ? numberCell(d.intervalCode) : Cell {},
                    character ? numberCell((long long)d.octetLength) : Cell {},
                    numberCell((long long)i + 1), textCell(c.notNull ? "NO" : "YES") });
            }
        }
    }
    finishCatalogResult(stmt, std::move(columns), std::move(rows));
    return SQL_SUCCESS;
}

// SQLStatistics: a row for the table itself (TYPE SQL_TABLE_STAT) and one
// for each column of each index, from ALL_INDEXES and ALL_IND_COLUMNS, in
// ODBC's order (NON_UNIQUE, TYPE, INDEX_QUALIFIER, INDEX_NAME,
// ORDINAL_POSITION). The dictionary keeps no statistics (the stand-in never
// analyzes a table): CARDINALITY and PAGES are NULL.
SQLRETURN statistics(
    Statement* stmt, const Argument& schema, const Argument& table, SQLUSMALLINT unique)
{
    if (!table)
        throw DriverError("HY009", "Invalid use of null pointer");
    if (unique != SQL_INDEX_UNIQUE && unique != SQL_INDEX_ALL)
        throw DriverError("HY100", "Uniqueness option type out of range");
    startCatalogResult(stmt);
    const bool id = metadataId(stmt);
    const NameFilter schemaFilter(schema, id, false);
    const NameFilter tableFilter(table, id, false);
    const char* view = "ALL_IND_COLUMNS";
    std::vector<ResultColumn> columns { text("TABLE_CAT", 128, true, view),
        text("TABLE_SCHEM", 128, true, view), text("TABLE_NAME", 128, false, view),
        number("NON_UNIQUE", 5, true, view), text("INDEX_QUALIFIER", 128, true, view),
        text("INDEX_NAME", 128, true, view), number("TYPE", 5, false, view),
        number("ORDINAL_POSITION", 5, true, view), text("COLUMN_NAME", 4000, true, view),
        text("ASC_OR_DESC", 1, true, view), number("CARDINALITY", 10, true, view),
        number("PAGES", 10, true, view), text("FILTER_CONDITION", 128, true, view) };
    std::vector<std::vector<Cell>> rows;
    Session& session = *stmt->dbc->session;
    if (schemaFilter.passes(session.user())) {
        for (const TableInfo& t : session.tables()) {
            if (!tableFilter.passes(t.name))
                continue;
            rows.push_back({ Cell {}, textCell(t.owner), textCell(t.name), Cell {}, Cell {},
                Cell {}, numberCell(SQL_TABLE_STAT), Cell {}, Cell {}, Cell {}, Cell {}, Cell {},
                Cell {} });
            std::vector<const IndexInfo*> order;
            for (const IndexInfo& i : t.indexes) {
                if (i.unique || unique == SQL_INDEX_ALL)
                    order.push_back(&i);
            }
            std::stable_sort(order.begin(), order.end(),
                [](const IndexInfo* a, const IndexInfo* b) { return a->unique > b->unique; });
            for (const IndexInfo* i : order) {
                for (std::size_t k = 0; k < i->columns.size(); ++k)
                    rows.push_back({ Cell {}, textCell(t.owner), textCell(t.name),
                        numberCell(i->unique ? SQL_FALSE : SQL_TRUE), textCell(t.owner),
                        textCell(i->name), numberCell(SQL_INDEX_OTHER),
                        numberCell((long long)k + 1), textCell(indexColumnName(t, *i, k)),
                        textCell(i->descending[k] ? "D" : "A"), Cell {}, Cell {}, Cell {} });
            }
        }
    }
    finishCatalogResult(stmt, std::move(columns), std::move(rows));
    return SQL_SUCCESS;
}

SQLSMALLINT odbcDeleteRule(DeleteRule rule)
{
    switch (rule) {
    case DeleteRule::Cascade:
        return SQL_CASCADE;
    case DeleteRule::SetNull:
        return SQL_SET_NULL;
    case DeleteRule::NoAction:
        break;
    }
    return SQL_NO_ACTION;
}

// SQLForeignKeys: the foreign keys that refer to the primary key's table,
// those of the foreign key's table, or those between the two, from
// ALL_CONSTRAINTS and ALL_CONS_COLUMNS; Oracle has no ON UPDATE rules and
// its constraints here are not deferrable.
SQLRETURN foreignKeys(Statement* stmt, const Argument& pkSchema, const Argument& pkTable,
    const Argument& fkSchema, const Argument& fkTable)
{
    if (!pkTable && !fkTable)
        throw DriverError("HY009", "Invalid use of null pointer");
    startCatalogResult(stmt);
    const bool id = metadataId(stmt);
    const NameFilter pkSchemaFilter(pkSchema, id, false);
    const NameFilter pkTableFilter(pkTable, id, false);
    const NameFilter fkSchemaFilter(fkSchema, id, false);
    const NameFilter fkTableFilter(fkTable, id, false);
    const char* view = "ALL_CONS_COLUMNS";
    std::vector<ResultColumn> columns { text("PKTABLE_CAT", 128, true, view),
        text("PKTABLE_SCHEM", 128, true, view), text("PKTABLE_NAME", 128, false, view),
        text("PKCOLUMN_NAME", 128, false, view), text("FKTABLE_CAT", 128, true, view),
        text("FKTABLE_SCHEM", 128, true, view), text("FKTABLE_NAME", 128, false, view),
        text("FKCOLUMN_NAME", 128, false, view), number("KEY_SEQ", 5, false, view),
        number("UPDATE_RULE", 5, true, view), number("DELETE_RULE", 5, true, view),
        text("FK_NAME", 128, true, view), text("PK_NAME", 128, true, view),
        number("DEFERRABILITY", 5, true, view) };
    struct Key {
        std::string pkTable, fkTable, fkName;
        std::vector<std::vector<Cell>> rows;
    };
    std::vector<Key> keys;
    Session& session = *stmt->dbc->session;
    const std::vector<TableInfo> tables = session.tables();
    const bool owned
        = pkSchemaFilter.passes(session.user()) && fkSchemaFilter.passes(session.user());
    for (const TableInfo& child : owned ? tables : std::vector<TableInfo> {}) {
        if (!fkTableFilter.passes(child.name))
            continue;
        for (const ConstraintInfo& k : child.constraints) {
            if (k.type != 'R' || !pkTableFilter.passes(k.refTable))
                continue;
            const auto parent = std::find_if(tables.begin(), tables.end(),
                [&](const TableInfo& t) { return t.id == k.refTableId; });
            if (parent == tables.end())
                continue;
            Key key { k.refTable, child.name, k.name, {} };
            for (std::size_t i = 0; i < k.columns.size() && i < k.refColumns.size(); ++i)
                key.rows.push_back({ Cell {}, textCell(parent->owner), textCell(parent->name),
                    textCell(parent->columns[k.refColumns[i]].name), Cell {}, textCell(child.owner),
                    textCell(child.name), textCell(child.columns[k.columns[i]].name),
                    numberCell((long long)i + 1), numberCell(SQL_NO_ACTION),
                    numberCell(odbcDeleteRule(k.deleteRule)), textCell(k.name),
                    textCell(k.refConstraint), numberCell(SQL_NOT_DEFERRABLE) });
            keys.push_back(std::move(key));
        }
    }
    // Ordered by the other side's table, the key and KEY_SEQ, as ODBC asks.
    const bool byChild = pkTable.has_value() && !fkTable;
    std::stable_sort(keys.begin(), keys.end(), [&](const Key& a, const Key& b) {
        const auto& x = byChild ? a.fkTable : a.pkTable;
        const auto& y = byChild ? b.fkTable : b.pkTable;
        return x != y ? x < y : a.fkName < b.fkName;
    });
    std::vector<std::vector<Cell>> rows;
    for (Key& k : keys) {
        for (auto& r : k.rows)
            rows.push_back(std::move(r));
    }
    finishCatalogResult(stmt, std::move(columns), std::move(rows));
    return SQL_SUCCESS;
}

} // namespace

ODBC_ENTRY SQLPrimaryKeys(SQLHSTMT handle, SQLCHAR*, SQLSMALLINT, SQLCHAR* schema,
    SQLSMALLINT schemaLength, SQLCHAR* table, SQLSMALLINT tableLength)
{
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [&] {
        return primaryKeys(stmt, narrow(schema, schemaLength), narrow(table, tableLength));
    });
}

ODBC_ENTRY SQLPrimaryKeysW(SQLHSTMT handle, SQLWCHAR*, SQLSMALLINT, SQLWCHAR* schema,
    SQLSMALLINT schemaLength, SQLWCHAR* table, SQLSMALLINT tableLength)
{
    Statement* stmt = asStmt(handle);
    return guarded(stmt,
        [&] { return primaryKeys(stmt, wide(schema, schemaLength), wide(table, tableLength)); });
}

ODBC_ENTRY SQLColumns(SQLHSTMT handle, SQLCHAR*, SQLSMALLINT, SQLCHAR* schema,
    SQLSMALLINT schemaLength, SQLCHAR* table, SQLSMALLINT tableLength, SQLCHAR* column,
    SQLSMALLINT columnLength)
{
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [&] {
        return columnsOf(stmt, narrow(schema, schemaLength), narrow(table, tableLength),
            narrow(column, columnLength));
    });
}

ODBC_ENTRY SQLColumnsW(SQLHSTMT handle, SQLWCHAR*, SQLSMALLINT, SQLWCHAR* schema,
    SQLSMALLINT schemaLength, SQLWCHAR* table, SQLSMALLINT tableLength, SQLWCHAR* column,
    SQLSMALLINT columnLength)
{
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [&] {
        return columnsOf(
            stmt, wide(schema, schemaLength), wide(table, tableLength), wide(column, columnLength));
    });
}

ODBC_ENTRY SQLStatistics(SQLHSTMT handle, SQLCHAR*, SQLSMALLINT, SQLCHAR* schema,
    SQLSMALLINT schemaLength, SQLCHAR* table, SQLSMALLINT tableLength, SQLUSMALLINT unique,
    SQLUSMALLINT)
{
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [&] {
        return statistics(stmt, narrow(schema, schemaLength), narrow(table, tableLength), unique);
    });
}

ODBC_ENTRY SQLStatisticsW(SQLHSTMT handle, SQLWCHAR*, SQLSMALLINT, SQLWCHAR* schema,
    SQLSMALLINT schemaLength, SQLWCHAR* table, SQLSMALLINT tableLength, SQLUSMALLINT unique,
    SQLUSMALLINT)
{
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [&] {
        return statistics(stmt, wide(schema, schemaLength), wide(table, tableLength), unique);
    });
}

ODBC_ENTRY SQLForeignKeys(SQLHSTMT handle, SQLCHAR*, SQLSMALLINT, SQLCHAR* pkSchema,
    SQLSMALLINT pkSchemaLength, SQLCHAR* pkTable, SQLSMALLINT pkTableLength, SQLCHAR*, SQLSMALLINT,
    SQLCHAR* fkSchema, SQLSMALLINT fkSchemaLength, SQLCHAR* fkTable, SQLSMALLINT fkTableLength)
{
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [&] {
        return foreignKeys(stmt, narrow(pkSchema, pkSchemaLength), narrow(pkTable, pkTableLength),
            narrow(fkSchema, fkSchemaLength), narrow(fkTable, fkTableLength));
    });
}

ODBC_ENTRY SQLForeignKeysW(SQLHSTMT handle, SQLWCHAR*, SQLSMALLINT, SQLWCHAR* pkSchema,
    SQLSMALLINT pkSchemaLength, SQLWCHAR* pkTable, SQLSMALLINT pkTableLength, SQLWCHAR*,
    SQLSMALLINT, SQLWCHAR* fkSchema, SQLSMALLINT fkSchemaLength, SQLWCHAR* fkTable,
    SQLSMALLINT fkTableLength)
{
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [&] {
        return foreignKeys(stmt, wide(pkSchema, pkSchemaLength), wide(pkTable, pkTableLength),
            wide(fkSchema, fkSchemaLength), wide(fkTable, fkTableLength));
    });
}

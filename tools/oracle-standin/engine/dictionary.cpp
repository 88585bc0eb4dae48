#include "dictionary.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>

namespace orastandin {

namespace {

// The view's columns are built alongside its rows: each row pushes its cells
// in the order the columns were declared.
class ViewBuilder {
public:
    ViewBuilder(std::string view, bool all)
        : m_view(std::move(view))
        , m_all(all)
    { }

    // The columns; OWNER-like columns flagged `allOnly` appear in ALL_ views alone.
    void text(const char* name, int length, bool nullable = true, bool allOnly = false)
    {
        add(name, TypeKind::Varchar2, length, nullable, allOnly);
    }
    void number(const char* name, bool nullable = true)
    {
        add(name, TypeKind::Number, 0, nullable, false);
    }
    void longText(const char* name) { add(name, TypeKind::Long, 0, true, false); }
    void date(const char* name) { add(name, TypeKind::Date, 0, true, false); }

    void row(std::vector<Cell> cells)
    {
        // Leave out the cells of the ALL_-only columns in a USER_ view.
        std::vector<Cell> kept;
        for (std::size_t i = 0; i < cells.size() && i < m_keep.size(); ++i) {
            if (m_keep[i])
                kept.push_back(std::move(cells[i]));
        }
        m_result.rows.push_back(std::move(kept));
    }

    DictionaryView take() { return std::move(m_result); }

private:
    void add(const char* name, TypeKind kind, int length, bool nullable, bool allOnly)
    {
        m_keep.push_back(m_all || !allOnly);
        if (!m_keep.back())
            return;
        ResultColumn c;
        c.name = name;
        c.type.kind = kind;
        c.type.length = length;
        c.nullable = nullable;
        c.owner = "SYS";
        c.table = m_view;
        m_result.columns.push_back(std::move(c));
    }

    std::string m_view;
    bool m_all;
    std::vector<bool> m_keep;
    DictionaryView m_result;
};

Cell text(const std::string& s)
{
    return s.empty() ? Cell {} : Cell::text_(s);
}

Cell number(long long n)
{
    return Cell::number(std::to_string(n));
}

Cell yesNo(bool yes)
{
    return Cell::text_(yes ? "YES" : "NO");
}

std::string quotedName(const std::string& name)
{
    return "\"" + name + "\"";
}

const char* deleteRuleText(DeleteRule rule)
{
    switch (rule) {
    case DeleteRule::Cascade:
        return "CASCADE";
    case DeleteRule::SetNull:
        return "SET NULL";
    case DeleteRule::NoAction:
        break;
    }
    return "NO ACTION";
}

bool isCharacter(const ColumnType& t)
{
    return t.kind == TypeKind::Varchar2 || t.kind == TypeKind::Char || t.kind == TypeKind::NVarchar2
        || t.kind == TypeKind::NChar;
}

bool isNational(const ColumnType& t)
{
    return t.kind == TypeKind::NVarchar2 || t.kind == TypeKind::NChar || t.kind == TypeKind::NClob;
}

// The condition USER_CONSTRAINTS shows: a CHECK's as written, and for a NOT
// NULL constraint the one Oracle writes itself.
std::string searchCondition(const TableInfo& t, const ConstraintInfo& k)
{
    if (k.isNotNull() && !k.columns.empty())
        return quotedName(t.columns[k.columns.front()].name) + " IS NOT NULL";
    return k.condition;
}

void tables(ViewBuilder& v, const std::vector<TableInfo>& tables)
{
    v.text("OWNER", 128, false, true);
    v.text("TABLE_NAME", 128, false);
    for (const TableInfo& t : tables)
        v.row({ text(t.owner), text(t.name) });
}

void tabColumns(ViewBuilder& v, const std::vector<TableInfo>& tables)
{
    v.text("OWNER", 128, false, true);
    v.text("TABLE_NAME", 128, false);
    v.text("COLUMN_NAME", 128, false);
    v.text("DATA_TYPE", 128);
    v.text("DATA_TYPE_MOD", 3);
    v.text("DATA_TYPE_OWNER", 128);
    v.number("DATA_LENGTH", false);
    v.number("DATA_PRECISION");
    v.number("DATA_SCALE");
    v.text("NULLABLE", 1);
    v.number("COLUMN_ID");
    v.number("DEFAULT_LENGTH");
    v.longText("DATA_DEFAULT");
    v.text("CHARACTER_SET_NAME", 44);
    v.number("CHAR_COL_DECL_LENGTH");
    v.number("CHAR_LENGTH");
    v.text("CHAR_USED", 1);
    v.text("DEFAULT_ON_NULL", 3);
    v.text("IDENTITY_COLUMN", 3);
    for (const TableInfo& t : tables) {
        for (std::size_t i = 0; i < t.columns.size(); ++i) {
            const ColumnDef& c = t.columns[i];
            const ColumnType& type = c.type;
            Cell precision, scale;
            if (type.kind == TypeKind::Number && type.scaleGiven) {
                if (!type.starPrecision)
                    precision = number(type.precision);
                scale = number(type.scale);
            } else if (type.kind == TypeKind::Float) {
                precision = number(type.precision);
            } else if (type.kind == TypeKind::Timestamp) {
                scale = number(type.scale);
            } else if (type.isInterval()) {
                precision = number(type.precision);
                scale = number(type.scale);
            }
            const auto written = columnDefault(t, i);
            const bool character = isCharacter(type);
            const bool characterSet = character || type.kind == TypeKind::Clob
                || type.kind == TypeKind::NClob || type.kind == TypeKind::Long;
            v.row({ text(t.owner), text(t.name), text(c.name), text(type.oracleName()), Cell {},
                Cell {}, number(type.maximumBytes()), precision, scale,
                Cell::text_(c.notNull ? "N" : "Y"), number((long long)i + 1),
                written ? number((long long)written->size()) : Cell {},
                written ? Cell::text_(*written) : Cell {},
                characterSet ? Cell::text_(isNational(type) ? "NCHAR_CS" : "CHAR_CS") : Cell {},
                character ? number(type.maximumBytes()) : Cell {},
                number(character ? type.length : 0),
                character ? Cell::text_(type.charSemantics || isNational(type) ? "C" : "B")
                          : Cell {},
                yesNo(c.identity && c.identity->onNull), yesNo(c.identity.has_value()) });
        }
    }
}

void constraints(ViewBuilder& v, const std::vector<TableInfo>& tables)
{
    v.text("OWNER", 128);
    v.text("CONSTRAINT_NAME", 128, false);
    v.text("CONSTRAINT_TYPE", 1);
    v.text("TABLE_NAME", 128, false);
    v.longText("SEARCH_CONDITION");
    v.text("SEARCH_CONDITION_VC", 4000);
    v.text("R_OWNER", 128);
    v.text("R_CONSTRAINT_NAME", 128);
    v.text("DELETE_RULE", 9);
    v.text("STATUS", 8);
    v.text("DEFERRABLE", 14);
    v.text("DEFERRED", 9);
    v.text("VALIDATED", 13);
    v.text("GENERATED", 14);
    v.text("BAD", 3);
    v.text("RELY", 4);
    v.date("LAST_CHANGE");
    v.text("INDEX_OWNER", 128);
    v.text("INDEX_NAME", 128);
    for (const TableInfo& t : tables) {
        for (const ConstraintInfo& k : t.constraints) {
            const std::string condition = searchCondition(t, k);
            const bool key = k.type == 'P' || k.type == 'U';
            v.row({ text(t.owner), text(k.name), Cell::text_(std::string(1, k.type)), text(t.name),
                text(condition), text(condition), text(k.refOwner), text(k.refConstraint),
                k.type == 'R' ? Cell::text_(deleteRuleText(k.deleteRule)) : Cell {},
                Cell::text_("ENABLED"), Cell::text_("NOT DEFERRABLE"), Cell::text_("IMMEDIATE"),
                Cell::text_("VALIDATED"),
                Cell::text_(k.generatedName ? "GENERATED NAME" : "USER NAME"), Cell {}, Cell {},
                Cell {}, key ? text(t.owner) : Cell {}, key ? text(k.indexName) : Cell {} });
        }
    }
}

void consColumns(ViewBuilder& v, const std::vector<TableInfo>& tables)
{
    v.text("OWNER", 128, false);
    v.text("CONSTRAINT_NAME", 128, false);
    v.text("TABLE_NAME", 128, false);
    v.text("COLUMN_NAME", 4000);
    v.number("POSITION");
    for (const TableInfo& t : tables) {
        for (const ConstraintInfo& k : t.constraints) {
            // A check's columns have no place in a key.
            for (std::size_t i = 0; i < k.columns.size(); ++i)
                v.row(
                    { text(t.owner), text(k.name), text(t.name), text(t.columns[k.columns[i]].name),
                        k.type == 'C' ? Cell {} : number((long long)i + 1) });
        }
    }
}

void indexes(ViewBuilder& v, const std::vector<TableInfo>& tables)
{
    v.text("OWNER", 128, false, true);
    v.text("INDEX_NAME", 128, false);
    v.text("INDEX_TYPE", 27);
    v.text("TABLE_OWNER", 128, false);
    v.text("TABLE_NAME", 128, false);
    v.text("TABLE_TYPE", 11);
    v.text("UNIQUENESS", 9);
    v.text("COMPRESSION", 13);
    v.text("TABLESPACE_NAME", 30);
    v.text("STATUS", 8);
    v.number("NUM_ROWS");
    v.date("LAST_ANALYZED");
    v.text("GENERATED", 1);
    v.text("VISIBILITY", 9);
    v.text("CONSTRAINT_INDEX", 3);
    for (const TableInfo& t : tables) {
        for (const IndexInfo& i : t.indexes) {
            const bool functionBased
                = std::find(i.descending.begin(), i.descending.end(), true) != i.descending.end();
            const bool forConstraint = std::any_of(t.constraints.begin(), t.constraints.end(),
                [&](const ConstraintInfo& k) { return k.indexName == i.name; });
            v.row({ text(t.owner), text(i.name),
                Cell::text_(functionBased ? "FUNCTION-BASED NORMAL" : "NORMAL"), text(t.owner),
                text(t.name), Cell::text_("TABLE"), Cell::text_(i.unique ? "UNIQUE" : "NONUNIQUE"),
                Cell::text_("DISABLED"), Cell::text_("USERS"), Cell::text_("VALID"), Cell {},
                Cell {}, Cell::text_(i.generatedName ? "Y" : "N"), Cell::text_("VISIBLE"),
                yesNo(forConstraint) });
        }
    }
}

void indColumns(ViewBuilder& v, const std::vector<TableInfo>& tables)
{
    v.text("INDEX_OWNER", 128, false, true);
    v.text("INDEX_NAME", 128, false);
    v.text("TABLE_OWNER", 128, false, true);
    v.text("TABLE_NAME", 128, false);
    v.text("COLUMN_NAME", 4000);
    v.number("COLUMN_POSITION", false);
    v.number("COLUMN_LENGTH", false);
    v.number("CHAR_LENGTH");
    v.text("DESCEND", 4);
    for (const TableInfo& t : tables) {
        for (const IndexInfo& i : t.indexes) {
            for (std::size_t k = 0; k < i.columns.size(); ++k) {
                const ColumnType& type = t.columns[i.columns[k]].type;
                // A descending key is kept in a hidden RAW column of up to
                // the column's length and some bytes more.
                const int length = i.descending[k] ? type.maximumBytes() + 1 : type.maximumBytes();
                v.row({ text(t.owner), text(i.name), text(t.owner), text(t.name),
                    text(indexColumnName(t, i, k)), number((long long)k + 1), number(length),
                    number(isCharacter(type) && !i.descending[k] ? type.length : 0),
                    Cell::text_(i.descending[k] ? "DESC" : "ASC") });
            }
        }
    }
}

void indExpressions(ViewBuilder& v, const std::vector<TableInfo>& tables)
{
    v.text("INDEX_OWNER", 128, false, true);
    v.text("INDEX_NAME", 128, false);
    v.text("TABLE_OWNER", 128, false, true);
    v.text("TABLE_NAME", 128, false);
    v.longText("COLUMN_EXPRESSION");
    v.number("COLUMN_POSITION", false);
    for (const TableInfo& t : tables) {
        for (const IndexInfo& i : t.indexes) {
            for (std::size_t k = 0; k < i.columns.size(); ++k) {
                if (i.descending[k])
                    v.row({ text(t.owner), text(i.name), text(t.owner), text(t.name),
                        Cell::text_(quotedName(t.columns[i.columns[k]].name)),
                        number((long long)k + 1) });
            }
        }
    }
}

void identityColumns(ViewBuilder& v, const std::vector<TableInfo>& tables)
{
    v.text("OWNER", 128, false, true);
    v.text("TABLE_NAME", 128, false);
    v.text("COLUMN_NAME", 128, false);
    v.text("GENERATION_TYPE", 10);
    v.text("SEQUENCE_NAME", 128, false);
    v.text("IDENTITY_OPTIONS", 298);
    for (const TableInfo& t : tables) {
        if (!t.identity)
            continue;
        const IdentityDef& d = t.identity->definition;
        v.row({ text(t.owner), text(t.name), text(t.columns[t.identity->column].name),
            Cell::text_(d.always ? "ALWAYS" : "BY DEFAULT"),
            Cell::text_("ISEQ$$_" + std::to_string(t.id)), Cell::text_(identityOptionsText(d)) });
    }
}

void tabComments(ViewBuilder& v, const std::vector<TableInfo>& tables)
{
    v.text("OWNER", 128, false, true);
    v.text("TABLE_NAME", 128, false);
    v.text("TABLE_TYPE", 11);
    v.text("COMMENTS", 4000);
    for (const TableInfo& t : tables)
        v.row({ text(t.owner), text(t.name), Cell::text_("TABLE"), text(t.comment) });
}

void colComments(ViewBuilder& v, const std::vector<TableInfo>& tables)
{
    v.text("OWNER", 128, false, true);
    v.text("TABLE_NAME", 128, false);
    v.text("COLUMN_NAME", 128, false);
    v.text("COMMENTS", 4000);
    for (const TableInfo& t : tables) {
        for (std::size_t i = 0; i < t.columns.size(); ++i)
            v.row({ text(t.owner), text(t.name), text(t.columns[i].name),
                text(i < t.columnComments.size() ? t.columnComments[i] : std::string()) });
    }
}

// CREATE TRIGGER is no statement of the stand-in's (ORA-00901): no table
// has a trigger, and the view has its columns but no rows.
void triggers(ViewBuilder& v, const std::vector<TableInfo>&)
{
    v.text("OWNER", 128, false, true);
    v.text("TRIGGER_NAME", 128, false);
    v.text("TRIGGER_TYPE", 16);
    v.text("TRIGGERING_EVENT", 246);
    v.text("TABLE_OWNER", 128);
    v.text("BASE_OBJECT_TYPE", 18);
    v.text("TABLE_NAME", 128);
    v.text("STATUS", 8);
}

} // namespace

std::optional<std::string> columnDefault(const TableInfo& table, std::size_t column)
{
    const ColumnDef& c = table.columns[column];
    if (c.identity)
        return quotedName(table.owner) + ".\"ISEQ$$_" + std::to_string(table.id) + "\".nextval";
    if (c.defaultValue)
        return defaultText(*c.defaultValue);
    return std::nullopt;
}

std::string indexColumnName(const TableInfo& table, const IndexInfo& index, std::size_t k)
{
    if (!index.descending[k])
        return table.columns[index.columns[k]].name;
    char name[32];
    std::snprintf(name, sizeof name, "SYS_NC%05d$", index.virtualColumns[k]);
    return name;
}

std::optional<DictionaryView> dictionaryView(
    const std::string& name, const std::function<std::vector<TableInfo>()>& load)
{
    using Build = void (*)(ViewBuilder&, const std::vector<TableInfo>&);
    static const std::map<std::string, Build> views {
        { "TABLES", tables },
        { "TAB_COLUMNS", tabColumns },
        { "CONSTRAINTS", constraints },
        { "CONS_COLUMNS", consColumns },
        { "INDEXES", indexes },
        { "IND_COLUMNS", indColumns },
        { "IND_EXPRESSIONS", indExpressions },
        { "TAB_IDENTITY_COLS", identityColumns },
        { "TAB_COMMENTS", tabComments },
        { "COL_COMMENTS", colComments },
        { "TRIGGERS", triggers },
    };
    const bool user = name.rfind("USER_", 0) == 0;
    const bool allView = name.rfind("ALL_", 0) == 0;
    if (!user && !allView)
        return std::nullopt;
    const auto it = views.find(name.substr(user ? 5 : 4));
    if (it == views.end())
        return std::nullopt;
    ViewBuilder v(name, allView);
    it->second(v, load());
    return v.take();
}

} // namespace orastandin

#include "storage.h"

#include "interval.h"
#include "key_storage.h"
#include "ora_error.h"
#include "sqlite_query.h"
#include "write_turns.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <map>
#include <sqlite3.h>
#include <stdexcept>
#include <sys/stat.h>

namespace orastandin {

using sqlite::dataTable;
using sqlite::inTransaction;
using sqlite::Query;
using sqlite::sqliteFailed;

namespace { } // namespace

// Statements a connection runs again and again (transactions, savepoints,
// the catalog's version, each table's insert, the reads and writes of
// UPDATE, DELETE and MERGE), prepared once: SQLite's parser would otherwise
// take much of each execution's time.
struct CachedStatement {
    Query query;
    bool busy = false;
};

struct Storage::Statements {
    std::map<std::string, std::unique_ptr<CachedStatement>> entries;
};

// A cached statement held by one user at a time, or a statement of its own
// while the cached one is held elsewhere.
struct Lease {
    CachedStatement* cached = nullptr;
    std::unique_ptr<Query> owned;

    Lease() = default;
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    ~Lease()
    {
        if (cached) {
            cached->query.reset();
            cached->query.clearBindings(); // values bound in place go away with the user
            cached->busy = false;
        }
    }
    Query& query() { return cached ? cached->query : *owned; }
};

namespace {

// Reads a stored value into `cell`, reusing the room its text already has:
// a cursor's rows pass through the same cells again and again.
void readCell(const Query& q, int col, const ColumnType& type, Cell& cell)
{
    cell.text.clear();
    if (q.isNull(col)) {
        cell.kind = Cell::Kind::Null;
        return;
    }
    if (type.kind == TypeKind::BinaryFloat || type.kind == TypeKind::BinaryDouble) {
        cell.kind = Cell::Kind::Real;
        cell.real = std::strtod(q.cText(col), nullptr);
        return;
    }
    const std::string_view s = q.view(col);
    if (type.isDateTime()) {
        cell.kind = Cell::Kind::DateTime;
        cell.dateTime = DateTime {};
        parseCanonical(s, cell.dateTime);
        return;
    }
    if (type.isInterval()) {
        // Kept in one form per value, shown as Oracle shows it: "+DD HH:MI:SS.FFFFFF".
        cell.kind = Cell::Kind::Text;
        cell.text = formatDayToSecond(parseDayToSecond(s), type.precision, type.scale);
        return;
    }
    cell.kind = type.isNumeric() ? Cell::Kind::Number
        : type.isBinary()        ? Cell::Kind::Binary
                                 : Cell::Kind::Text;
    cell.text.assign(s.data(), s.size());
}

const char* schema = R"(
PRAGMA journal_mode=WAL;
CREATE TABLE ora_users(name TEXT PRIMARY KEY, password TEXT NOT NULL);
CREATE TABLE ora_tables(id INTEGER PRIMARY KEY AUTOINCREMENT, owner TEXT NOT NULL,
    name TEXT NOT NULL, UNIQUE(owner, name));
CREATE TABLE ora_columns(table_id INTEGER NOT NULL, position INTEGER NOT NULL,
    name TEXT NOT NULL, kind INTEGER NOT NULL, length INTEGER NOT NULL,
    char_semantics INTEGER NOT NULL, precision INTEGER NOT NULL, scale INTEGER NOT NULL,
    scale_given INTEGER NOT NULL, PRIMARY KEY(table_id, position));
)";

// Constraints and defaults came later: SID files from before get these
// tables when they are next opened.
const char* constraintSchema = R"(
BEGIN IMMEDIATE;
CREATE TABLE IF NOT EXISTS ora_constraints(id INTEGER PRIMARY KEY AUTOINCREMENT,
    owner TEXT NOT NULL, name TEXT NOT NULL, table_id INTEGER NOT NULL, type TEXT NOT NULL,
    UNIQUE(owner, name));
CREATE TABLE IF NOT EXISTS ora_constraint_columns(constraint_id INTEGER NOT NULL,
    position INTEGER NOT NULL, column_position INTEGER NOT NULL,
    PRIMARY KEY(constraint_id, position));
CREATE TABLE IF NOT EXISTS ora_defaults(table_id INTEGER NOT NULL, position INTEGER NOT NULL,
    kind INTEGER NOT NULL, text TEXT NOT NULL, mask TEXT, number_argument INTEGER NOT NULL,
    leading_precision INTEGER NOT NULL, fraction_precision INTEGER NOT NULL,
    PRIMARY KEY(table_id, position));
CREATE TABLE IF NOT EXISTS ora_counters(name TEXT PRIMARY KEY, value INTEGER NOT NULL);
INSERT OR IGNORE INTO ora_counters VALUES('constraint', 10000);
INSERT OR IGNORE INTO ora_counters VALUES('catalog', 0);
COMMIT;
)";

// Unique keys, foreign keys, checks, indexes, identity columns and comments
// came later still; their tables, and the indexes of the primary keys that
// were there before, are made when such a file is next opened.
const char* definitionSchema = R"(
ALTER TABLE ora_columns ADD COLUMN star_precision INTEGER NOT NULL DEFAULT 0;
ALTER TABLE ora_constraints ADD COLUMN generated INTEGER NOT NULL DEFAULT 0;
ALTER TABLE ora_constraints ADD COLUMN search_condition TEXT;
ALTER TABLE ora_constraints ADD COLUMN r_constraint_id INTEGER;
ALTER TABLE ora_constraints ADD COLUMN delete_rule INTEGER NOT NULL DEFAULT 0;
ALTER TABLE ora_constraints ADD COLUMN index_id INTEGER;
ALTER TABLE ora_constraints ADD COLUMN own_index INTEGER NOT NULL DEFAULT 0;
ALTER TABLE ora_constraints ADD COLUMN enforcement TEXT;
CREATE TABLE ora_indexes(id INTEGER PRIMARY KEY AUTOINCREMENT, owner TEXT NOT NULL,
    name TEXT NOT NULL, table_id INTEGER NOT NULL, is_unique INTEGER NOT NULL,
    generated INTEGER NOT NULL, storage TEXT NOT NULL, UNIQUE(owner, name));
CREATE TABLE ora_index_columns(index_id INTEGER NOT NULL, position INTEGER NOT NULL,
    column_position INTEGER NOT NULL, descending INTEGER NOT NULL,
    virtual_column INTEGER NOT NULL DEFAULT 0, PRIMARY KEY(index_id, position));
CREATE TABLE ora_identity(table_id INTEGER PRIMARY KEY, position INTEGER NOT NULL,
    always INTEGER NOT NULL, on_null INTEGER NOT NULL, start_with INTEGER NOT NULL,
    increment_by INTEGER NOT NULL, max_value INTEGER, min_value INTEGER,
    cycle INTEGER NOT NULL, cache INTEGER NOT NULL, ordered INTEGER NOT NULL,
    next_value INTEGER NOT NULL);
CREATE TABLE ora_comments(table_id INTEGER NOT NULL, position INTEGER NOT NULL,
    text TEXT NOT NULL, PRIMARY KEY(table_id, position));
UPDATE ora_constraints SET generated = 1 WHERE name GLOB 'SYS_C[0-9]*';
INSERT INTO ora_indexes(owner, name, table_id, is_unique, generated, storage)
    SELECT owner, name, table_id, 1, generated, '"d' || table_id || '_pk"'
    FROM ora_constraints WHERE type = 'P';
INSERT INTO ora_index_columns SELECT i.id, cc.position, cc.column_position, 0, 0
    FROM ora_indexes i JOIN ora_constraints k ON k.owner = i.owner AND k.name = i.name
    JOIN ora_constraint_columns cc ON cc.constraint_id = k.id;
UPDATE ora_constraints SET own_index = 1, enforcement = '"d' || table_id || '_pk"',
    index_id = (SELECT i.id FROM ora_indexes i WHERE i.owner = ora_constraints.owner
        AND i.name = ora_constraints.name)
    WHERE type = 'P';
)";

} // namespace

Storage::Storage(sqlite3* db, std::string path)
    : m_db(db)
    , m_path(std::move(path))
{ }

Storage::~Storage()
{
    m_statements.reset(); // finalized before the connection closes
    writeturns::released(m_path, m_db);
    sqlite3_close_v2(m_db);
}

void Storage::exec(const char* sql)
{
    char* error = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string reason = error ? error : "unknown";
        sqlite3_free(error);
        sqliteFailed(m_db, reason);
    }
}

void Storage::create(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) == 0)
        throw std::runtime_error("a database already exists at " + path);
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr)
        != SQLITE_OK) {
        const std::string reason = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        throw std::runtime_error("cannot create " + path + ": " + reason);
    }
    Storage s(db, path);
    s.exec(schema);
    s.exec(constraintSchema);
    s.upgrade();
}

void Storage::upgrade()
{
    auto has = [&](const char* table) {
        Query q(m_db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?");
        return q.bind(1, std::string(table)).step();
    };
    try {
        if (!has("ora_counters"))
            exec(constraintSchema);
        // Checked again inside the write lock: another process may have
        // upgraded the file meanwhile.
        if (!has("ora_indexes"))
            inTransaction(m_db, m_path, [&] {
                if (!has("ora_indexes"))
                    exec(definitionSchema);
            });
    } catch (...) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

std::unique_ptr<Storage> Storage::open(const std::string& path)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr)
        != SQLITE_OK) {
        sqlite3_close(db);
        throwOra(12154, "TNS:could not resolve the connect identifier specified");
    }
    std::unique_ptr<Storage> s(new Storage(db, path));
    sqlite3_busy_handler(db, writeturns::busyHandler, &s->m_path);
    s->exec("PRAGMA synchronous=NORMAL");
    s->upgrade();
    return s;
}

std::optional<std::string> Storage::password(const std::string& user)
{
    Query q(m_db, "SELECT password FROM ora_users WHERE name = ?");
    q.bind(1, user);
    if (!q.step())
        return std::nullopt;
    return q.text(0);
}

void Storage::createUser(const std::string& user, const std::string& password)
{
    inTransaction(m_db, m_path, [&] {
        Query check(m_db, "SELECT 1 FROM ora_users WHERE name = ?");
        if (check.bind(1, user).step())
            throwOra(1920, "user name '" + user + "' conflicts with another user or role name");
        Query q(m_db, "INSERT INTO ora_users(name, password) VALUES(?, ?)");
        q.bind(1, user).bind(2, password).step();
    });
}

std::vector<std::string> Storage::tableNames(const std::string& owner)
{
    Query q(m_db, "SELECT name FROM ora_tables WHERE owner = ? ORDER BY name");
    q.bind(1, owner);
    std::vector<std::string> names;
    while (q.step())
        names.push_back(q.text(0));
    return names;
}

std::vector<TableInfo> Storage::tables(const std::string& owner)
{
    std::vector<TableInfo> out;
    for (const std::string& name : tableNames(owner)) {
        // A table dropped by another session meanwhile is simply not there.
        if (auto t = findTable(owner, name))
            out.push_back(std::move(*t));
    }
    return out;
}

std::optional<TableInfo> Storage::findTableLocked(const std::string& owner, const std::string& name)
{
    Query q(m_db, "SELECT id FROM ora_tables WHERE owner = ? AND name = ?");
    q.bind(1, owner).bind(2, name);
    if (!q.step())
        return std::nullopt;
    TableInfo t;
    t.id = q.integer(0);
    t.owner = owner;
    t.name = name;
    Query cols(m_db,
        "SELECT c.name, c.kind, c.length, c.char_semantics, c.precision, c.scale, c.scale_given, "
        "d.kind, d.text, d.mask, d.number_argument, d.leading_precision, d.fraction_precision, "
        "c.star_precision "
        "FROM ora_columns c LEFT JOIN ora_defaults d "
        "ON d.table_id = c.table_id AND d.position = c.position "
        "WHERE c.table_id = ? ORDER BY c.position");
    cols.bind(1, t.id);
    while (cols.step()) {
        ColumnDef c;
        c.name = cols.text(0);
        c.type.kind = TypeKind(cols.integer(1));
        c.type.length = int(cols.integer(2));
        c.type.charSemantics = cols.integer(3) != 0;
        c.type.precision = int(cols.integer(4));
        c.type.scale = int(cols.integer(5));
        c.type.scaleGiven = cols.integer(6) != 0;
        c.type.starPrecision = cols.integer(13) != 0;
        if (!cols.isNull(7)) {
            Literal d = Literal::of(Literal::Kind(cols.integer(7)), cols.text(8));
            if (!cols.isNull(9))
                d.mask = cols.text(9);
            d.numberArgument = cols.integer(10) != 0;
            d.leadingPrecision = int(cols.integer(11));
            d.fractionPrecision = int(cols.integer(12));
            c.defaultValue = std::move(d);
        }
        t.columns.push_back(std::move(c));
    }
    loadDefinitions(t);
    return t;
}

void Storage::loadDefinitions(TableInfo& t)
{
    Query keys(m_db,
        "SELECT k.id, k.name, k.type, k.generated, k.search_condition, k.delete_rule, "
        "k.enforcement, i.name, r.id, r.name, r.owner, p.name, p.id, r.enforcement "
        "FROM ora_constraints k LEFT JOIN ora_indexes i ON i.id = k.index_id "
        "LEFT JOIN ora_constraints r ON r.id = k.r_constraint_id "
        "LEFT JOIN ora_tables p ON p.id = r.table_id WHERE k.table_id = ? ORDER BY k.id");
    keys.bind(1, t.id);
    while (keys.step()) {
        ConstraintInfo k;
        k.id = keys.integer(0);
        k.name = keys.text(1);
        k.type = keys.text(2).front();
        k.generatedName = keys.integer(3) != 0;
        k.condition = keys.text(4);
        k.deleteRule = DeleteRule(keys.integer(5));
        k.enforcement = keys.text(6);
        k.indexName = keys.text(7);
        k.refConstraintId = keys.integer(8);
        k.refConstraint = keys.text(9);
        k.refOwner = keys.text(10);
        k.refTable = keys.text(11);
        k.refTableId = keys.integer(12);
        k.refEnforcement = keys.text(13);
        t.constraints.push_back(std::move(k));
    }
    Query columns(m_db,
        "SELECT cc.column_position FROM ora_constraint_columns cc WHERE cc.constraint_id = ? "
        "ORDER BY cc.position");
    for (ConstraintInfo& k : t.constraints) {
        columns.reset();
        columns.bind(1, k.id);
        while (columns.step()) {
            const auto position = std::size_t(columns.integer(0));
            if (position < t.columns.size())
                k.columns.push_back(position);
        }
        if (k.refConstraintId) {
            columns.reset();
            columns.bind(1, k.refConstraintId);
            while (columns.step())
                k.refColumns.push_back(std::size_t(columns.integer(0)));
        }
        if (k.type == 'P' || k.isNotNull()) {
            for (const std::size_t p : k.columns)
                t.columns[p].notNull = true;
        }
        if (k.type == 'P')
            t.primaryKey = KeyInfo { k.name, k.columns };
    }

    Query indexes(m_db,
        "SELECT id, name, is_unique, generated, storage FROM ora_indexes WHERE table_id = ? "
        "ORDER BY name");
    indexes.bind(1, t.id);
    while (indexes.step()) {
        t.indexes.push_back(IndexInfo { indexes.integer(0), indexes.text(1),
            indexes.integer(2) != 0, indexes.integer(3) != 0, {}, {}, {}, indexes.text(4) });
    }
    Query indexColumns(m_db,
        "SELECT column_position, descending, virtual_column FROM ora_index_columns "
        "WHERE index_id = ? "
        "ORDER BY position");
    for (IndexInfo& i : t.indexes) {
        indexColumns.reset();
        indexColumns.bind(1, i.id);
        while (indexColumns.step()) {
            i.columns.push_back(std::size_t(indexColumns.integer(0)));
            i.descending.push_back(indexColumns.integer(1) != 0);
            i.virtualColumns.push_back(int(indexColumns.integer(2)));
        }
    }

    // The foreign keys that refer to this table's keys, its own included.
    Query children(m_db,
        "SELECT c.id, c.name, c.table_id, ct.name, c.delete_rule, c.r_constraint_id "
        "FROM ora_constraints c JOIN ora_constraints k ON k.id = c.r_constraint_id "
        "JOIN ora_tables ct ON ct.id = c.table_id WHERE k.table_id = ? ORDER BY c.id");
    children.bind(1, t.id);
    std::vector<std::pair<long long, long long>> keyIds;
    while (children.step()) {
        t.referencedBy.push_back(
            ReferenceInfo { children.integer(0), children.integer(5), children.text(1),
                children.integer(2), children.text(3), {}, {}, DeleteRule(children.integer(4)) });
        keyIds.emplace_back(children.integer(0), children.integer(5));
    }
    for (std::size_t i = 0; i < keyIds.size(); ++i) {
        columns.reset();
        columns.bind(1, keyIds[i].first);
        while (columns.step())
            t.referencedBy[i].childColumns.push_back(std::size_t(columns.integer(0)));
        columns.reset();
        columns.bind(1, keyIds[i].second);
        while (columns.step())
            t.referencedBy[i].parentColumns.push_back(std::size_t(columns.integer(0)));
    }

    Query identity(m_db,
        "SELECT position, always, on_null, start_with, increment_by, max_value, min_value, "
        "cycle, cache, ordered FROM ora_identity WHERE table_id = ?");
    identity.bind(1, t.id);
    if (identity.step()) {
        IdentityInfo info;
        info.column = std::size_t(identity.integer(0));
        IdentityDef& d = info.definition;
        d.always = identity.integer(1) != 0;
        d.onNull = identity.integer(2) != 0;
        d.startWith = identity.integer(3);
        d.incrementBy = identity.integer(4);
        if (!identity.isNull(5))
            d.maxValue = identity.integer(5);
        if (!identity.isNull(6))
            d.minValue = identity.integer(6);
        d.cycle = identity.integer(7) != 0;
        d.cache = identity.integer(8);
        d.order = identity.integer(9) != 0;
        if (info.column < t.columns.size()) {
            t.columns[info.column].identity = d;
            t.identity = info;
        }
    }

    Query comments(m_db, "SELECT position, text FROM ora_comments WHERE table_id = ?");
    comments.bind(1, t.id);
    while (comments.step()) {
        const long long position = comments.integer(0);
        if (position < 0) {
            t.comment = comments.text(1);
        } else if (std::size_t(position) < t.columns.size()) {
            t.columnComments.resize(t.columns.size());
            t.columnComments[std::size_t(position)] = comments.text(1);
        }
    }
}

std::string Storage::constraintName(const std::string& owner, const ConstraintDef& constraint)
{
    auto taken = [&](const std::string& name) {
        Query q(m_db, "SELECT 1 FROM ora_constraints WHERE owner = ? AND name = ?");
        return q.bind(1, owner).bind(2, name).step();
    };
    if (!constraint.name.empty()) {
        if (taken(constraint.name))
            throwOra(2264, "name already used by an existing constraint");
        return constraint.name;
    }
    // Oracle numbers the names it makes up from one sequence of the whole
    // database and never hands a number out twice.
    for (;;) {
        Query(m_db, "UPDATE ora_counters SET value = value + 1 WHERE name = 'constraint'").step();
        Query next(m_db, "SELECT value FROM ora_counters WHERE name = 'constraint'");
        next.step();
        const std::string name = "SYS_C00" + std::to_string(next.integer(0));
        if (!taken(name))
            return name;
    }
}

void Storage::catalogChanged()
{
    Query(m_db, "UPDATE ora_counters SET value = value + 1 WHERE name = 'catalog'").step();
}

std::optional<TableInfo> Storage::findTable(const std::string& owner, const std::string& name)
{
    // One read transaction, so that the table and its columns match; inside
    // the session's open transaction the lookup is part of that.
    const bool own = !transactionOpen();
    if (own)
        runCached("BEGIN");
    try {
        // Every CREATE, DROP and RENAME, of any session, counts the catalog up.
        long long now = -1;
        {
            Lease version;
            lease("SELECT value FROM ora_counters WHERE name = 'catalog'", version);
            if (version.query().step())
                now = version.query().integer(0);
        }
        if (now != m_catalogVersion || now < 0) {
            m_tables.clear();
            m_catalogVersion = now;
        }
        const auto key = std::make_pair(owner, name);
        if (const auto it = m_tables.find(key); it != m_tables.end()) {
            if (own)
                runCached("COMMIT");
            return it->second;
        }
        auto t = findTableLocked(owner, name);
        if (own)
            runCached("COMMIT");
        if (t)
            m_tables[key] = *t;
        return t;
    } catch (...) {
        if (own)
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

void Storage::renameTable(const std::string& owner, const std::string& from, const std::string& to)
{
    inTransaction(m_db, m_path, [&] {
        const auto t = findTableLocked(owner, from);
        if (!t)
            throwOra(4043, "object " + from + " does not exist");
        if (findTableLocked(owner, to))
            throwOra(955, "name is already used by an existing object");
        catalogChanged();
        Query q(m_db, "UPDATE ora_tables SET name = ? WHERE id = ?");
        q.bind(1, to).bind(2, t->id).step();
    });
}

bool Storage::transactionOpen() const
{
    return sqlite3_get_autocommit(m_db) == 0;
}

void Storage::begin()
{
    runCached("BEGIN IMMEDIATE");
    writeturns::held(m_path, m_db);
}

void Storage::commit()
{
    if (transactionOpen())
        runCached("COMMIT");
    writeturns::released(m_path, m_db);
}

void Storage::rollback()
{
    if (transactionOpen())
        runCached("ROLLBACK");
    writeturns::released(m_path, m_db);
}

void Storage::savepoint()
{
    runCached("SAVEPOINT statement");
}

void Storage::releaseSavepoint()
{
    runCached("RELEASE statement");
}

void Storage::rollbackToSavepoint()
{
    runCached("ROLLBACK TO statement");
    runCached("RELEASE statement");
}

namespace {

// Binds one cell as readCell reads it back, in place, as arrays of rows pass
// here; dates and reals are written out into `scratch` when `convert`, and
// it must then stay put until the step.
void bindCell(Query& q, int at, const Cell& c, std::string& scratch, bool convert = true)
{
    switch (c.kind) {
    case Cell::Kind::Null:
        q.bindNull(at);
        break;
    case Cell::Kind::Text:
    case Cell::Kind::Number:
    case Cell::Kind::Binary:
        q.bindInPlace(at, c.text, c.kind == Cell::Kind::Binary);
        break;
    case Cell::Kind::Real:
        if (convert)
            scratch = realToText(c.real, false);
        q.bindInPlace(at, scratch, false);
        break;
    case Cell::Kind::DateTime:
        if (convert)
            scratch = formatCanonical(c.dateTime, 9);
        q.bindInPlace(at, scratch, false);
        break;
    }
}

// A key of the table that a row must not repeat: a unique or primary key
// constraint, or a unique index that serves none.
struct UniqueKey {
    std::string name; // "OWNER.NAME" for ORA-00001
    std::vector<std::size_t> columns;
    bool nullForm = false;
};

// A foreign key, with the query that finds its parent row.
struct ParentKey {
    std::string name;
    std::vector<std::size_t> columns;
    std::unique_ptr<Query> probe;
};

} // namespace

struct RowWriter::Statement {
    Lease lease;
    std::vector<std::string> texts; // dates and reals as stored, kept until the step
};

// What keeps a table's rows within its keys: the unique keys a row must not
// repeat, the parents its foreign keys must find, the identity sequence.
struct RowWriter::Keys {
    std::string owner;
    std::vector<UniqueKey> unique;
    std::vector<ParentKey> parents;
    std::unique_ptr<Query> undo; // takes back an inserted row a foreign key refused
    std::optional<IdentityDef> identity;
    long long nextIdentity = 0;
    std::unique_ptr<Query> saveIdentity;
    // The table, when other rows' foreign keys refer to its rows.
    std::optional<TableInfo> referenced;
};

RowWriter::~RowWriter() = default;

namespace {

void bindRow(Query& q, std::vector<std::string>& texts, const std::vector<Cell>& row)
{
    texts.resize(row.size());
    for (std::size_t i = 0; i < row.size(); ++i)
        bindCell(q, int(i) + 1, row[i], texts[i]);
}

// Binds the row's cells of `columns`, already written out into `texts`.
void bindColumns(Query& q, const std::vector<std::size_t>& columns, const std::vector<Cell>& row,
    std::vector<std::string>& texts)
{
    q.reset();
    for (std::size_t i = 0; i < columns.size(); ++i)
        bindCell(q, int(i) + 1, row[columns[i]], texts[columns[i]], false);
}

// Which key a refused row repeats, found by looking each one up among the
// rows other than `rowid` (the row an update changes).
std::string repeatedKey(sqlite3* db, long long table, const std::vector<UniqueKey>& keys,
    const std::vector<Cell>& row, std::vector<std::string>& texts, long long rowid)
{
    for (const UniqueKey& k : keys) {
        // Keys with a NULL (all of them NULL, in the null form) collide with none.
        const auto nulls = std::count_if(
            k.columns.begin(), k.columns.end(), [&](std::size_t c) { return row[c].isNull(); });
        if (nulls == std::ptrdiff_t(k.nullForm ? k.columns.size() : 1) || (!k.nullForm && nulls))
            continue;
        std::string sql = "SELECT 1 FROM " + dataTable(table) + " WHERE ";
        for (std::size_t i = 0; i < k.columns.size(); ++i) {
            const std::string c = "c" + std::to_string(k.columns[i]);
            sql += (i ? " AND " : "")
                + (k.nullForm ? "ifnull(" + c + ", 0) = ifnull(?, 0)" : c + " = ?");
        }
        Query probe(db, sql + " AND rowid <> " + std::to_string(rowid) + " LIMIT 1");
        bindColumns(probe, k.columns, row, texts);
        if (probe.step())
            return k.name;
    }
    return keys.empty() ? std::string() : keys.front().name;
}

// "(c1, c2)" of a key's columns.
std::string columnList(const std::vector<std::size_t>& columns)
{
    std::string out = "(";
    for (std::size_t i = 0; i < columns.size(); ++i)
        out += (i ? ", c" : "c") + std::to_string(columns[i]);
    return out + ")";
}

// The rows of a child table that refer to the row ?1 of the parent.
std::string childrenOf(long long parentTable, const ReferenceInfo& r)
{
    std::string key;
    for (std::size_t i = 0; i < r.parentColumns.size(); ++i)
        key += (i ? ", c" : "c") + std::to_string(r.parentColumns[i]);
    return "FROM " + dataTable(r.childTableId) + " WHERE " + columnList(r.childColumns)
        + " = (SELECT " + key + " FROM " + dataTable(parentTable) + " WHERE rowid = ?1)"
        + (r.childTableId == parentTable ? " AND rowid <> ?1" : "");
}

std::string quotedColumn(const std::string& owner, const std::string& table, const std::string& c)
{
    return "(\"" + owner + "\".\"" + table + "\".\"" + c + "\")";
}

} // namespace

void RowWriter::insert(const std::vector<Cell>& row)
{
    // Bound in place, as arrays of rows pass here.
    Query& q = m_insert->lease.query();
    q.reset();
    bindRow(q, m_insert->texts, row);
    if (!q.insertUnique())
        throwOra(1,
            "unique constraint ("
                + repeatedKey(m_db, m_table, m_keys->unique, row, m_insert->texts, 0)
                + ") violated");
    if (m_keys->parents.empty())
        return;
    try {
        checkParents(row, m_insert->texts);
    } catch (...) {
        m_keys->undo->reset();
        m_keys->undo->bind(1, (long long)sqlite3_last_insert_rowid(m_db)).step();
        throw;
    }
}

// Oracle checks a foreign key once the row is in, so that a row may be its
// own parent.
void RowWriter::checkParents(const std::vector<Cell>& row, std::vector<std::string>& texts)
{
    for (ParentKey& p : m_keys->parents) {
        if (std::any_of(
                p.columns.begin(), p.columns.end(), [&](std::size_t c) { return row[c].isNull(); }))
            continue; // a key with a NULL refers to nothing
        bindColumns(*p.probe, p.columns, row, texts);
        if (!p.probe->step())
            throwOra(2291, "integrity constraint (" + p.name + ") violated - parent key not found");
    }
}

long long RowWriter::nextIdentity()
{
    Keys& k = *m_keys;
    const IdentityDef& d = *k.identity;
    const bool up = d.incrementBy > 0;
    const long long max = d.maxValue.value_or(std::numeric_limits<long long>::max());
    const long long min = d.minValue.value_or(up ? 1 : std::numeric_limits<long long>::min());
    long long value = k.nextIdentity;
    if (value > max || value < min) {
        if (!d.cycle)
            throwOra(8004,
                "sequence ISEQ$$_" + std::to_string(m_table) + ".NEXTVAL exceeds "
                    + (up ? "MAXVALUE" : "MINVALUE") + " and cannot be instantiated");
        value = up ? min : max;
    }
    long long next = 0;
    if (__builtin_add_overflow(value, d.incrementBy, &next))
        next = up ? std::numeric_limits<long long>::max() : std::numeric_limits<long long>::min();
    // Handed out for good, as a sequence's numbers are.
    k.nextIdentity = next;
    k.saveIdentity->reset();
    k.saveIdentity->bind(1, next).bind(2, m_table).step();
    return value;
}

void RowWriter::update(long long rowid, const std::vector<Cell>& row)
{
    if (!m_update) {
        std::string sql = "UPDATE " + dataTable(m_table) + " SET ";
        for (std::size_t i = 0; i < m_columns; ++i)
            sql += (i ? ", c" : "c") + std::to_string(i) + " = ?";
        sql += " WHERE rowid = ?";
        m_update.reset(new Statement);
        m_storage->lease(sql, m_update->lease);
    }
    std::vector<std::string>& texts = m_update->texts;
    texts.resize(row.size());
    // A key that rows refer to keeps its value (Oracle has no ON UPDATE rules).
    const std::vector<ReferenceInfo> none;
    for (const ReferenceInfo& r : m_keys->referenced ? m_keys->referenced->referencedBy : none) {
        std::string sql = "SELECT 1 " + childrenOf(m_table, r) + " AND "
            + columnList(r.childColumns) + " IS NOT (";
        for (std::size_t i = 0; i < r.parentColumns.size(); ++i)
            sql += i ? ", ?" : "?";
        Query children(m_db, sql + ") LIMIT 1");
        children.bind(1, rowid);
        for (std::size_t i = 0; i < r.parentColumns.size(); ++i)
            bindCell(children, int(i) + 2, row[r.parentColumns[i]], texts[r.parentColumns[i]]);
        if (children.step())
            throwOra(2292,
                "integrity constraint (" + m_keys->owner + "." + r.constraint
                    + ") violated - child record found");
    }
    Query& q = m_update->lease.query();
    q.reset();
    bindRow(q, texts, row);
    q.bind(int(m_columns) + 1, rowid);
    if (!q.insertUnique())
        throwOra(1,
            "unique constraint (" + repeatedKey(m_db, m_table, m_keys->unique, row, texts, rowid)
                + ") violated");
    if (!m_keys->parents.empty())
        checkParents(row, texts);
}

void RowWriter::remove(long long rowid)
{
    if (m_keys->referenced) {
        m_storage->removeRow(*m_keys->referenced, rowid);
        return;
    }
    if (!m_delete) {
        m_delete.reset(new Statement);
        m_storage->lease("DELETE FROM " + dataTable(m_table) + " WHERE rowid = ?", m_delete->lease);
    }
    Query& q = m_delete->lease.query();
    q.reset();
    q.bind(1, rowid);
    q.step();
}

void Storage::removeRow(const TableInfo& table, long long rowid)
{
    for (const ReferenceInfo& r : table.referencedBy) {
        const std::string name = table.owner + "." + r.constraint;
        switch (r.deleteRule) {
        case DeleteRule::NoAction: {
            Query children(m_db, "SELECT 1 " + childrenOf(table.id, r) + " LIMIT 1");
            if (children.bind(1, rowid).step())
                throwOra(2292, "integrity constraint (" + name + ") violated - child record found");
            break;
        }
        case DeleteRule::Cascade: {
            // The children go first, each with the rules of the keys that refer to it.
            std::vector<long long> rowids;
            {
                Query children(m_db, "SELECT rowid " + childrenOf(table.id, r));
                children.bind(1, rowid);
                while (children.step())
                    rowids.push_back(children.integer(0));
            }
            if (rowids.empty())
                break;
            const TableInfo child
                = r.childTableId == table.id ? table : requireTable(table.owner, r.childTable);
            for (const long long c : rowids)
                removeRow(child, c);
            break;
        }
        case DeleteRule::SetNull: {
            const TableInfo child
                = r.childTableId == table.id ? table : requireTable(table.owner, r.childTable);
            std::string set;
            for (const std::size_t c : r.childColumns)
                set += (set.empty() ? "c" : ", c") + std::to_string(c) + " = NULL";
            Query children(m_db, "SELECT 1 " + childrenOf(table.id, r) + " LIMIT 1");
            if (!children.bind(1, rowid).step())
                break;
            for (const std::size_t c : r.childColumns) {
                if (child.columns[c].notNull)
                    throwOra(1407,
                        "cannot update "
                            + quotedColumn(child.owner, child.name, child.columns[c].name)
                            + " to NULL");
            }
            Query update(m_db,
                "UPDATE " + dataTable(r.childTableId) + " SET " + set
                    + " WHERE rowid IN (SELECT rowid " + childrenOf(table.id, r) + ")");
            update.bind(1, rowid).step();
            break;
        }
        }
    }
    Query remove(m_db, "DELETE FROM " + dataTable(table.id) + " WHERE rowid = ?");
    remove.bind(1, rowid).step();
}

std::unique_ptr<RowWriter> Storage::rowWriter(const TableInfo& table)
{
    // The table may have been dropped by another session since it was looked up.
    {
        Lease check;
        lease("SELECT 1 FROM ora_tables WHERE id = ?", check);
        if (!check.query().bind(1, table.id).step())
            throwOra(942, "table or view does not exist");
    }
    std::string sql = "INSERT INTO " + dataTable(table.id) + " VALUES(";
    for (std::size_t i = 0; i < table.columns.size(); ++i)
        sql += i ? ", ?" : "?";
    sql += ")";
    std::unique_ptr<RowWriter> writer(new RowWriter);
    writer->m_insert.reset(new RowWriter::Statement);
    lease(sql, writer->m_insert->lease);
    writer->m_storage = this;
    writer->m_db = m_db;
    writer->m_table = table.id;
    writer->m_columns = table.columns.size();
    writer->m_keys = std::make_unique<RowWriter::Keys>();
    RowWriter::Keys& k = *writer->m_keys;
    k.owner = table.owner;
    if (!table.referencedBy.empty())
        k.referenced = table;
    for (const ConstraintInfo& c : table.constraints) {
        if (c.type == 'P' || c.type == 'U')
            k.unique.push_back(
                { table.owner + "." + c.name, c.columns, isNullForm(c.enforcement) });
        if (c.type != 'R')
            continue;
        const std::string probe = "SELECT 1 FROM " + dataTable(c.refTableId) + " WHERE "
            + keyProbeTerms(c.refColumns, c.refEnforcement, [](std::size_t) { return "?"; })
            + " LIMIT 1";
        k.parents.push_back(
            { table.owner + "." + c.name, c.columns, std::make_unique<Query>(m_db, probe) });
    }
    for (const IndexInfo& i : table.indexes) {
        const bool serves = std::any_of(table.constraints.begin(), table.constraints.end(),
            [&](const ConstraintInfo& c) { return c.enforcement == i.storage; });
        if (i.unique && !serves)
            k.unique.push_back({ table.owner + "." + i.name, i.columns, isNullForm(i.storage) });
    }
    if (!k.parents.empty())
        k.undo = std::make_unique<Query>(
            m_db, "DELETE FROM " + dataTable(table.id) + " WHERE rowid = ?");
    if (table.identity) {
        k.identity = table.identity->definition;
        k.nextIdentity = identityNextValue(table.id);
        k.saveIdentity = std::make_unique<Query>(
            m_db, "UPDATE ora_identity SET next_value = ? WHERE table_id = ?");
    }
    return writer;
}

struct TableCursor::Rows {
    Lease lease;
    ColumnEquals equal; // the values looked up, bound in place
    std::vector<std::string> texts;

    Query& query() { return lease.query(); }
};

TableCursor::~TableCursor()
{
    release();
}

void TableCursor::release()
{
    // The statement goes before its connection; closing the connection ends
    // the read transaction, so checkpoints may pass the snapshot again.
    m_rows.reset();
    m_reader.reset();
}

bool TableCursor::next(std::vector<Cell>& row)
{
    if (!m_rows)
        return false;
    bool more = false;
    try {
        more = m_rows->query().step();
    } catch (...) {
        release();
        throw;
    }
    if (!more) {
        // Let go at once: an application may keep a fully read statement
        // open for a while and meanwhile drop the table on its connection.
        release();
        return false;
    }
    const Query& q = m_rows->query();
    const int first = m_withRowids ? 1 : 0;
    if (m_withRowids)
        m_rowid = q.integer(0);
    row.resize(m_table.columns.size());
    for (std::size_t i = 0; i < row.size(); ++i)
        readCell(q, int(i) + first, m_table.columns[i].type, row[i]);
    return true;
}

namespace {

std::string rowsQuery(long long table, const ColumnEquals* equal, bool rowids)
{
    std::string sql
        = std::string(rowids ? "SELECT rowid, * FROM " : "SELECT * FROM ") + dataTable(table);
    for (std::size_t i = 0; equal && i < equal->size(); ++i)
        sql += (i ? " AND c" : " WHERE c") + std::to_string((*equal)[i].first) + " = ?";
    return sql + " ORDER BY rowid";
}

void bindLookup(TableCursor::Rows& rows, const ColumnEquals* equal)
{
    if (!equal)
        return;
    rows.equal = *equal;
    rows.texts.resize(equal->size());
    for (std::size_t i = 0; i < equal->size(); ++i)
        bindCell(rows.query(), int(i) + 1, rows.equal[i].second, rows.texts[i]);
}

} // namespace

void Storage::lease(const std::string& sql, Lease& into)
{
    if (!m_statements)
        m_statements.reset(new Statements);
    auto& entry = m_statements->entries[sql];
    if (!entry)
        entry.reset(new CachedStatement { Query(m_db, sql), false });
    if (entry->busy) {
        into.owned = std::make_unique<Query>(m_db, sql);
        return;
    }
    entry->query.reset();
    entry->busy = true;
    into.cached = entry.get();
}

void Storage::runCached(const char* sql)
{
    Lease l;
    lease(sql, l);
    l.query().step();
}

std::unique_ptr<TableCursor> Storage::openRows(const TableInfo& table, const ColumnEquals* equal)
{
    std::unique_ptr<TableCursor> cursor(new TableCursor);
    cursor->m_table = table;
    cursor->m_withRowids = true;
    const std::string sql = rowsQuery(table.id, equal, true);
    cursor->m_rows.reset(new TableCursor::Rows);
    lease(sql, cursor->m_rows->lease);
    bindLookup(*cursor->m_rows, equal);
    return cursor;
}

std::unique_ptr<TableCursor> Storage::openTable(
    const std::string& owner, const std::string& name, const ColumnEquals* equal)
{
    std::unique_ptr<TableCursor> cursor(new TableCursor);
    Storage* reader = this;
    if (!transactionOpen()) {
        cursor->m_reader = open(m_path);
        reader = cursor->m_reader.get();
        // The catalog lookup starts the read transaction, so the columns and
        // the rows come from one snapshot, taken now as Oracle takes it at
        // execute. It stays open until the last row has been read or the
        // cursor is closed.
        reader->exec("BEGIN");
    }
    auto table = reader->findTableLocked(owner, name);
    if (!table)
        return nullptr;
    cursor->m_table = std::move(*table);
    cursor->m_rows.reset(new TableCursor::Rows);
    cursor->m_rows->lease.owned
        = std::make_unique<Query>(reader->m_db, rowsQuery(cursor->m_table.id, equal, false));
    bindLookup(*cursor->m_rows, equal);
    return cursor;
}

} // namespace orastandin

#include "storage.h"

#include "interval.h"
#include "ora_error.h"
#include "write_turns.h"

#include <cstdlib>
#include <map>
#include <sqlite3.h>
#include <stdexcept>
#include <sys/stat.h>

namespace orastandin {

namespace {

[[noreturn]] void sqliteFailed(sqlite3* db, const std::string& reason)
{
    // A writer that would wait for its own thread's transaction.
    if (sqlite3_errcode(db) == SQLITE_BUSY && writeturns::takeDeadlock())
        throwOra(60, "deadlock detected while waiting for resource");
    // Storage faults have no Oracle counterpart worth imitating; report
    // them as an internal error with SQLite's reason.
    throwOra(600, "internal error code, arguments: [sqlite], [" + reason + "]");
}

// A prepared SQLite statement that finalizes itself.
class Query {
public:
    Query(sqlite3* db, const std::string& sql)
        : m_db(db)
    {
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &m_stmt, nullptr) != SQLITE_OK)
            fail();
    }
    ~Query() { sqlite3_finalize(m_stmt); }
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    Query& bind(int i, const std::string& text)
    {
        sqlite3_bind_text(m_stmt, i, text.data(), int(text.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Query& bind(int i, long long v)
    {
        sqlite3_bind_int64(m_stmt, i, v);
        return *this;
    }
    Query& bindBlob(int i, const std::string& bytes)
    {
        sqlite3_bind_blob(m_stmt, i, bytes.data(), int(bytes.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Query& bindNull(int i)
    {
        sqlite3_bind_null(m_stmt, i);
        return *this;
    }
    // Runs an INSERT; false when a unique index refuses the row.
    bool insertUnique()
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_DONE)
            return true;
        if (rc == SQLITE_CONSTRAINT)
            return false;
        fail();
    }
    // Binds without copying: the text must stay put until the next reset.
    void bindInPlace(int i, const std::string& text, bool blob)
    {
        if (blob)
            sqlite3_bind_blob(m_stmt, i, text.data(), int(text.size()), SQLITE_STATIC);
        else
            sqlite3_bind_text(m_stmt, i, text.data(), int(text.size()), SQLITE_STATIC);
    }
    // Makes the statement ready to run again.
    void reset() { sqlite3_reset(m_stmt); }
    // Forgets values bound in place, before they go away.
    void clearBindings() { sqlite3_clear_bindings(m_stmt); }
    // True while a row is available.
    bool step()
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            fail();
        return false;
    }
    bool isNull(int col) const { return sqlite3_column_type(m_stmt, col) == SQLITE_NULL; }
    long long integer(int col) const { return sqlite3_column_int64(m_stmt, col); }
    // The value's bytes, valid until the next step.
    std::string_view view(int col) const
    {
        const auto* p = static_cast<const char*>(sqlite3_column_blob(m_stmt, col));
        return p ? std::string_view(p, std::size_t(sqlite3_column_bytes(m_stmt, col)))
                 : std::string_view();
    }
    // The value as NUL-terminated text, valid until the next step.
    const char* cText(int col) const
    {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, col));
        return p ? p : "";
    }
    std::string text(int col) const
    {
        const auto* p = static_cast<const char*>(sqlite3_column_blob(m_stmt, col));
        return p ? std::string(p, std::size_t(sqlite3_column_bytes(m_stmt, col))) : std::string();
    }

private:
    [[noreturn]] void fail() { sqliteFailed(m_db, sqlite3_errmsg(m_db)); }

    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
};

} // namespace

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

// Runs a block inside BEGIN IMMEDIATE ... COMMIT, rolling back on a throw;
// inside a transaction that is already open, a savepoint keeps it whole.
template <typename F> void inTransaction(sqlite3* db, const std::string& path, F&& body)
{
    const bool nested = sqlite3_get_autocommit(db) == 0;
    Query(db, nested ? "SAVEPOINT step" : "BEGIN IMMEDIATE").step();
    if (!nested)
        writeturns::held(path, db);
    try {
        body();
        Query(db, nested ? "RELEASE step" : "COMMIT").step();
    } catch (...) {
        sqlite3_exec(
            db, nested ? "ROLLBACK TO step; RELEASE step" : "ROLLBACK", nullptr, nullptr, nullptr);
        if (!nested)
            writeturns::released(path, db);
        throw;
    }
    if (!nested)
        writeturns::released(path, db);
}

// Binds a cell as RowWriter stores it and readCell reads it back; dates and
// reals go through `scratch`, which must stay put until the step.
template <typename Q> void bindCell(Q& q, int at, const Cell& c, std::string& scratch)
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
        scratch = realToText(c.real, false);
        q.bindInPlace(at, scratch, false);
        break;
    case Cell::Kind::DateTime:
        scratch = formatCanonical(c.dateTime, 9);
        q.bindInPlace(at, scratch, false);
        break;
    }
}

std::string dataTable(long long id)
{
    return "\"d" + std::to_string(id) + "\"";
}

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

std::string keyIndex(long long id)
{
    return "\"d" + std::to_string(id) + "_pk\"";
}

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
}

void Storage::upgrade()
{
    {
        Query q(m_db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'ora_counters'");
        if (q.step())
            return;
    }
    try {
        exec(constraintSchema);
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

std::optional<TableInfo> Storage::findTableLocked(const std::string& owner, const std::string& name)
{
    Query q(m_db, "SELECT id FROM ora_tables WHERE owner = ? AND name = ?");
    q.bind(1, owner).bind(2, name);
    if (!q.step())
        return std::nullopt;
    TableInfo t { q.integer(0), owner, name, {}, std::nullopt };
    Query cols(m_db,
        "SELECT c.name, c.kind, c.length, c.char_semantics, c.precision, c.scale, c.scale_given, "
        "d.kind, d.text, d.mask, d.number_argument, d.leading_precision, d.fraction_precision "
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
    Query keys(m_db,
        "SELECT k.name, k.type, cc.column_position FROM ora_constraints k "
        "JOIN ora_constraint_columns cc ON cc.constraint_id = k.id "
        "WHERE k.table_id = ? ORDER BY k.id, cc.position");
    keys.bind(1, t.id);
    while (keys.step()) {
        const auto position = std::size_t(keys.integer(2));
        if (position >= t.columns.size())
            continue;
        t.columns[position].notNull = true;
        if (keys.text(1) == "P") {
            if (!t.primaryKey)
                t.primaryKey = KeyInfo { keys.text(0), {} };
            t.primaryKey->columns.push_back(position);
        }
    }
    return t;
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

void Storage::createTable(const std::string& owner, const CreateTableStmt& table)
{
    inTransaction(m_db, m_path, [&] {
        if (findTableLocked(owner, table.table))
            throwOra(955, "name is already used by an existing object");
        catalogChanged();
        Query ins(m_db, "INSERT INTO ora_tables(owner, name) VALUES(?, ?)");
        ins.bind(1, owner).bind(2, table.table).step();
        const long long id = sqlite3_last_insert_rowid(m_db);
        std::string ddl = "CREATE TABLE " + dataTable(id) + "(";
        for (std::size_t i = 0; i < table.columns.size(); ++i) {
            const ColumnDef& c = table.columns[i];
            Query col(m_db, "INSERT INTO ora_columns VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?)");
            col.bind(1, id)
                .bind(2, (long long)i)
                .bind(3, c.name)
                .bind(4, (long long)c.type.kind)
                .bind(5, (long long)c.type.length)
                .bind(6, (long long)c.type.charSemantics)
                .bind(7, (long long)c.type.precision)
                .bind(8, (long long)c.type.scale)
                .bind(9, (long long)c.type.scaleGiven)
                .step();
            ddl += (i ? ", c" : "c") + std::to_string(i);
            if (const auto& d = c.defaultValue) {
                Query def(m_db, "INSERT INTO ora_defaults VALUES(?, ?, ?, ?, ?, ?, ?, ?)");
                def.bind(1, id).bind(2, (long long)i).bind(3, (long long)d->kind).bind(4, d->text);
                if (d->mask)
                    def.bind(5, *d->mask);
                else
                    def.bindNull(5);
                def.bind(6, (long long)d->numberArgument)
                    .bind(7, (long long)d->leadingPrecision)
                    .bind(8, (long long)d->fractionPrecision)
                    .step();
            }
        }
        ddl += ")";
        exec(ddl.c_str());
        for (const ConstraintDef& k : table.constraints) {
            const bool key = k.kind == ConstraintDef::Kind::PrimaryKey;
            Query con(m_db,
                "INSERT INTO ora_constraints(owner, name, table_id, type) VALUES(?, ?, ?, ?)");
            con.bind(1, owner)
                .bind(2, constraintName(owner, k))
                .bind(3, id)
                .bind(4, std::string(key ? "P" : "C"))
                .step();
            const long long constraintId = sqlite3_last_insert_rowid(m_db);
            std::string index
                = "CREATE UNIQUE INDEX " + keyIndex(id) + " ON " + dataTable(id) + "(";
            for (std::size_t i = 0; i < k.columns.size(); ++i) {
                std::size_t position = 0;
                while (table.columns[position].name != k.columns[i])
                    ++position;
                Query col(m_db, "INSERT INTO ora_constraint_columns VALUES(?, ?, ?)");
                col.bind(1, constraintId).bind(2, (long long)i).bind(3, (long long)position).step();
                index += (i ? ", c" : "c") + std::to_string(position);
            }
            if (key)
                exec((index + ")").c_str());
        }
    });
}

void Storage::dropTable(const std::string& owner, const std::string& name)
{
    inTransaction(m_db, m_path, [&] {
        const auto t = findTableLocked(owner, name);
        if (!t)
            throwOra(942, "table or view does not exist");
        catalogChanged();
        const std::string id = std::to_string(t->id);
        Query(m_db,
            "DELETE FROM ora_constraint_columns WHERE constraint_id IN "
            "(SELECT id FROM ora_constraints WHERE table_id = "
                + id + ")")
            .step();
        Query(m_db, "DELETE FROM ora_constraints WHERE table_id = " + id).step();
        Query(m_db, "DELETE FROM ora_defaults WHERE table_id = " + id).step();
        Query(m_db, "DELETE FROM ora_columns WHERE table_id = " + std::to_string(t->id)).step();
        Query(m_db, "DELETE FROM ora_tables WHERE id = " + std::to_string(t->id)).step();
        exec(("DROP TABLE " + dataTable(t->id)).c_str());
    });
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

struct RowWriter::Statement {
    Lease lease;
    std::vector<std::string> texts; // dates and reals as stored, kept until the step
};

RowWriter::~RowWriter() = default;

namespace {

void bindRow(Query& q, std::vector<std::string>& texts, const std::vector<Cell>& row)
{
    texts.resize(row.size());
    for (std::size_t i = 0; i < row.size(); ++i)
        bindCell(q, int(i) + 1, row[i], texts[i]);
}

} // namespace

void RowWriter::insert(const std::vector<Cell>& row)
{
    // Bound in place, as arrays of rows pass here.
    Query& q = m_insert->lease.query();
    q.reset();
    bindRow(q, m_insert->texts, row);
    if (!q.insertUnique())
        throwOra(1, "unique constraint (" + m_key + ") violated");
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
    Query& q = m_update->lease.query();
    q.reset();
    bindRow(q, m_update->texts, row);
    q.bind(int(m_columns) + 1, rowid);
    if (!q.insertUnique())
        throwOra(1, "unique constraint (" + m_key + ") violated");
}

void RowWriter::remove(long long rowid)
{
    if (!m_delete) {
        m_delete.reset(new Statement);
        m_storage->lease("DELETE FROM " + dataTable(m_table) + " WHERE rowid = ?", m_delete->lease);
    }
    Query& q = m_delete->lease.query();
    q.reset();
    q.bind(1, rowid);
    q.step();
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
    writer->m_table = table.id;
    writer->m_columns = table.columns.size();
    writer->m_key = table.owner + "." + (table.primaryKey ? table.primaryKey->name : std::string());
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

// What CREATE TABLE, ALTER TABLE, CREATE and DROP INDEX, COMMENT and DROP
// TABLE do to a SID's catalog and to the SQLite tables and indexes under it.

#include "key_storage.h"
#include "ora_error.h"
#include "sqlite_query.h"
#include "storage.h"
#include "table_rules.h"

#include <algorithm>
#include <set>

namespace orastandin {

using sqlite::dataTable;
using sqlite::inTransaction;
using sqlite::Query;

namespace {

// Types a foreign key may pair: the same family of values.
int family(const ColumnType& type)
{
    if (type.isNumeric() || type.kind == TypeKind::BinaryFloat
        || type.kind == TypeKind::BinaryDouble)
        return 1;
    if (type.isDateTime())
        return 2 + int(type.kind);
    if (type.isBinary())
        return 20;
    if (type.isInterval())
        return 21;
    return 22; // character types
}

std::string qualified(const std::string& owner, const std::string& name)
{
    return owner + "." + name;
}

} // namespace

TableInfo Storage::requireTable(const std::string& owner, const std::string& name)
{
    auto t = findTableLocked(owner, name);
    if (!t)
        throwOra(942, "table or view does not exist");
    return std::move(*t);
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
            Query col(m_db, "INSERT INTO ora_columns VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
            col.bind(1, id)
                .bind(2, (long long)i)
                .bind(3, c.name)
                .bind(4, (long long)c.type.kind)
                .bind(5, (long long)c.type.length)
                .bind(6, (long long)c.type.charSemantics)
                .bind(7, (long long)c.type.precision)
                .bind(8, (long long)c.type.scale)
                .bind(9, (long long)c.type.scaleGiven)
                .bind(10, (long long)c.type.starPrecision)
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
            if (const auto& identity = c.identity) {
                Query q(m_db,
                    "INSERT INTO ora_identity VALUES(?, ?, 0, 0, 0, 0, NULL, NULL, 0, 0, 0, 0)");
                q.bind(1, id).bind(2, (long long)i).step();
                saveIdentity(id, *identity, identity->startWith);
            }
        }
        ddl += ")";
        exec(ddl.c_str());
        TableInfo t = requireTable(owner, table.table);
        // Foreign keys last: they may refer to a key of this very table
        // written after them.
        for (const bool foreign : { false, true }) {
            for (const ConstraintDef& k : table.constraints) {
                if ((k.kind == ConstraintDef::Kind::ForeignKey) == foreign)
                    addConstraint(t, k);
            }
        }
    });
}

void Storage::saveIdentity(long long tableId, const IdentityDef& d, long long next)
{
    Query q(m_db,
        "UPDATE ora_identity SET always = ?, on_null = ?, start_with = ?, increment_by = ?, "
        "max_value = ?, min_value = ?, cycle = ?, cache = ?, ordered = ?, next_value = ? "
        "WHERE table_id = ?");
    q.bind(1, (long long)d.always)
        .bind(2, (long long)d.onNull)
        .bind(3, d.startWith)
        .bind(4, d.incrementBy);
    if (d.maxValue)
        q.bind(5, *d.maxValue);
    else
        q.bindNull(5);
    if (d.minValue)
        q.bind(6, *d.minValue);
    else
        q.bindNull(6);
    q.bind(7, (long long)d.cycle)
        .bind(8, d.cache)
        .bind(9, (long long)d.order)
        .bind(10, next)
        .bind(11, tableId)
        .step();
}

long long Storage::identityNextValue(long long tableId)
{
    Query q(m_db, "SELECT next_value FROM ora_identity WHERE table_id = ?");
    return q.bind(1, tableId).step() ? q.integer(0) : 0;
}

void Storage::addConstraint(TableInfo& t, const ConstraintDef& k, const CheckValidator* validate)
{
    const std::string name = constraintName(t.owner, k);
    static constexpr char types[] = { 'C', 'P', 'U', 'R', 'C' };
    Query con(m_db,
        "INSERT INTO ora_constraints(owner, name, table_id, type, generated, search_condition, "
        "delete_rule) VALUES(?, ?, ?, ?, ?, ?, ?)");
    con.bind(1, t.owner)
        .bind(2, name)
        .bind(3, t.id)
        .bind(4, std::string(1, types[int(k.kind)]))
        .bind(5, (long long)k.name.empty());
    if (k.kind == ConstraintDef::Kind::Check)
        con.bind(6, k.condition);
    else
        con.bindNull(6);
    con.bind(7, (long long)k.deleteRule).step();
    const long long id = sqlite3_last_insert_rowid(m_db);
    const std::vector<std::size_t> positions = columnPositions(t.columns, k.columns);
    auto saveColumns = [&](const std::vector<std::size_t>& columns) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            Query col(m_db, "INSERT INTO ora_constraint_columns VALUES(?, ?, ?)");
            col.bind(1, id).bind(2, (long long)i).bind(3, (long long)columns[i]).step();
        }
    };
    ConstraintDef named = k;
    named.name = name;
    if (k.kind == ConstraintDef::Kind::PrimaryKey || k.kind == ConstraintDef::Kind::Unique) {
        saveColumns(positions);
        addKey(t, named, id, positions, k.name.empty());
    } else if (k.kind == ConstraintDef::Kind::ForeignKey) {
        saveColumns(addForeignKey(t, named, id, positions));
    } else {
        saveColumns(positions);
        if (k.kind == ConstraintDef::Kind::Check && validate)
            (*validate)(t, named, qualified(t.owner, name));
    }
    catalogChanged();
    t = requireTable(t.owner, t.name);
}

void Storage::addKey(TableInfo& t, const ConstraintDef& k, long long constraintId,
    const std::vector<std::size_t>& positions, bool generatedName)
{
    const bool primary = k.kind == ConstraintDef::Kind::PrimaryKey;
    const std::string name = qualified(t.owner, k.name);
    if (primary) {
        std::string where;
        for (const std::size_t p : positions)
            where += (where.empty() ? "c" : " OR c") + std::to_string(p) + " IS NULL";
        Query nulls(m_db, "SELECT 1 FROM " + dataTable(t.id) + " WHERE " + where + " LIMIT 1");
        if (nulls.step())
            throwOra(1449, "column contains NULL values; cannot alter to NOT NULL");
    }
    auto duplicates = [&]() {
        if (primary)
            throwOra(2437, "cannot validate (" + name + ") - primary key violated");
        throwOra(2299, "cannot validate (" + name + ") - duplicate keys found");
    };
    // Oracle enforces the key with an index on exactly its columns where
    // there is one, and otherwise makes one named after the constraint.
    const std::vector<bool> ascending(positions.size(), false);
    const auto adopted = std::find_if(t.indexes.begin(), t.indexes.end(),
        [&](const IndexInfo& i) { return i.columns == positions && i.descending == ascending; });
    long long indexId = 0;
    std::string enforcement;
    const bool own = adopted == t.indexes.end();
    if (!own) {
        indexId = adopted->id;
        if (adopted->unique) {
            enforcement = adopted->storage;
        } else {
            // A non-unique index serves the constraint; SQLite needs one more
            // to keep the rows unique.
            enforcement
                = keyStorageName("u", constraintId, !primary && keyNeedsNullForm(t, positions));
            if (!tryExec(keyIndexSql(enforcement, t.id, true, positions, ascending)))
                duplicates();
        }
    } else {
        const auto made
            = insertIndex(t, k.name, true, generatedName, positions, ascending, primary);
        if (!made)
            duplicates();
        indexId = *made;
        Query storage(m_db, "SELECT storage FROM ora_indexes WHERE id = ?");
        storage.bind(1, indexId).step();
        enforcement = storage.text(0);
    }
    Query q(m_db,
        "UPDATE ora_constraints SET index_id = ?, own_index = ?, enforcement = ? WHERE id = ?");
    q.bind(1, indexId).bind(2, (long long)own).bind(3, enforcement).bind(4, constraintId).step();
}

std::vector<std::size_t> Storage::addForeignKey(TableInfo& t, const ConstraintDef& k,
    long long constraintId, const std::vector<std::size_t>& positions)
{
    const TableInfo parent = k.refTable == t.name ? t : requireTable(t.owner, k.refTable);
    const ConstraintInfo* key = nullptr;
    std::vector<std::size_t> written; // the parent's columns as written
    if (k.refColumns.empty()) {
        for (const ConstraintInfo& c : parent.constraints) {
            if (c.type == 'P')
                key = &c;
        }
        if (!key)
            throwOra(2268, "referenced table does not have a primary key");
        written = key->columns;
    } else {
        written = columnPositions(parent.columns, k.refColumns);
        std::vector<std::size_t> sorted = written;
        std::sort(sorted.begin(), sorted.end());
        for (const ConstraintInfo& c : parent.constraints) {
            std::vector<std::size_t> columns = c.columns;
            std::sort(columns.begin(), columns.end());
            if ((c.type == 'P' || c.type == 'U') && columns == sorted)
                key = &c;
        }
    }
    if (written.size() != positions.size())
        throwOra(2256, "number of referencing columns must match referenced columns");
    if (!key)
        throwOra(2270, "no matching unique or primary key for this column-list");
    // The child's columns in the order of the key's, as USER_CONS_COLUMNS pairs them.
    std::vector<std::size_t> child;
    for (const std::size_t keyColumn : key->columns) {
        const std::size_t i
            = std::size_t(std::find(written.begin(), written.end(), keyColumn) - written.begin());
        if (family(t.columns[positions[i]].type) != family(parent.columns[keyColumn].type))
            throwOra(2267, "column type incompatible with referenced column type");
        child.push_back(positions[i]);
    }
    Query link(m_db, "UPDATE ora_constraints SET r_constraint_id = ? WHERE id = ?");
    link.bind(1, key->id).bind(2, constraintId).step();

    // The rows already there must each find their parent.
    std::string sql = "SELECT 1 FROM " + dataTable(t.id) + " c WHERE ";
    for (const std::size_t p : child)
        sql += "c.c" + std::to_string(p) + " IS NOT NULL AND ";
    sql += "NOT EXISTS (SELECT 1 FROM " + dataTable(parent.id) + " WHERE "
        + keyProbeTerms(key->columns, key->enforcement,
            [&](std::size_t i) { return "c.c" + std::to_string(child[i]); })
        + ") LIMIT 1";
    Query orphans(m_db, sql);
    if (orphans.step())
        throwOra(
            2298, "cannot validate (" + qualified(t.owner, k.name) + ") - parent keys not found");
    return child;
}

std::optional<long long> Storage::insertIndex(const TableInfo& t, const std::string& name,
    bool unique, bool generatedName, const std::vector<std::size_t>& columns,
    const std::vector<bool>& descending, bool primary)
{
    Query taken(m_db, "SELECT 1 FROM ora_indexes WHERE owner = ? AND name = ?");
    if (taken.bind(1, t.owner).bind(2, name).step())
        throwOra(955, "name is already used by an existing object");
    Query ins(m_db,
        "INSERT INTO ora_indexes(owner, name, table_id, is_unique, generated, storage) "
        "VALUES(?, ?, ?, ?, ?, '')");
    ins.bind(1, t.owner)
        .bind(2, name)
        .bind(3, t.id)
        .bind(4, (long long)unique)
        .bind(5, (long long)generatedName)
        .step();
    const long long id = sqlite3_last_insert_rowid(m_db);
    const std::string storage
        = keyStorageName("x", id, unique && !primary && keyNeedsNullForm(t, columns));
    Query(
        m_db, "UPDATE ora_indexes SET storage = '" + storage + "' WHERE id = " + std::to_string(id))
        .step();
    // Oracle numbers the hidden columns of descending keys after the
    // table's columns and the hidden columns made before.
    long long hidden = (long long)t.columns.size();
    for (const IndexInfo& i : t.indexes) {
        for (const int v : i.virtualColumns)
            hidden = std::max(hidden, (long long)v);
    }
    for (std::size_t i = 0; i < columns.size(); ++i) {
        Query col(m_db, "INSERT INTO ora_index_columns VALUES(?, ?, ?, ?, ?)");
        col.bind(1, id)
            .bind(2, (long long)i)
            .bind(3, (long long)columns[i])
            .bind(4, (long long)descending[i])
            .bind(5, descending[i] ? ++hidden : 0)
            .step();
    }
    if (!tryExec(keyIndexSql(storage, t.id, unique, columns, descending)))
        return std::nullopt;
    return id;
}

bool Storage::tryExec(const std::string& sql)
{
    char* error = nullptr;
    const int rc = sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &error);
    const std::string reason = error ? error : "unknown";
    sqlite3_free(error);
    if (rc == SQLITE_OK)
        return true;
    if (rc == SQLITE_CONSTRAINT)
        return false;
    throwOra(600, "internal error code, arguments: [sqlite], [" + reason + "]");
}

void Storage::deleteConstraint(long long id)
{
    const std::string key = std::to_string(id);
    Query(m_db, "DELETE FROM ora_constraint_columns WHERE constraint_id = " + key).step();
    Query(m_db, "DELETE FROM ora_constraints WHERE id = " + key).step();
}

void Storage::dropIndexRows(long long id, const std::string& storage)
{
    const std::string key = std::to_string(id);
    Query(m_db, "DELETE FROM ora_index_columns WHERE index_id = " + key).step();
    Query(m_db, "DELETE FROM ora_indexes WHERE id = " + key).step();
    exec(("DROP INDEX IF EXISTS " + storage).c_str());
}

void Storage::dropConstraint(const TableInfo& t, const ConstraintInfo& k, bool cascade)
{
    if (k.isNotNull() && t.identity && k.columns.size() == 1 && k.columns[0] == t.identity->column)
        throwOra(30672, "cannot drop NOT NULL constraint on an identity column");
    for (const ReferenceInfo& r : t.referencedBy) {
        if (r.keyId != k.id)
            continue;
        if (!cascade)
            throwOra(2273, "this unique/primary key is referenced by some foreign keys");
        deleteConstraint(r.constraintId);
    }
    if (k.type == 'P' || k.type == 'U') {
        bool ownIndex = false;
        long long indexId = 0;
        {
            Query own(m_db, "SELECT own_index, index_id FROM ora_constraints WHERE id = ?");
            own.bind(1, k.id).step();
            ownIndex = own.integer(0) != 0;
            indexId = own.integer(1);
        }
        const auto index = std::find_if(t.indexes.begin(), t.indexes.end(),
            [&](const IndexInfo& i) { return i.id == indexId; });
        if (ownIndex && index != t.indexes.end())
            dropIndexRows(index->id, index->storage);
        else if (index == t.indexes.end() || k.enforcement != index->storage)
            exec(("DROP INDEX IF EXISTS " + k.enforcement).c_str());
    }
    deleteConstraint(k.id);
}

void Storage::dropTable(const std::string& owner, const std::string& name, bool cascadeConstraints)
{
    inTransaction(m_db, m_path, [&] {
        const TableInfo t = requireTable(owner, name);
        for (const ReferenceInfo& r : t.referencedBy) {
            if (r.childTableId == t.id)
                continue;
            if (!cascadeConstraints)
                throwOra(2449, "unique/primary keys in table referenced by foreign keys");
            deleteConstraint(r.constraintId);
        }
        catalogChanged();
        for (const ConstraintInfo& k : t.constraints)
            deleteConstraint(k.id);
        for (const IndexInfo& i : t.indexes)
            dropIndexRows(i.id, i.storage);
        const std::string id = std::to_string(t.id);
        for (const char* table : { "ora_defaults", "ora_identity", "ora_comments", "ora_columns" })
            Query(m_db, std::string("DELETE FROM ") + table + " WHERE table_id = " + id).step();
        Query(m_db, "DELETE FROM ora_tables WHERE id = " + id).step();
        exec(("DROP TABLE " + dataTable(t.id)).c_str());
    });
}

void Storage::alterTable(
    const std::string& owner, const AlterTableStmt& alter, const CheckValidator& validate)
{
    inTransaction(m_db, m_path, [&] {
        TableInfo t = requireTable(owner, alter.table);
        catalogChanged();
        switch (alter.action) {
        case AlterTableStmt::Action::AddConstraints: {
            // The new constraints are checked against the ones there, as CREATE TABLE checks its
            // own.
            std::vector<ConstraintDef> all;
            for (const ConstraintInfo& k : t.constraints) {
                if (k.type != 'P' && k.type != 'U')
                    continue;
                ConstraintDef d;
                d.kind
                    = k.type == 'P' ? ConstraintDef::Kind::PrimaryKey : ConstraintDef::Kind::Unique;
                d.name = k.name;
                for (const std::size_t p : k.columns)
                    d.columns.push_back(t.columns[p].name);
                all.push_back(std::move(d));
            }
            const std::size_t first = all.size();
            std::set<std::string> names;
            for (const ConstraintDef& k : alter.constraints) {
                if (!k.name.empty() && !names.insert(k.name).second)
                    throwOra(2264, "name already used by an existing constraint");
                all.push_back(k);
            }
            std::vector<ColumnDef> columns = t.columns;
            checkNewConstraints(columns, all, first);
            for (const bool foreign : { false, true }) {
                for (const ConstraintDef& k : alter.constraints) {
                    if ((k.kind == ConstraintDef::Kind::ForeignKey) == foreign)
                        addConstraint(t, k, &validate);
                }
            }
            break;
        }
        case AlterTableStmt::Action::DropConstraint: {
            const auto k = std::find_if(t.constraints.begin(), t.constraints.end(),
                [&](const ConstraintInfo& c) { return c.name == alter.constraint; });
            if (k == t.constraints.end())
                throwOra(2443, "Cannot drop constraint  - nonexistent constraint");
            dropConstraint(t, *k, alter.cascade);
            break;
        }
        case AlterTableStmt::Action::ModifyIdentity:
            modifyIdentity(t, alter);
            break;
        }
    });
}

void Storage::modifyIdentity(const TableInfo& t, const AlterTableStmt& alter)
{
    const std::size_t column = columnPositions(t.columns, { alter.column }).front();
    if (!t.identity || t.identity->column != column)
        throwOra(30673, "column to be modified is not an identity column");
    IdentityDef d = t.identity->definition;
    const IdentityDef& n = alter.identity;
    const AlterTableStmt::Given& given = alter.given;
    d.always = n.always;
    d.onNull = n.onNull;
    if (given.incrementBy)
        d.incrementBy = n.incrementBy;
    if (given.maxValue)
        d.maxValue = n.maxValue;
    if (given.minValue)
        d.minValue = n.minValue;
    if (given.cycle)
        d.cycle = n.cycle;
    if (given.cache)
        d.cache = n.cache;
    if (given.order)
        d.order = n.order;
    long long next = identityNextValue(t.id);
    if (alter.startWithLimitValue) {
        // Past the highest value in the column (the lowest, counting down).
        const std::string c = "c" + std::to_string(column);
        Query limit(m_db,
            std::string("SELECT ") + (d.incrementBy > 0 ? "max" : "min") + "(CAST(" + c
                + " AS INTEGER)) FROM " + dataTable(t.id));
        if (limit.step() && !limit.isNull(0))
            next = limit.integer(0) + d.incrementBy;
        d.startWith = next;
    } else if (given.startWith) {
        d.startWith = n.startWith;
        next = n.startWith;
    }
    saveIdentity(t.id, d, next);
}

void Storage::createIndex(const std::string& owner, const CreateIndexStmt& index)
{
    inTransaction(m_db, m_path, [&] {
        const TableInfo t = requireTable(owner, index.table);
        std::vector<std::string> names;
        std::vector<bool> descending;
        for (const IndexColumn& c : index.columns) {
            names.push_back(c.name);
            descending.push_back(c.descending);
        }
        const std::vector<std::size_t> positions = columnPositions(t.columns, names);
        checkIndexColumns(t.columns, positions);
        Query taken(m_db, "SELECT 1 FROM ora_indexes WHERE owner = ? AND name = ?");
        if (taken.bind(1, owner).bind(2, index.name).step())
            throwOra(955, "name is already used by an existing object");
        for (const IndexInfo& i : t.indexes) {
            if (i.columns == positions && i.descending == descending)
                throwOra(1408, "such column list already indexed");
        }
        catalogChanged();
        if (!insertIndex(t, index.name, index.unique, false, positions, descending, false))
            throwOra(1452, "cannot CREATE UNIQUE INDEX; duplicate keys found");
    });
}

void Storage::dropIndex(const std::string& owner, const std::string& name)
{
    inTransaction(m_db, m_path, [&] {
        long long id = 0;
        std::string storage;
        {
            Query q(m_db, "SELECT id, storage FROM ora_indexes WHERE owner = ? AND name = ?");
            if (!q.bind(1, owner).bind(2, name).step())
                throwOra(1418, "specified index does not exist");
            id = q.integer(0);
            storage = q.text(1);
        }
        Query used(m_db, "SELECT 1 FROM ora_constraints WHERE index_id = ?");
        if (used.bind(1, id).step())
            throwOra(2429, "cannot drop index used for enforcement of unique/primary key");
        catalogChanged();
        dropIndexRows(id, storage);
    });
}

void Storage::comment(const std::string& owner, const CommentStmt& comment)
{
    inTransaction(m_db, m_path, [&] {
        const TableInfo t = requireTable(owner, comment.table);
        const long long position = comment.column.empty()
            ? -1
            : (long long)columnPositions(t.columns, { comment.column }).front();
        catalogChanged();
        Query del(m_db, "DELETE FROM ora_comments WHERE table_id = ? AND position = ?");
        del.bind(1, t.id).bind(2, position).step();
        if (comment.text.empty())
            return;
        Query ins(m_db, "INSERT INTO ora_comments VALUES(?, ?, ?)");
        ins.bind(1, t.id).bind(2, position).bind(3, comment.text).step();
    });
}

} // namespace orastandin

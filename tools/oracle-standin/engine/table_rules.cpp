#include "table_rules.h"

#include "ora_error.h"

#include <algorithm>
#include <set>

namespace orastandin {

namespace {

bool isLob(const ColumnType& type)
{
    return type.kind == TypeKind::Clob || type.kind == TypeKind::NClob
        || type.kind == TypeKind::Blob;
}

// An 8 KB block holds keys of up to 6398 bytes; the stand-in counts the
// declared lengths, without Oracle's few bytes of overhead.
void checkKeyLength(
    const std::vector<ColumnDef>& columns, const std::vector<std::size_t>& positions)
{
    if (positions.size() > 32)
        throwOra(1793, "maximum number of index columns is 32");
    int bytes = 0;
    for (const std::size_t p : positions)
        bytes += columns[p].type.maximumBytes();
    if (bytes > 6398)
        throwOra(1450, "maximum key length (6398) exceeded");
}

bool isKey(const ConstraintDef& k)
{
    return k.kind == ConstraintDef::Kind::PrimaryKey || k.kind == ConstraintDef::Kind::Unique;
}

} // namespace

std::vector<std::size_t> columnPositions(
    const std::vector<ColumnDef>& columns, const std::vector<std::string>& names)
{
    std::vector<std::size_t> positions;
    std::set<std::string> seen;
    for (const std::string& name : names) {
        const auto it = std::find_if(
            columns.begin(), columns.end(), [&](const ColumnDef& c) { return c.name == name; });
        if (it == columns.end())
            throwOra(904, "\"" + name + "\": invalid identifier");
        if (!seen.insert(name).second)
            throwOra(957, "duplicate column name");
        positions.push_back(std::size_t(it - columns.begin()));
    }
    return positions;
}

void checkNewConstraints(std::vector<ColumnDef>& columns,
    const std::vector<ConstraintDef>& constraints, std::size_t first)
{
    for (std::size_t i = first; i < constraints.size(); ++i) {
        const ConstraintDef& k = constraints[i];
        if (k.kind == ConstraintDef::Kind::Check)
            continue;
        const std::vector<std::size_t> positions = columnPositions(columns, k.columns);
        if (k.kind == ConstraintDef::Kind::NotNull) {
            columns[positions.front()].notNull = true;
            continue;
        }
        if (k.kind == ConstraintDef::Kind::ForeignKey) {
            for (const std::size_t p : positions) {
                if (isLob(columns[p].type) || columns[p].type.isLong())
                    throwOra(2267, "column type incompatible with referenced column type");
            }
            continue;
        }
        for (std::size_t j = 0; j < i; ++j) {
            const ConstraintDef& other = constraints[j];
            if (k.kind == ConstraintDef::Kind::PrimaryKey
                && other.kind == ConstraintDef::Kind::PrimaryKey)
                throwOra(2260, "table can have only one primary key");
            if (isKey(other) && other.columns == k.columns)
                throwOra(2261, "such unique or primary key already exists in the table");
        }
        for (const std::size_t p : positions) {
            if (columns[p].type.isLong())
                throwOra(2269, "key column cannot be of LONG datatype");
            if (isLob(columns[p].type))
                throwOra(2329, "column of datatype LOB cannot be unique or a primary key");
        }
        checkKeyLength(columns, positions);
        if (k.kind == ConstraintDef::Kind::PrimaryKey) {
            // A key column is NOT NULL without a constraint of its own.
            for (const std::size_t p : positions)
                columns[p].notNull = true;
        }
    }
}

void checkIndexColumns(
    const std::vector<ColumnDef>& columns, const std::vector<std::size_t>& positions)
{
    for (const std::size_t p : positions) {
        if (columns[p].type.isLong())
            throwOra(997, "illegal use of LONG datatype");
        if (isLob(columns[p].type))
            throwOra(2327, "cannot create index on expression with datatype LOB");
    }
    checkKeyLength(columns, positions);
}

} // namespace orastandin

#include "key_storage.h"

#include "sqlite_query.h"

namespace orastandin {

namespace {

std::string column(std::size_t position)
{
    return "c" + std::to_string(position);
}

std::string keyTerm(std::size_t position, bool nullForm)
{
    return nullForm ? "ifnull(" + column(position) + ", 0)" : column(position);
}

} // namespace

std::string keyStorageName(const char* prefix, long long id, bool nullForm)
{
    return "\"" + std::string(prefix) + std::to_string(id) + (nullForm ? "_n" : "") + "\"";
}

bool isNullForm(const std::string& storage)
{
    return storage.size() > 3 && storage.compare(storage.size() - 3, 3, "_n\"") == 0;
}

bool keyNeedsNullForm(const TableInfo& table, const std::vector<std::size_t>& columns)
{
    if (columns.size() < 2)
        return false;
    for (const std::size_t p : columns) {
        if (!table.columns[p].notNull)
            return true;
    }
    return false;
}

std::string keyIndexSql(const std::string& storage, long long tableId, bool unique,
    const std::vector<std::size_t>& columns, const std::vector<bool>& descending)
{
    const bool nullForm = isNullForm(storage);
    std::string sql = std::string(unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ") + storage
        + " ON " + sqlite::dataTable(tableId) + "(";
    for (std::size_t i = 0; i < columns.size(); ++i)
        sql += (i ? ", " : "") + keyTerm(columns[i], nullForm) + (descending[i] ? " DESC" : "");
    sql += ")";
    if (nullForm) {
        sql += " WHERE ";
        for (std::size_t i = 0; i < columns.size(); ++i)
            sql += (i ? " OR " : "") + column(columns[i]) + " IS NOT NULL";
    }
    return sql;
}

std::string keyProbeTerms(const std::vector<std::size_t>& columns, const std::string& storage,
    const std::function<std::string(std::size_t)>& value)
{
    const bool nullForm = isNullForm(storage);
    std::string sql;
    for (std::size_t i = 0; i < columns.size(); ++i)
        sql += (i ? " AND " : "") + keyTerm(columns[i], nullForm) + " = " + value(i);
    // A term of the partial index's condition lets SQLite use it.
    if (nullForm)
        sql += " AND " + column(columns[0]) + " IS NOT NULL";
    return sql;
}

} // namespace orastandin

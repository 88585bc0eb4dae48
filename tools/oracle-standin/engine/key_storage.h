#pragma once

// How a key of an Oracle table lives in SQLite: the indexes that keep it
// unique or find rows by it, and the terms that look a key up.
//
// Oracle keeps no index entry for a key whose columns are all NULL and
// compares the others NULL for NULL, so (1, NULL) twice breaks a unique key
// of two columns; SQLite's unique indexes let any NULL pass. A unique key of
// several nullable columns is therefore indexed on ifnull(c, 0), an integer
// no stored value (always text or a blob) can equal, over the rows where
// one of its columns is not NULL: its "null form", marked in the SQLite
// index's name.

#include "storage.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace orastandin {

// A SQLite index name: "<prefix><id>", with "_n" for the null form.
std::string keyStorageName(const char* prefix, long long id, bool nullForm);
bool isNullForm(const std::string& storage);
// Whether a unique key over these columns needs the null form.
bool keyNeedsNullForm(const TableInfo& table, const std::vector<std::size_t>& columns);
// CREATE [UNIQUE] INDEX for a key or an index of the table.
std::string keyIndexSql(const std::string& storage, long long tableId, bool unique,
    const std::vector<std::size_t>& columns, const std::vector<bool>& descending);
// "term = value AND ..." finding the rows with a key whose columns are all
// not NULL, in the form the key's index `storage` can serve; value(i) is
// the SQL for the i-th column's value.
std::string keyProbeTerms(const std::vector<std::size_t>& columns, const std::string& storage,
    const std::function<std::string(std::size_t)>& value);

} // namespace orastandin

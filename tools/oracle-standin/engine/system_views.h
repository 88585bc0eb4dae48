#pragma once

#include "row_source.h"

#include <optional>
#include <string>

namespace orastandin {

class Storage;

// The dictionary's views and tables a user can name without owning them:
// DUAL and the data dictionary views (dictionary.h). Nothing when there is none called `name`. A
// user's own table of the same name comes first (the caller looks there before).
std::optional<RowSource> openSystemView(
    Storage& storage, const std::string& user, const std::string& name);

} // namespace orastandin

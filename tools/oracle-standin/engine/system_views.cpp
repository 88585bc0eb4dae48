#include "system_views.h"

#include "dictionary.h"
#include "storage.h"

namespace orastandin {

namespace {

ResultColumn varchar2Column(const char* name, int length, const char* view)
{
    ResultColumn c;
    c.name = name;
    c.type.kind = TypeKind::Varchar2;
    c.type.length = length;
    c.nullable = false;
    c.owner = "SYS";
    c.table = view;
    return c;
}

} // namespace

std::optional<RowSource> openSystemView(
    Storage& storage, const std::string& user, const std::string& name)
{
    if (name == "DUAL") {
        RowSource s;
        s.columns.push_back(varchar2Column("DUMMY", 1, "DUAL"));
        s.columns.back().nullable = true;
        s.rows = listedRows({ { Cell::text_("X") } });
        return s;
    }
    auto view = dictionaryView(name, [&] { return storage.tables(user); });
    if (!view)
        return std::nullopt;
    RowSource s;
    s.columns = std::move(view->columns);
    s.rows = listedRows(std::move(view->rows));
    return s;
}

} // namespace orastandin

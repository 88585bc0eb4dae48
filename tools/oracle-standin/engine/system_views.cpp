#include "system_views.h"

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
    if (name == "USER_TABLES") {
        // The one column the program reads.
        RowSource s;
        s.columns.push_back(varchar2Column("TABLE_NAME", 128, "USER_TABLES"));
        std::vector<std::vector<Cell>> rows;
        for (std::string& table : storage.tableNames(user))
            rows.push_back({ Cell::text_(std::move(table)) });
        s.rows = listedRows(std::move(rows));
        return s;
    }
    return std::nullopt;
}

} // namespace orastandin

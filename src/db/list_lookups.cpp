#include "db/list_lookups.h"

namespace tw::db {

bool ListHasItem(const TableList& list, const QString& name)
{
    bool found = false;
    const int count = list.ListCount();
    for (int i = 0; i < count; ++i) {
        if (list.List(i) == name)
            found = true;
    }
    return found;
}

bool ListHasItemNoCase(const TableList& list, const QString& name)
{
    return !ListFindItemNoCase(list, name).isNull();
}

QString ListFindItemNoCase(const TableList& list, const QString& name)
{
    QString found;
    const QString wanted = name.toLower();
    const int count = list.ListCount();
    for (int i = 0; i < count; ++i) {
        const QString entry = list.List(i);
        if (entry.toLower() == wanted)
            found = entry.isNull() ? QLatin1String("") : entry;
    }
    return found;
}

void ListRemoveItem(TableList& list, const QString& name)
{
    for (int i = 0; i < list.ListCount(); ++i) {
        if (list.List(i) == name) {
            list.RemoveItem(i);
            return;
        }
    }
}

} // namespace tw::db

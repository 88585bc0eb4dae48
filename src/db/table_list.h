#pragma once

#include <QString>

namespace tw::db {

// What the database routines need of a table list box: entries indexed from
// 0, a selection, and a current item (-1 when there is none) that is separate
// from the selection. Indexes are full-width: a list has no 32767 limit.
class TableList {
public:
    virtual ~TableList() = default;

    virtual int ListCount() const = 0;
    virtual QString List(int index) const = 0;
    virtual bool Selected(int index) const = 0;
    virtual void SetSelected(int index, bool selected) = 0;
    virtual int SelCount() const = 0;
    virtual int ListIndex() const = 0;
    virtual void SetListIndex(int index) = 0;
    // Adds a name in its sorted place.
    virtual void AddItem(const QString& name) = 0;
    virtual void RemoveItem(int index) = 0;
    virtual void Clear() = 0;
};

} // namespace tw::db

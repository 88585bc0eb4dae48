#pragma once

#include "db/table_list.h"

#include <QStringList>

namespace tw::db {

// The order of both table lists: letter case ignored, and names equal that
// way in the order of their exact text.
int compareTableNames(const QString& a, const QString& b);

// A table list without a window: the names in that order, a selection and a
// current item, for listing and copying from the command line.
class NameList : public TableList {
public:
    int ListCount() const override { return int(m_names.size()); }
    QString List(int index) const override;
    bool Selected(int index) const override;
    void SetSelected(int index, bool selected) override;
    int SelCount() const override;
    int ListIndex() const override { return m_current; }
    void SetListIndex(int index) override;
    void AddItem(const QString& name) override;
    void RemoveItem(int index) override;
    void Clear() override;

    const QStringList& names() const { return m_names; }

private:
    void requireIndex(int index) const;

    QStringList m_names;
    QList<bool> m_selected;
    int m_current = -1;
};

} // namespace tw::db

#include "db/name_list.h"

#include <algorithm>
#include <stdexcept>

namespace tw::db {

int compareTableNames(const QString& a, const QString& b)
{
    const int c = QString::compare(a, b, Qt::CaseInsensitive);
    return c != 0 ? c : QString::compare(a, b, Qt::CaseSensitive);
}

void NameList::requireIndex(int index) const
{
    if (index < 0 || index >= m_names.size())
        throw std::out_of_range("Invalid property array index");
}

QString NameList::List(int index) const
{
    requireIndex(index);
    return m_names[index];
}

bool NameList::Selected(int index) const
{
    requireIndex(index);
    return m_selected[index];
}

void NameList::SetSelected(int index, bool selected)
{
    requireIndex(index);
    m_selected[index] = selected;
}

int NameList::SelCount() const
{
    return int(std::count(m_selected.begin(), m_selected.end(), true));
}

void NameList::SetListIndex(int index)
{
    if (index != -1)
        requireIndex(index);
    m_current = index;
}

void NameList::AddItem(const QString& name)
{
    // After the names that sort before it or equal it, as the list box does.
    const auto at = std::upper_bound(m_names.begin(), m_names.end(), name,
        [](const QString& a, const QString& b) { return compareTableNames(a, b) < 0; });
    const qsizetype index = at - m_names.begin();
    m_names.insert(index, name);
    m_selected.insert(index, false);
    if (m_current >= index)
        ++m_current;
}

void NameList::RemoveItem(int index)
{
    requireIndex(index);
    m_names.removeAt(index);
    m_selected.removeAt(index);
    if (m_current == index)
        m_current = -1;
    else if (m_current > index)
        --m_current;
}

void NameList::Clear()
{
    m_names.clear();
    m_selected.clear();
    m_current = -1;
}

} // namespace tw::db

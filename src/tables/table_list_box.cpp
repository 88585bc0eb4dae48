#include "tables/table_list_box.h"

#include "db/name_list.h"

#include <QMouseEvent>
#include <stdexcept>

namespace tw::tables {

TableListBox::TableListBox(QWidget* parent)
    : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSortingEnabled(false); // sorted on insertion, ignoring case
    setUniformItemSizes(true);
    setMouseTracking(true);
    viewport()->setMouseTracking(true);
}

QListWidgetItem* TableListBox::itemOrThrow(int index) const
{
    QListWidgetItem* it = (index >= 0 && index < count()) ? item(index) : nullptr;
    if (!it)
        throw std::out_of_range("Invalid property array index");
    return it;
}

int TableListBox::ListCount() const
{
    return count();
}
QString TableListBox::List(int index) const
{
    return itemOrThrow(index)->text();
}
bool TableListBox::Selected(int index) const
{
    return itemOrThrow(index)->isSelected();
}
void TableListBox::SetSelected(int index, bool selected)
{
    itemOrThrow(index)->setSelected(selected);
}
int TableListBox::SelCount() const
{
    return int(selectedItems().size());
}
int TableListBox::ListIndex() const
{
    return currentRow();
}

void TableListBox::SetListIndex(int index)
{
    if (index == -1) {
        setCurrentRow(-1, QItemSelectionModel::NoUpdate);
        return;
    }
    itemOrThrow(index);
    setCurrentRow(index, QItemSelectionModel::NoUpdate);
}

void TableListBox::AddItem(const QString& name)
{
    // Binary search for the sorted place; equal names ignoring case keep a
    // stable order by their exact text.
    int lo = 0;
    int hi = count();
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (db::compareTableNames(item(mid)->text(), name) <= 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    insertItem(lo, name);
}

void TableListBox::RemoveItem(int index)
{
    delete takeItem(row(itemOrThrow(index)));
}
void TableListBox::Clear()
{
    clear();
}

QStringList TableListBox::Items() const
{
    QStringList out;
    for (int i = 0; i < count(); ++i)
        out << item(i)->text();
    return out;
}

void TableListBox::mouseMoveEvent(QMouseEvent* event)
{
    emit MouseMove(int(event->buttons()), int(event->modifiers()), event->position().toPoint().x(),
        event->position().toPoint().y());
    QListWidget::mouseMoveEvent(event);
    // Handled here: the frame beneath must not answer the same move.
    event->accept();
}

} // namespace tw::tables

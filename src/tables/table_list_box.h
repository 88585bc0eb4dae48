#pragma once

#include "db/table_list.h"

#include <QListWidget>

namespace tw::tables {

// A list box of table names: kept sorted ignoring letter case, extended
// multiple selection, and a current item that is separate from the selection.
class TableListBox : public QListWidget, public db::TableList {
    Q_OBJECT
public:
    explicit TableListBox(QWidget* parent = nullptr);

    int ListCount() const override;
    QString List(int index) const override;
    bool Selected(int index) const override;
    void SetSelected(int index, bool selected) override;
    int SelCount() const override;
    int ListIndex() const override;
    void SetListIndex(int index) override;
    void AddItem(const QString& name) override;
    void RemoveItem(int index) override;
    void Clear() override;

    // All entries, top to bottom (for tests and diagnostics).
    QStringList Items() const;

signals:
    void MouseMove(int button, int shift, int x, int y);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QListWidgetItem* itemOrThrow(int index) const;
};

} // namespace tw::tables

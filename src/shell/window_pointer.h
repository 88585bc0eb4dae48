#pragma once

#include <QCursor>
#include <QHash>
#include <QPointer>
#include <QWidget>

namespace tw::shell {

// A window's one pointer setting, which applies over the window and all its
// controls: 0 the default arrow, 11 busy (hourglass), 99 the window's custom
// pointer image (the arrow while none is loaded).
class WindowPointer {
public:
    enum { Default = 0, Busy = 11, Custom = 99 };

    // Call once the window has all its controls: the controls that bring a
    // pointer of their own (text fields' I-beam) get it back at 0.
    explicit WindowPointer(QWidget* window);

    int MousePointer() const { return m_value; }
    void SetMousePointer(int value);

    void SetMouseIcon(const QCursor& cursor);
    bool HasMouseIcon() const { return m_hasIcon; }

private:
    void apply();

    QWidget* m_window;
    int m_value = Default;
    QCursor m_icon;
    bool m_hasIcon = false;
    QHash<QWidget*, QCursor> m_ownCursors;
};

} // namespace tw::shell

#include "shell/window_pointer.h"

namespace tw::shell {

WindowPointer::WindowPointer(QWidget* window)
    : m_window(window)
{
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (child->testAttribute(Qt::WA_SetCursor))
            m_ownCursors.insert(child, child->cursor());
    }
}

void WindowPointer::SetMousePointer(int value)
{
    if (value == m_value)
        return;
    m_value = value;
    apply();
}

void WindowPointer::SetMouseIcon(const QCursor& cursor)
{
    m_icon = cursor;
    m_hasIcon = true;
    if (m_value == Custom)
        apply();
}

void WindowPointer::apply()
{
    if (m_value == Default) {
        m_window->unsetCursor();
        for (auto it = m_ownCursors.cbegin(); it != m_ownCursors.cend(); ++it)
            it.key()->setCursor(it.value());
        return;
    }
    QCursor shown(Qt::ArrowCursor);
    if (m_value == Busy)
        shown = QCursor(Qt::WaitCursor);
    else if (m_value == Custom && m_hasIcon)
        shown = m_icon;
    m_window->setCursor(shown);
    for (auto it = m_ownCursors.cbegin(); it != m_ownCursors.cend(); ++it)
        it.key()->setCursor(shown);
}

} // namespace tw::shell

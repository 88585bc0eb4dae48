#include "shell/push_button.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace tw::shell {

PushButton::PushButton(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent)
{
    setMouseTracking(true);
    setAutoDefault(false);
    setDefault(false);
}

void PushButton::mouseMoveEvent(QMouseEvent* event)
{
    emit MouseMove(int(event->buttons()), int(event->modifiers()), event->position().toPoint().x(),
        event->position().toPoint().y());
    QPushButton::mouseMoveEvent(event);
    // Handled here: the frame beneath must not answer the same move.
    event->accept();
}

void PushButton::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    // The keypad's Enter carries the keypad modifier.
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        if (!event->isAutoRepeat())
            click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

} // namespace tw::shell

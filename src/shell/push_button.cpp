#include "shell/push_button.h"

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

} // namespace tw::shell

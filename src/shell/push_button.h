#pragma once

#include <QPushButton>

namespace tw::shell {

// The push button of both windows: a click, and a mouse-move event with the
// button state, shift state and position, also while no button is pressed.
// Enter presses the button that has the focus, as Space does; no button is
// a default button that Enter presses from elsewhere.
class PushButton : public QPushButton {
    Q_OBJECT
public:
    explicit PushButton(const QString& caption, QWidget* parent = nullptr);

signals:
    void MouseMove(int button, int shift, int x, int y);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace tw::shell

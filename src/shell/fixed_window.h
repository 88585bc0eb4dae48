#pragma once

#include "shell/window_pointer.h"

#include <QWidget>
#include <memory>

namespace tw::shell {

// What both windows share: a fixed single border without a maximise button,
// centred when first shown, one pointer setting over the whole window, the
// arrow when the mouse moves over the bare window, and closing it ends the
// program.
class FixedWindow : public QWidget {
    Q_OBJECT
public:
    FixedWindow();
    ~FixedWindow() override;

    WindowPointer& Pointer() { return *m_pointer; }

protected:
    // Call once every control exists.
    void InitPointer();

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    std::unique_ptr<WindowPointer> m_pointer;
    bool m_centred = false;
};

} // namespace tw::shell

#include "shell/fixed_window.h"

#include "shell/appearance.h"
#include "shell/shutdown.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

namespace tw::shell {

FixedWindow::FixedWindow()
    : QWidget(nullptr,
        Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
            | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setMouseTracking(true);
}

FixedWindow::~FixedWindow() = default;

void FixedWindow::InitPointer()
{
    m_pointer = std::make_unique<WindowPointer>(this);
}

void FixedWindow::showEvent(QShowEvent* event)
{
    if (!m_centred) {
        m_centred = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
    QWidget::showEvent(event);
}

void FixedWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    EndProgram();
}

void FixedWindow::mouseMoveEvent(QMouseEvent* event)
{
    PointerToDefault(*m_pointer);
    QWidget::mouseMoveEvent(event);
}

} // namespace tw::shell

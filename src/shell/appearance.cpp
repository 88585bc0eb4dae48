#include "shell/appearance.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QRadioButton>
#include <stdexcept>

namespace tw::shell {

namespace {
    void paintButtonFace(QWidget* w, const QColor& face)
    {
        QPalette p = w->palette();
        p.setColor(QPalette::Window, face);
        w->setPalette(p);
        w->setAutoFillBackground(true);
    }
} // namespace

void ApplyButtonFace(QWidget* window)
{
    const QColor face = window->palette().color(QPalette::Button);
    paintButtonFace(window, face);
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (qobject_cast<QRadioButton*>(child) || qobject_cast<QCheckBox*>(child)
            || qobject_cast<QGroupBox*>(child) || qobject_cast<QLabel*>(child))
            paintButtonFace(child, face);
    }
}

QIcon ProgramIcon()
{
    static const QIcon icon(QStringLiteral(":/tablewright/icon.png"));
    return icon;
}

QCursor LoadPointerFile(const QString& path)
{
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull())
        throw std::runtime_error(
            QStringLiteral("Invalid picture (%1)").arg(reader.errorString()).toStdString());
    const QPixmap pixmap = QPixmap::fromImage(image);
    // A .cur file names its hot spot; Qt's reader does not hand it out, and a
    // hand's finger tip sits near the top left.
    return QCursor(pixmap, pixmap.width() / 4, 0);
}

void PointerToHand(WindowPointer& pointer)
{
    if (pointer.MousePointer() != WindowPointer::Busy)
        pointer.SetMousePointer(WindowPointer::Custom);
}

void PointerToDefault(WindowPointer& pointer, bool evenWhenBusy)
{
    if (evenWhenBusy || pointer.MousePointer() != WindowPointer::Busy)
        pointer.SetMousePointer(WindowPointer::Default);
}

} // namespace tw::shell

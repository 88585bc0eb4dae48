#include "shell/appearance.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>
#include <stdexcept>

namespace tw::shell {

namespace {
class SwallowMoves : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::MouseMove)
            return false;
        // Drags inside a text field still select; bare moves stop here.
        return static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton;
    }
};

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
    // Qt's reader drops the hot spot that a .cur file names in its first
    // directory entry (where an icon keeps planes and bit count).
    QPoint hotSpot(0, 0);
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray head = file.read(14);
        auto word = [&](int at) { return int(uchar(head[at])) | int(uchar(head[at + 1])) << 8; };
        if (head.size() == 14 && word(0) == 0 && word(2) == 2)
            hotSpot = QPoint(word(10), word(12));
    }
    return QCursor(QPixmap::fromImage(image), hotSpot.x(), hotSpot.y());
}

void WithoutPointerFeedback(QWidget* control)
{
    control->setMouseTracking(true);
    control->installEventFilter(new SwallowMoves(control));
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

#include "shell/app_title.h"
#include "shell/dialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace tw::shell {

namespace {
QString captionOr(const QString& title)
{
    return title.isEmpty() ? ApplicationTitle() : title;
}
QWidget* owner()
{
    return QApplication::activeWindow();
}
} // namespace

int QtDialogs::MsgBox(
    const QString& text, Buttons buttons, const QString& title, Icon icon, Answer defaultButton)
{
    QMessageBox box(owner());
    box.setWindowTitle(captionOr(title));
    box.setWindowModality(Qt::ApplicationModal);
    // The report separates its lines with CR alone; a message box shows
    // CR LF and CR each as one line break.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    box.setText(shown);
    box.setTextFormat(Qt::PlainText);
    box.setIcon(icon == Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon);
    if (buttons == YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(defaultButton == No ? QMessageBox::No : QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? Yes : No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return Ok;
}

QString QtDialogs::InputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    QInputDialog dialog(owner());
    dialog.setWindowTitle(captionOr(title));
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    dialog.setWindowModality(Qt::ApplicationModal);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.textValue();
}

} // namespace tw::shell

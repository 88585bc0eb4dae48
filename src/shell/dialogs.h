#pragma once

#include <QString>

class QWidget;

namespace tw::shell {

// Every message box and input box of the program goes through this, so that
// tests can answer them and read exactly what was shown.
class Dialogs {
public:
    enum Buttons { OkOnly, YesNo };
    enum Icon { NoIcon, Exclamation };
    enum Answer { Ok = 1, Yes = 6, No = 7 };

    virtual ~Dialogs() = default;

    // A modal message. An empty title means the application title.
    virtual int MsgBox(const QString& text, Buttons buttons = OkOnly,
        const QString& title = QString(), Icon icon = NoIcon, Answer defaultButton = Ok)
        = 0;
    // A modal prompt for a line of text; empty text when cancelled.
    virtual QString InputBox(const QString& prompt, const QString& title = QString(),
        const QString& defaultText = QString())
        = 0;
};

// Dialogs shown with QMessageBox and QInputDialog.
class QtDialogs : public Dialogs {
public:
    int MsgBox(const QString& text, Buttons buttons, const QString& title, Icon icon,
        Answer defaultButton) override;
    QString InputBox(
        const QString& prompt, const QString& title, const QString& defaultText) override;
};

} // namespace tw::shell

#pragma once

#include "shell/dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace tw::test {

// Stands in for the modal dialogs: answers in the order given and records
// every dialog shown, so that tests assert exact texts.
class ScriptedDialogs : public shell::Dialogs {
public:
    struct Shown {
        bool input = false; // an input box rather than a message box
        QString text; // message text or prompt
        QString title; // as passed (empty: the application title)
        Buttons buttons = OkOnly;
        Icon icon = NoIcon;
        Answer defaultButton = Ok;
        QString defaultText; // input boxes
    };

    int MsgBox(const QString& text, Buttons buttons, const QString& title, Icon icon,
        Answer defaultButton) override;
    QString InputBox(
        const QString& prompt, const QString& title, const QString& defaultText) override;

    // Answers for the coming Yes/No boxes and input boxes, used in order.
    // Without a scripted answer a Yes/No box answers Yes and an input box
    // gives its default text.
    void answerYesNo(QList<int> answers) { m_yesNo += answers; }
    void answerInput(QStringList answers) { m_inputs += answers; }
    // Runs while a dialog is open (as the user could act meanwhile).
    std::function<void(const Shown&)> onShow;

    QList<Shown> shown;
    QStringList texts() const;
    // Reports ("Application Error" boxes) only.
    QStringList reports() const;
    void clear() { shown.clear(); }

private:
    QList<int> m_yesNo;
    QStringList m_inputs;
};

} // namespace tw::test

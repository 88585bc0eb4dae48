#include "support/scripted_dialogs.h"

namespace tw::test {

int ScriptedDialogs::MsgBox(
    const QString& text, Buttons buttons, const QString& title, Icon icon, Answer defaultButton)
{
    Shown s;
    s.text = text;
    s.title = title;
    s.buttons = buttons;
    s.icon = icon;
    s.defaultButton = defaultButton;
    shown.append(s);
    if (onShow)
        onShow(s);
    if (buttons == YesNo)
        return m_yesNo.isEmpty() ? Yes : m_yesNo.takeFirst();
    return Ok;
}

QString ScriptedDialogs::InputBox(
    const QString& prompt, const QString& title, const QString& defaultText)
{
    Shown s;
    s.input = true;
    s.text = prompt;
    s.title = title;
    s.defaultText = defaultText;
    shown.append(s);
    if (onShow)
        onShow(s);
    return m_inputs.isEmpty() ? defaultText : m_inputs.takeFirst();
}

QStringList ScriptedDialogs::texts() const
{
    QStringList out;
    for (const Shown& s : shown)
        out << s.text;
    return out;
}

QStringList ScriptedDialogs::reports() const
{
    QStringList out;
    for (const Shown& s : shown) {
        if (s.title == QLatin1String("Application Error"))
            out << s.text;
    }
    return out;
}

} // namespace tw::test

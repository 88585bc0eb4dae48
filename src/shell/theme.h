#pragma once

#include <QString>
#include <QWidget>

namespace tw::shell {

// The window theme component: it loads a theme file (a Qt style sheet) and
// applies it to a window. The loader drives it through five calls in a fixed
// order; each member below is one of them.
class SkinFramework {
public:
    // Loads the theme file; throws when the file cannot be used.
    void LoadSkin(const QString& path, const QString& iniName);
    int ApplyOptions() const { return m_applyOptions; }
    void SetApplyOptions(int options) { m_applyOptions = options; }
    void SetAutoApplyNewWindows(bool on) { m_autoApplyNewWindows = on; }
    void SetAutoApplyNewThreads(bool on) { m_autoApplyNewThreads = on; }
    // Applies the loaded theme to the window with this native handle.
    void ApplyWindow(qintptr windowHandle);
    // A window made after the theme was loaded wears it too, as long as the
    // loader asked for that; otherwise nothing happens.
    void ApplyNewWindow(QWidget* window);

private:
    QString m_styleSheet;
    int m_applyOptions = 0;
    bool m_autoApplyNewWindows = false;
    bool m_autoApplyNewThreads = false;
};

// The login window's theme: nothing without the theme file next to the
// program; with it, the button-face colours and then the component's calls.
void LoadWindowTheme(QWidget* loginWindow);

// The look of a window opened later (the tables window): the button-face
// colours, and the theme when one was loaded.
void ApplyWindowLook(QWidget* window);

// The one component of the run (the login window's SkinFramework1).
SkinFramework& SkinFramework1();

} // namespace tw::shell

#include "shell/theme.h"

#include "shell/appearance.h"
#include "shell/program_folder.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <stdexcept>

namespace tw::shell {

namespace {
// Qt accepts any style sheet silently; refuse what plainly is none.
bool looksLikeStyleSheet(const QByteArray& bytes, QString& text)
{
    if (bytes.contains('\0'))
        return false;
    QStringDecoder utf8(QStringDecoder::Utf8);
    text = utf8(bytes);
    if (utf8.hasError())
        return false;
    int depth = 0;
    for (QChar c : text) {
        if (c == QLatin1Char('{'))
            ++depth;
        else if (c == QLatin1Char('}') && --depth < 0)
            return false;
    }
    return depth == 0;
}
} // namespace

void SkinFramework::LoadSkin(const QString& path, const QString&)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(QStringLiteral("Could not load the skin file %1: %2")
                                     .arg(path, file.errorString())
                                     .toStdString());
    QString text;
    if (!looksLikeStyleSheet(file.readAll(), text))
        throw std::runtime_error(
            QStringLiteral("The skin file %1 is not a valid theme.").arg(path).toStdString());
    m_styleSheet = text;
}

void SkinFramework::ApplyWindow(qintptr windowHandle)
{
    QWidget* window = QWidget::find(WId(windowHandle));
    if (!window)
        throw std::runtime_error("Invalid window handle");
    window->setStyleSheet(m_styleSheet);
}

void SkinFramework::ApplyNewWindow(QWidget* window)
{
    if (m_autoApplyNewWindows && !m_styleSheet.isEmpty())
        ApplyWindow(qintptr(window->winId()));
}

SkinFramework& SkinFramework1()
{
    static SkinFramework component;
    return component;
}

void LoadWindowTheme(QWidget* loginWindow)
{
    const QString path = ThemeFilePath();
    // Only a plain file counts: a folder of that name is no theme.
    if (!QFileInfo(path).isFile())
        return;
    ApplyButtonFace(loginWindow);
    SkinFramework& skin = SkinFramework1();
    skin.LoadSkin(path, QString());
    skin.SetApplyOptions(skin.ApplyOptions() | 1);
    skin.SetAutoApplyNewWindows(true);
    skin.SetAutoApplyNewThreads(true);
    skin.ApplyWindow(qintptr(loginWindow->winId()));
}

void ApplyWindowLook(QWidget* window)
{
    ApplyButtonFace(window);
    SkinFramework1().ApplyNewWindow(window);
}

} // namespace tw::shell

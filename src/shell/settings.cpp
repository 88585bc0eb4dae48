#include "shell/settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <stdexcept>

namespace tw::shell {

namespace {
constexpr QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner;

// Creates the file empty and private before QSettings ever writes it, and
// makes it private again after each write (QSettings replaces the file).
void makePrivate(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!QFileInfo::exists(path)) {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.close();
    }
    if (QFile::permissions(path) != ownerOnly)
        QFile::setPermissions(path, ownerOnly);
}

// Something there that is not a plain file; a missing file is fine.
bool outOfUse(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isFile();
}

// QSettings stores its group and key names escaped, so any text works
// as a section or key; values stay plain text.
QString fullKey(const QString& section, const QString& key)
{
    return section + QLatin1Char('/') + key;
}
} // namespace

QString SettingsFilePath(const QString& appName)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QLatin1Char('/') + appName + QStringLiteral(".ini");
}

QString GetSetting(
    const QString& appName, const QString& section, const QString& key, const QString& fallback)
{
    const QString path = SettingsFilePath(appName);
    if (outOfUse(path))
        return fallback;
    QSettings store(path, QSettings::IniFormat);
    return store.value(fullKey(section, key), fallback).toString();
}

bool HasSetting(const QString& appName, const QString& section, const QString& key)
{
    QSettings store(SettingsFilePath(appName), QSettings::IniFormat);
    return store.contains(fullKey(section, key));
}

void SaveSetting(
    const QString& appName, const QString& section, const QString& key, const QString& value)
{
    const QString path = SettingsFilePath(appName);
    if (outOfUse(path))
        return;
    makePrivate(path);
    {
        QSettings store(path, QSettings::IniFormat);
        store.setValue(fullKey(section, key), value);
        store.sync();
    }
    makePrivate(path);
}

void CheckSettingsStore(const QString& appName)
{
    const QString path = SettingsFilePath(appName);
    if (outOfUse(path))
        throw std::runtime_error(
            QStringLiteral("The login details can be neither restored nor saved: %1 is not a "
                           "file. Move it away and start the program again.")
                .arg(path)
                .toStdString());
}

} // namespace tw::shell

#pragma once

#include <QString>

namespace tw::shell {

// The per-user store of named text values, addressed by application name,
// section and key. One plain INI file per user and application name, under
// the user's configuration folder, readable by its owner only: it holds
// passwords in plain text.
//
// When something other than a plain file (a folder, a pipe) stands where the
// file belongs, the store is out of use: reads give their defaults, writes
// are dropped, and that path is neither opened nor has its mode changed.
QString GetSetting(const QString& appName, const QString& section, const QString& key,
    const QString& fallback = QString());
bool HasSetting(const QString& appName, const QString& section, const QString& key);
void SaveSetting(
    const QString& appName, const QString& section, const QString& key, const QString& value);

// Throws, with a text for the user, when the store is out of use as above.
void CheckSettingsStore(const QString& appName);

// The file behind an application name (for tests and the README).
QString SettingsFilePath(const QString& appName);

} // namespace tw::shell

#pragma once

#include "db/login_details.h"
#include "shell/product.h"
#include "shell/settings.h"

#include <QDir>
#include <QFile>

namespace tw::test {

// Writes login details into the settings store the way the login window
// would have saved them.
inline void saveLogin(const db::LoginDetails& d)
{
    using shell::SaveSetting;
    const QString app = shell::MakerName();
    const QString section = shell::ProductName();
    SaveSetting(app, section, QStringLiteral("OracleServer"), d.oracleSid);
    SaveSetting(app, section, QStringLiteral("OracleUser"), d.oracleUser);
    SaveSetting(app, section, QStringLiteral("OraclePassword"), d.oraclePassword);
    SaveSetting(app, section, QStringLiteral("MySQLServer"), d.mysqlServer);
    SaveSetting(app, section, QStringLiteral("MySQLUser"), d.mysqlUser);
    SaveSetting(app, section, QStringLiteral("MySQLPassword"), d.mysqlPassword);
    SaveSetting(app, section, QStringLiteral("MySQLDatabase"), d.mysqlDatabase);
    SaveSetting(app, section, QStringLiteral("MySQLPort"), d.mysqlPort);
}

// Also takes away a folder that a test put where the file belongs.
inline void emptyStore()
{
    const QString path = shell::SettingsFilePath(shell::MakerName());
    QDir(path).removeRecursively();
    QFile::remove(path);
}

} // namespace tw::test

#pragma once

#include <QString>

namespace tw::tables {

QString MySQLDropStatement(const QString& table);
QString OracleDropStatement(const QString& table);
QString MySQLRenameStatement(const QString& oldName, const QString& newName);
QString OracleRenameStatement(const QString& oldName, const QString& newName);

// The rename prompt and its messages.
QString RenamePrompt(const QString& oldName);

} // namespace tw::tables

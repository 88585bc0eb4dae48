#pragma once

#include <QString>

namespace tw::tables {

// The rename prompt and its messages.
QString RenamePrompt(const QString& oldName);

} // namespace tw::tables

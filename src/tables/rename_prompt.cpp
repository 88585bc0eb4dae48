#include "tables/rename_prompt.h"

namespace tw::tables {

QString RenamePrompt(const QString& oldName)
{
    return QStringLiteral("Enter new name of ") + oldName + QStringLiteral(":");
}

} // namespace tw::tables

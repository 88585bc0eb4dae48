#include "shell/program_folder.h"

#include <QCoreApplication>
#include <filesystem>
#include <system_error>

namespace tw::shell {

namespace {
QString& folderOverride()
{
    static QString folder;
    return folder;
}
} // namespace

QString ProgramFolder()
{
    return folderOverride().isEmpty() ? QCoreApplication::applicationDirPath() : folderOverride();
}

void SetProgramFolderForTests(const QString& folder)
{
    folderOverride() = folder;
}

QString ThemeFilePath()
{
    return ProgramFolder() + QStringLiteral("/x/o.cjs");
}

QString HandPointerPath()
{
    return ProgramFolder() + QStringLiteral("/HAND-M.CUR");
}

bool FileExists(const QString& path)
{
    std::error_code ec;
    (void)std::filesystem::last_write_time(std::filesystem::path(path.toStdU16String()), ec);
    return !ec;
}

} // namespace tw::shell

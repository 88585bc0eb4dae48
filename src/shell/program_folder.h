#pragma once

#include <QString>

namespace tw::shell {

// The folder of the running executable, without a trailing separator.
QString ProgramFolder();
// Tests point the program folder elsewhere; empty restores the real one.
void SetProgramFolderForTests(const QString& folder);

// The optional files next to the program.
QString ThemeFilePath(); // folder + "/x/o.cjs"
QString HandPointerPath(); // folder + "/HAND-M.CUR"

// True when the modification time of the path (file or folder) can be read;
// never reports an error.
bool FileExists(const QString& path);

} // namespace tw::shell

#pragma once

#include <QString>

namespace tw::cli {

// `tablewright --version`: the program's version, the Qt and unixODBC the
// process runs with, and the git commit it was built from.
QString VersionText();

} // namespace tw::cli

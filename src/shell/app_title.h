#pragma once

#include <QString>

namespace tw::shell {

// The name cut at its last blank, again and again while longer than 40
// characters; at least one cut is always made.
QString TitleFromName(const QString& name);

// Computes the title from the product name and installs it process-wide.
void SetApplicationTitle();
// The installed title: the caption of every dialog that names no title.
QString ApplicationTitle();

} // namespace tw::shell

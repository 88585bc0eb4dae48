#pragma once

#include <QByteArray>
#include <QString>

namespace tw::odbc {

// Appends `text` to `out` as UTF-8, without a QByteArray of its own per
// value. A lone surrogate becomes U+FFFD, as QString::toUtf8 makes it.
void appendUtf8(QByteArray& out, const QString& text);

} // namespace tw::odbc

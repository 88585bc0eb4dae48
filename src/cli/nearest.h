#pragma once

#include <QString>
#include <QStringList>

namespace tw::cli {

// The candidate closest to `typed` by edit distance (letter case ignored),
// for "did you mean" hints; the first of equally close ones.
QString nearest(const QString& typed, const QStringList& candidates);

} // namespace tw::cli

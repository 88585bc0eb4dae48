#pragma once

#include "compare/comparison.h"

#include <QJsonObject>
#include <QList>
#include <QStringList>
#include <optional>

namespace tw::cli {

// Each copied table's comparison with its source (copy --verify), by the
// place of its copy's result; none for a table not compared.
using Verified = QList<std::optional<compare::Comparison>>;

// 0 when every table holds its source's rows, 130 when stopped, else 1.
int comparisonExitCode(const QList<compare::Comparison>& comparisons);

// `compare`'s summary on stdout: a table of figures, or JSON.
void printComparisons(const QList<compare::Comparison>& comparisons, bool json);

// One table's comparison as the JSON summaries show it.
QJsonObject comparisonJson(const compare::Comparison& c);

// The copy summary's lines (a heading, then a line per table) with each
// comparison's figures before the last column, the result, which gains
// the comparison's.
void addVerifiedColumns(QList<QStringList>& rows, const Verified& verified);

// The line the progress ends a table's comparison with.
QString comparisonLine(const compare::Comparison& c);

} // namespace tw::cli

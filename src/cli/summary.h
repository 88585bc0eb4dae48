#pragma once

#include "cli/compare_summary.h"
#include "copy/table_result.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace tw::cli {

using copy::TableResult;

// 0 when every table was copied (and, verified, holds its source's rows),
// 130 when stopped, otherwise 1.
int exitCodeOf(const QList<TableResult>& results, const Verified& verified = {});

// The summary on stdout: a table of figures, or JSON.
void printSummary(const QList<TableResult>& results, bool json, const Verified& verified = {});

// Rows of cells as lines of aligned columns: names and results (the first
// and last column) from the left, figures on the right.
QString alignedTable(const QList<QStringList>& rows);

} // namespace tw::cli

#pragma once

#include "copy/table_result.h"

#include <QList>
#include <QString>

namespace tw::cli {

using copy::TableResult;

// 0 when every table was copied, 130 when stopped, otherwise 1.
int exitCodeOf(const QList<TableResult>& results);

// The summary on stdout: a table of figures, or JSON.
void printSummary(const QList<TableResult>& results, bool json);

} // namespace tw::cli

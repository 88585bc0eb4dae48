#pragma once

#include "cli/command_line.h"
#include "cli/compare_summary.h"
#include "cli/difference_report.h"
#include "copy/table_copy.h"
#include "copy/table_plan.h"
#include "copy/table_result.h"
#include "db/name_list.h"

namespace tw::cli {

// `tablewright compare`: each table of the source compared with the table
// of the same name in the target, one after the other, the summary on
// stdout; answers the exit code.
int runCompare(const CopyRequest& request);

// copy --verify: the comparison of a table just copied, when its copy left
// a table that is the copy (not a stopped, failed or skipped one, nor an
// old table kept), through the copy's connections.
// `plan`: the rows, columns and types the copy was planned with.
std::optional<compare::Comparison> verifyCopy(copy::TableCopy& run, const CopyRequest& request,
    const db::LoginDetails& login, const copy::TableResult& copied, DifferenceReport& report,
    const copy::TablePlan* plan = nullptr);

} // namespace tw::cli

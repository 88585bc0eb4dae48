#pragma once

#include "cli/command_line.h"
#include "cli/difference_report.h"
#include "cli/run_tables.h"
#include "copy/table_job.h"
#include "db/login_details.h"
#include "db/name_list.h"

#include <QStringList>

namespace tw::cli {

class Progress;

// The tables of a `copy`, as the request and its job say: each planned
// first (so that what cannot work is a usage error before any row moves),
// then the plan printed (--dry-run) or the tables copied, one after the
// other or --jobs N at once, each on connections of its own; the summary
// keeps the job's order. `copy` holds the run's connections, `run` the
// source's names in the job's order and an exact copy's plan, whose
// definitions follow the rows. With `differences`, each copied table is
// then compared with its source (--verify). Answers the exit code.
int runJob(const CopyRequest& request, copy::TableCopy& copy, const db::LoginDetails& login,
    const RunTables& run, db::NameList& target, copy::CopyOptions options,
    copy::CopyObserver& observer, Progress& progress, const copy::StopRequest& stop,
    DifferenceReport* differences = nullptr);

} // namespace tw::cli

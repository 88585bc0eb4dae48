#pragma once

#include "copy/table_job.h"
#include "copy/table_plan.h"

#include <QList>
#include <QString>

namespace tw::cli {

// What `copy` takes beyond its tables and their types: a job file's
// per-table settings, where rows land, a resumable state, tables side by
// side and a table in parts, and a plan printed instead of a copy.
struct JobRequest {
    QString file; // --job FILE
    bool dryRun = false;
    copy::CopyOptions::Landing landing = copy::CopyOptions::Landing::New;
    QString resumePath; // --resume FILE
    int jobs = 1;
    int parts = 0; // --parts N, or N of --part K/N
    int part = 0; // K of --part K/N
    // Each table's settings by its name as given, in the job's order.
    QList<copy::TableRequest> tables;
    // The options as given, for the plan's first line.
    QStringList shown;
};

} // namespace tw::cli

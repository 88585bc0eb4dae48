#pragma once

#include "cli/command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <optional>

namespace tw::cli {

// The options of `copy` for jobs: a job file, where rows land, resuming,
// tables side by side, a table in parts, the plan alone, and one table's
// rows, columns and name.
QList<QCommandLineOption> jobOptions();
// The help's paragraph about them.
extern const char* const jobNotes;

// The job file named by --job in `arguments`, read: its options go before
// `arguments`, which win. Nothing, and `problem` says why, when it cannot be
// read.
std::optional<QStringList> withJobFile(const QStringList& arguments,
    const QList<QCommandLineOption>& options, QList<copy::TableRequest>& tables, QString* problem);

// Whether the job options send rows in batches, as --fast does: rows that
// land other than in a new table, or whose place is kept.
bool rowsInBatches(const QCommandLineParser& parser);

// Reads the job options of a parsed `copy` into `request`, whose tables,
// --all and --fast are read; `tables` are a job file's. Answers what is
// wrong, if anything.
std::optional<QString> readJobOptions(
    const QCommandLineParser& parser, CopyRequest& request, QList<copy::TableRequest> tables);

} // namespace tw::cli

#pragma once

#include "copy/table_plan.h"

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace tw::cli {

// A job file: TOML holding what the command line of `copy` holds (each key
// a long option: to = "oracle", fast = true, batch = 5000) and an array of
// tables, each with its own settings:
//
//   [[table]]
//   name = "orders"                   # the source's table
//   target = "ORDERS_2024"            # its name in the target
//   where = "created >= '2024-01-01'" # in the source's own SQL
//   columns = ["id", "price"]         # a subset, in this order
//   types = "exact"
//   column_types = { price = "NUMBER(12,2)" }
struct JobFile {
    // The file's options as arguments, to be read before the command line's
    // own, so that those win.
    QStringList arguments;
    QList<copy::TableRequest> tables;
};

// Reads `path`; `options` are the long options a key may name. Nothing,
// and `problem` says what and where, when the file cannot be read or holds
// what `copy` does not take.
std::optional<JobFile> readJobFile(
    const QString& path, const QList<QCommandLineOption>& options, QString* problem);

} // namespace tw::cli

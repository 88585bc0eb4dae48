#pragma once

#include "cli/command_line.h"
#include "copy/schema/run_plan.h"
#include "copy/table_copy.h"
#include "copy/table_plan.h"
#include "copy/table_result.h"
#include "db/connection.h"
#include "db/name_list.h"

#include <QStringList>
#include <optional>

namespace tw::cli {

// The source names the choice means, each as the source lists it: a name
// typed in another letter case counts when it matches one table only.
// Nothing when one is missing; `problem` then says which.
std::optional<QStringList> chosenTables(
    const TableChoice& choice, const db::NameList& source, QString* problem);

// Connects both sides of `run` (Oracle first, as the window opens them)
// and lists each side's tables. Nothing when all went well; else what the
// usage error says.
std::optional<QString> openBothSides(copy::TableCopy& run, const db::LoginDetails& details,
    db::NameList& mysqlTables, db::NameList& oracleTables);

// What a run of copy or ddl knows of its tables before the first: an exact
// copy's plan (see copy::schema::RunPlan), the order the tables go in (with
// --all and --schema full, parents first), and, with --all, which of them
// are views.
struct RunTables {
    std::optional<copy::schema::RunPlan> plan;
    QStringList order;
    QStringList views;

    // `own`: a job's tables with settings of their own (types, schema).
    // Throws DbError when the source refuses.
    static RunTables read(const TableChoice& choice, const QStringList& tables,
        db::Connection& source, const QList<copy::TableRequest>& own = {});
    // What a table's summary says beyond its figures: a view copied as a table.
    QStringList notesOf(const QString& table) const;
};

} // namespace tw::cli

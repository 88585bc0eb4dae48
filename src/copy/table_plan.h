#pragma once

#include "copy/exact/exact_options.h"
#include "copy/loop/key_values.h"
#include "copy/table_copy.h"
#include "db/name_list.h"
#include "sql/selection.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <stdexcept>
#include <utility>

namespace tw::copy {

struct CopyOptions;

// What a run is asked to do with one table: the source's table (as the
// source lists it), the name it gets in the target, which of its rows and
// columns, and the column types chosen for it.
struct TableRequest {
    QString source;
    QString target; // empty: the source's name
    QString where; // in the source's own SQL, sent as written
    QStringList columns; // a subset, in an order; empty: every column
    std::optional<bool> exact; // the table's own --types; none: the run's
    std::optional<ExactOptions::Schema> schema; // the table's own --schema; none: the run's
    QList<std::pair<QString, QString>> types; // a column's type in the target

    QString targetName() const { return target.isEmpty() ? source : target; }
};

// A table's copy as settled before any row moves, so that whatever cannot
// work is a usage error up front: the rows it reads, where its key is among
// them, and for a table the target has, the target's names of the columns
// read and of the key.
struct TablePlan {
    TableRequest request;
    QString target; // as the target lists it when it has the table
    bool exists = false;
    bool exact = false;
    sql::RowSelection rows;
    KeyColumns key;
    QStringList targetColumns; // empty: the names read
    QStringList targetKey;
};

// Why a table cannot be copied as asked.
class PlanError : public std::runtime_error {
public:
    explicit PlanError(const QString& message)
        : std::runtime_error(message.toStdString())
    { }
    QString message() const { return QString::fromStdString(what()); }
};

// Reads what the plan needs from both sides (catalogs, the source's answer
// to the chosen columns and condition, the target's unique keys), nothing
// more; writes nothing. Throws PlanError.
TablePlan planTable(TableCopy& copy, const TableRequest& request, const db::NameList& target,
    const CopyOptions& options);

} // namespace tw::copy

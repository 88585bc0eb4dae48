#pragma once

#include "catalog/table_catalog.h"
#include "copy/exact/exact_types.h"
#include "copy/schema/definition_names.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <utility>

namespace tw::copy::schema {

struct IndexPlan {
    QString name; // empty: the target names it
    bool unique = false;
    bool constraint = false; // ALTER TABLE ADD UNIQUE rather than CREATE INDEX
    QList<std::pair<QString, bool>> columns; // name, descending
};

struct CheckPlan {
    QString name;
    QString condition; // in the target's words
};

struct ForeignKeyPlan {
    QString name;
    QStringList columns;
    QString parent; // the parent's source name, a table of the run
    QStringList parentColumns;
    QString onDelete; // CASCADE, SET NULL, or empty
};

// One table of an exact copy: its target table (types, NOT NULL, key and,
// of a whole definition, defaults, auto-numbering and comments), what is
// made after its rows, and its foreign keys, which are made after every
// table of the run. What could not be carried is a note of `exact`.
struct TablePlan {
    QString table; // as the source lists it
    QString failure; // why its definition could not be read; empty when it was
    bool whole = false; // its whole definition, not only types, NOT NULL and key
    catalog::TableCatalog source;
    ExactTable exact;
    QList<IndexPlan> indexes;
    QList<CheckPlan> checks;
    QList<ForeignKeyPlan> foreignKeys; // resolved by the run (see RunPlan)
    QString autoNumbered; // the column whose next value follows the rows
};

// Carries the parts of `plan.source` (read whole) that the target holds
// into `plan.exact` and the plan; reports the others as notes. Index,
// unique and check names are claimed from `names` in the table's order.
void planWholeTable(TablePlan& plan, DefinitionNames& names);

// The statements, names quoted as the target quotes them:
// CREATE TABLE of the table under `name`;
QString createStatement(const TablePlan& plan, const QString& name);
// what follows the rows: indexes, unique keys, checks, Oracle's comments,
// and the next value of an auto-numbered column;
QStringList afterRowsStatements(const TablePlan& plan, const QString& name);
// its foreign keys, `parentName` giving each parent's name in the target.
QStringList foreignKeyStatements(const TablePlan& plan, const QString& name,
    const std::function<QString(const QString&)>& parentName);
QString foreignKeyStatement(
    sql::Server target, const ForeignKeyPlan& fk, const QString& name, const QString& parent);

} // namespace tw::copy::schema

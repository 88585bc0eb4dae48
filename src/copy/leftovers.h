#pragma once

#include "db/connection.h"
#include "db/name_list.h"
#include "sql/dialect.h"

#include <QString>
#include <QStringList>

namespace tw::copy {

// Whether a name is one of the program's own work tables: a replacement
// being built (NAME_tw_new), an old table waiting to be dropped
// (NAME_tw_old), numbered or not, or the resume table. Never offered as a
// table of its own (`list`, `copy --all`).
bool isWorkTable(const sql::Dialect& dialect, const QString& name);

// What a killed run may have left beside `table`, and the next run cleans
// up. Each answers what it did, a sentence each, for the table's report.
//
// An old table put aside by a swap that did not finish (a kill between
// Oracle's two RENAMEs) gets its name back when no table holds the name;
// otherwise it is kept and reported. It is never dropped: it holds the
// only copy of the old rows.
QStringList restoreBackups(db::Connection& target, const sql::Dialect& dialect,
    const QString& table, db::NameList& tables);
// Replacements left half made are dropped, but `keep` (the one a resumed
// run goes on with).
QStringList dropCopies(db::Connection& target, const sql::Dialect& dialect, const QString& table,
    db::NameList& tables, const QString& keep = QString());

} // namespace tw::copy

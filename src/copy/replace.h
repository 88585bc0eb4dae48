#pragma once

#include "db/connection.h"
#include "sql/dialect.h"

#include <QString>
#include <QStringList>

namespace tw::copy {

// Where a replacing copy works beside the table it replaces: the new copy is
// built under `copy`, and the old table waits under `backup` from the swap
// until it is dropped.
struct SideNames {
    QString copy;
    QString backup;
};

// Names that start as much of the target's name as fits and end in
// "_tw_new" / "_tw_old" (with a number when the target already holds such a
// table, compared ignoring letter case). They fit the shortest name limit
// of each server: 64 characters on MySQL, 30 bytes on Oracle before 12.2.
SideNames sideNames(const sql::Dialect& target, const QString& table, const QStringList& taken);
// The side names with number `n` (1: none).
SideNames sideNamesAt(const sql::Dialect& target, const QString& table, int n);

// How the swap of a finished replacing copy ended.
struct SwapResult {
    enum Outcome {
        Swapped, // the copy holds the name, the old table is dropped
        BackupLeft, // swapped, but the old table could not be dropped: it is under backup
        Unchanged, // nothing renamed: the old table is as it was
        Restored, // Oracle: the second RENAME failed and the old table got its name back
        OldAside, // Oracle: neither the copy nor the old table holds the name
    };
    Outcome outcome = Swapped;
    QString message; // the database's message when not Swapped
};

// Puts the finished copy `names.copy` in the place of `table` and drops the
// old table. MySQL renames both in one atomic statement. Oracle renames one
// after the other, so for the moment between the two RENAMEs no table
// holds the name; when the second fails, the old table is renamed back.
SwapResult swapIn(db::Connection& target, const sql::Dialect& dialect, const QString& table,
    const SideNames& names);

} // namespace tw::copy

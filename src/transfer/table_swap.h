#pragma once

#include "transfer/side_names.h"
#include "transfer/table_copy.h"

#include <QString>

namespace tw::transfer {

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
    // Whether the copy is still there under its side name, to be dropped.
    bool copyLeft() const { return outcome == Unchanged || outcome == Restored; }
};

// Puts the finished copy `names.copy` in the place of `targetName` and drops
// the old table. MySQL renames both in one atomic statement. Oracle renames
// one after the other, so for the moment between the two RENAMEs no table
// holds the name; when the second fails, the old table is renamed back.
SwapResult SwapIn(TableCopy& copy, const QString& targetName, const SideNames& names);

} // namespace tw::transfer

#pragma once

#include "transfer/statements.h"

#include <QString>
#include <QStringList>

namespace tw::transfer {

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
SideNames sideNames(Direction direction, const QString& targetName, const QStringList& taken);

} // namespace tw::transfer

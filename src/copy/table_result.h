#pragma once

#include "copy/loop/row_counts.h"

#include <QString>
#include <QStringList>
#include <utility>

namespace tw::copy {

// How the copy of one table ended.
struct TableResult {
    enum Result {
        Copied, // every row arrived (a replaced table: swapped in)
        DefinitionIncomplete, // every row arrived, but a part of the definition was refused
        CopiedOldLeft, // swapped in, but the old table could not be dropped
        RefusedRows, // a new table without the refused rows
        OldKept, // a replacing copy with refused rows: dropped, the old table kept
        Failed, // not copied: the message says why
        Skipped, // the target has it and it is not to be replaced
        Stopped, // stopped during this table
        NotStarted, // stopped before this table
    };
    QString table; // the source's name
    QString target; // the name it has (or would have) in the target
    Result result = NotStarted;
    RowCounts counts;
    // Of the rows written by an upsert, those of new keys and of existing
    // ones; -1 for other copies.
    qint64 inserted = -1;
    qint64 updated = -1;
    double seconds = 0;
    QString message; // why, when not Copied
    QString oldTable; // CopiedOldLeft: the name the old table is kept under
    // What the definition changed or left out, and what became of its
    // values on the way, one line each.
    QStringList notes;
    // Per column, the empty texts (or binary values) that arrived as NULL.
    QList<std::pair<QString, qint64>> emptyAsNull;

    static TableResult named(const QString& table)
    {
        TableResult r;
        r.table = r.target = table;
        return r;
    }
    QString resultName() const;
    double rowsPerSecond() const { return seconds > 0 ? double(counts.read) / seconds : 0; }
};

} // namespace tw::copy

#pragma once

#include "compare/comparison.h"
#include "copy/exact/exact_options.h"
#include "copy/table_copy.h"
#include "copy/table_job.h"
#include "sql/selection.h"

#include <optional>

namespace tw::compare {

struct CompareOptions {
    // The column mapping the copy used, whose declared changes count as
    // none.
    copy::CopyOptions::Types types = copy::CopyOptions::Types::Plain;
    copy::ExactOptions exact; // an exact copy's --empty-text
    // The logins, for MySQL's reading connection of its own (see
    // copy::openBlocks).
    std::optional<db::LoginDetails> login;
    // The rows and columns the copy read (a job's condition, columns and
    // part); none: the whole table. `targetColumns`: the target's names of
    // those columns, when it had the table; `columnTypes`: the column types
    // the copy was given.
    std::optional<sql::RowSelection> rows;
    QStringList targetColumns;
    QList<std::pair<QString, QString>> columnTypes;
    // The copy added to a table that holds other rows too (append, upsert,
    // one part): only the keys it read are checked, and rows only in the
    // target are none of its business.
    bool targetSubset = false;
    // Where the rows are spilled; empty: the system's temporary folder.
    QString folder;
    // A partition of one side is held in memory up to `bufferBytes`, then
    // goes on in its file; both sides' records of a partition are matched in
    // memory up to `partitionBytes`, a larger one spread over more first.
    qint64 bufferBytes = 64 << 10;
    qint64 partitionBytes = 32 << 20;
};

// Compares `table` of the run's source, as a copy reads it, with `target`
// of its target, row by row, in memory that does not grow with the tables.
//
// Rows are matched by a key: the source's primary key, else a unique index
// of the source on NOT NULL columns, else the target's primary key or such
// an index of the target; a table without any is compared as a multiset of
// whole rows. Both sides are read at once, each on a thread of its own
// with the copy's bulk readers, every value brought to what its target
// column keeps (the source's through the mapping, TableDefinition::
// carried), and spread by a hash of the key into partitions that are
// spilled to files past a few megabytes; then each partition of the source
// is matched with the same one of the target. Never throws.
Comparison compareTable(copy::TableCopy& run, const QString& table, const QString& target,
    const CompareOptions& options, ComparisonObserver& observer);

} // namespace tw::compare

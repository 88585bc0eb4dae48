#pragma once

#include "copy/table_copy.h"
#include "copy/table_plan.h"
#include "copy/table_result.h"
#include "db/login_details.h"
#include "db/name_list.h"

#include <QStringList>
#include <functional>
#include <optional>

namespace tw::copy {

namespace schema {
class RunPlan;
}

// How the tables of a run are copied.
struct CopyOptions {
    // Plain: the window's column types, every value as its text. Exact: each
    // column's own declared type, NOT NULL and the key, every value unchanged.
    enum class Types { Plain, Exact } types = Types::Plain;
    // Rows in bulk: the source read a block at a time on a thread of its
    // own, the rows sent in parameter arrays of `batchRows`.
    bool bulk = false;
    int batchRows = 1000;
    // An exact copy's tables as planned before the first (empty texts,
    // definitions beyond the columns); without it each table's columns and
    // key are read as it comes.
    const schema::RunPlan* plan = nullptr;
    // The logins, for a MySQL source's bulk reading connection of its own,
    // which takes several statements in one text (see copy/bulk).
    std::optional<db::LoginDetails> login;
    // Whether to replace a table the target has: asked of the caller, who
    // may answer that it was stopped meanwhile.
    enum class Answer { Yes, No, Stopped };
    std::function<Answer(const QString& table)> replace;
    // How rows land in a table the target has (one it lacks is made first):
    // as a new table (asked or replaced, see `replace`), added to its rows,
    // or upserted by the key (see copy/table_plan.h for what each needs).
    enum class Landing { New, Append, Upsert } landing = Landing::New;
    // A table in `parts` parts by a hash of its key: all of them side by
    // side on connections of their own (connectMore), or only `part` (from 1).
    int parts = 0;
    int part = 0;
    std::function<std::unique_ptr<TableCopy>()> connectMore;
    // A resumable run: its state (see copy/resume_state.h); null otherwise.
    class ResumeState* resume = nullptr;
};

// What a table's copy tells as it goes.
class CopyObserver {
public:
    virtual ~CopyObserver() = default;
    // The rows in all, -1 when not known before the end.
    virtual void begin(const QString& table, qint64 total) = 0;
    virtual void rows(qint64 done) = 0;
    virtual void refused(
        const QString& table, qint64 row, const QString& message, const QStringList& values)
        = 0;
    virtual void refusedInAll(const QString& table, qint64 refused) = 0;
    // Around the swap of a replacing copy, which must not be cut short.
    virtual void swapping(bool on) = 0;
    virtual void end(const TableResult& result) = 0;
};

// Copies one source table, `sourceName` as the source lists it, through the
// run's connections: whether to replace a table of that name in `target`
// (the target's list of tables, kept up to date), the CREATE, the rows
// until the end or a stop, and for a replacing copy the swap: the new copy
// is built beside the old table and takes its place only once every row
// arrived, so that a failed or stopped copy leaves the old table as it was.
TableResult copyTable(TableCopy& copy, const QString& sourceName, db::NameList& target,
    const CopyOptions& options, CopyObserver& observer);
// The same for a table planned first (see table_plan.h): its rows and
// columns, its name in the target, and how its rows land.
TableResult copyTable(TableCopy& copy, const TablePlan& plan, db::NameList& target,
    const CopyOptions& options, CopyObserver& observer);

// What a copy would do, and touches nothing: the SELECT, the CREATE when
// it would make the table, and the statement of the first row (read for
// it), one per line.
QStringList describeCopy(TableCopy& copy, const TablePlan& plan, const CopyOptions& options);

} // namespace tw::copy

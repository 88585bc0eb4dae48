#include "cli/table_run.h"

#include "cli/interrupt.h"
#include "cli/terminal.h"
#include "db/list_helpers.h"
#include "transfer/bulk_copy.h"
#include "transfer/row_failure.h"
#include "transfer/side_names.h"
#include "transfer/table_swap.h"

#include <chrono>

namespace tw::cli {

using transfer::Direction;
using transfer::FailureText;

namespace {

enum class Answer { Yes, No, Stopped };

// The window's question, answered by a line of stdin: y or yes replaces.
Answer ask(const QString& name, const transfer::StopRequest& stop)
{
    Err(QStringLiteral("Would you like to overwrite ") + name + QStringLiteral("? [y/N] "));
    const std::optional<QString> line = ReadLine(stop);
    if (!line) {
        Err(QStringLiteral("\n"));
        return stop.requested() ? Answer::Stopped : Answer::No;
    }
    const QString answer = line->trimmed().toLower();
    return answer == QLatin1String("y") || answer == QLatin1String("yes") ? Answer::Yes
                                                                          : Answer::No;
}

QString current()
{
    return FailureText(std::current_exception());
}

// One table's work from its SELECT on; the caller settled the names.
class Run {
public:
    Run(transfer::TableCopy& copy, TableResult& result, RefusedRows& refused, Progress& progress,
        const transfer::StopRequest& stop, const std::optional<transfer::BulkCopy::Options>& fast)
        : copy(copy)
        , r(result)
        , refused(refused)
        , progress(progress)
        , stop(stop)
    {
        if (fast)
            bulk = std::make_unique<transfer::BulkCopy>(copy, *fast);
    }

    bool fast() const { return bulk != nullptr; }

    void rowsFast(const QString& name)
    {
        progress.begin(r.table, bulk->rowCount());
        class Listener : public transfer::BulkCopy::Listener {
        public:
            Listener(Run& run)
                : run(run)
            { }
            void refused(qint64 row, const QString& message, const QStringList& values) override
            {
                run.refused.row(run.r.table, row, message, values);
            }
            void progress(qint64 rows) override { run.progress.rows(rows); }
            Run& run;
        } listener(*this);
        try {
            const transfer::BulkTarget target = bulk->target(name);
            const transfer::BulkCopy::End end = bulk->copyRows(name, target, listener);
            stopped = end.stopped;
            ended = end.failure;
        } catch (...) {
            ended = QStringLiteral("Preparing the rows failed: ") + current();
        }
        bulk->close();
        r.counts = bulk->counts();
        refused.endTable(r.table, r.counts.refused);
    }

    // Answers whether the table under `name` was created. A fast copy
    // reads the source in blocks (see BulkCopy).
    bool create(const QString& name)
    {
        try {
            if (fast())
                bulk->openSource(r.table);
            else
                copy.openSource(r.table);
        } catch (...) {
            fail(QStringLiteral("Reading it failed: ") + current());
            return false;
        }
        try {
            if (fast())
                bulk->buildCreate(name);
            else
                copy.buildCreate(name);
            copy.executeCreate();
            return true;
        } catch (...) {
            fail(QStringLiteral("CREATE TABLE was refused: ") + current());
            if (fast())
                bulk->close();
            else
                closeSource();
            return false;
        }
    }

    void rows(const QString& name)
    {
        qint64 total = 0;
        try {
            total = copy.rowCount();
        } catch (...) {
            ended = QStringLiteral("Counting the rows failed: ") + current();
        }
        copy.beginRows(name);
        progress.begin(r.table, total);
        for (qint64 row = 1; row <= total && ended.isEmpty(); ++row) {
            if (stop.requested()) {
                stopped = true;
                break;
            }
            try {
                copy.sendRow();
            } catch (...) {
                const std::exception_ptr error = std::current_exception();
                if (transfer::FailsEveryLaterRow(error)) {
                    ended = QStringLiteral("Row %1 failed as every later row would, which were "
                                           "not sent: %2")
                                .arg(row)
                                .arg(FailureText(error));
                    break;
                }
                refused.row(r.table, row, FailureText(error), values());
            }
            try {
                copy.moveNext();
            } catch (...) {
                ended = QStringLiteral("Reading row %1 failed: %2").arg(row + 1).arg(current());
            }
            progress.rows(row);
        }
        closeSource();
        r.counts = copy.counts();
        refused.endTable(r.table, r.counts.refused);
    }

    bool complete() const { return !stopped && ended.isEmpty() && r.counts.refused == 0; }

    // A new table keeps whatever arrived, as the window's copies do.
    void settleNewTable()
    {
        if (stopped)
            r.result = TableResult::Stopped;
        else if (!ended.isEmpty())
            fail(ended);
        else
            r.result = r.counts.refused ? TableResult::RefusedRows : TableResult::Copied;
    }

    void settleReplacement(const transfer::SideNames& names)
    {
        if (!complete()) {
            const QString dropped = dropCopy(names.copy) + QLatin1Char('.');
            if (stopped) {
                r.result = TableResult::Stopped;
                r.message
                    = QStringLiteral("The old table was kept, the new copy dropped") + dropped;
            } else if (!ended.isEmpty()) {
                fail(ended + QStringLiteral(". The old table was kept, the new copy dropped")
                    + dropped);
            } else {
                r.result = TableResult::OldKept;
                r.message = QStringLiteral("The new copy lacked the refused rows and was dropped")
                    + dropped;
            }
            return;
        }
        transfer::SwapResult swap;
        {
            SwapGuard guard;
            swap = transfer::SwapIn(copy, r.target, names);
        }
        switch (swap.outcome) {
        case transfer::SwapResult::Swapped:
            r.result = TableResult::Copied;
            return;
        case transfer::SwapResult::BackupLeft:
            r.result = TableResult::CopiedOldLeft;
            r.message = QStringLiteral("The old table could not be dropped and is kept as %1: %2")
                            .arg(names.backup, swap.message);
            return;
        case transfer::SwapResult::Unchanged:
        case transfer::SwapResult::Restored:
            fail(QStringLiteral("Putting the copy in place failed: %1. The old table is as it "
                                "was")
                     .arg(swap.message)
                + dropCopy(names.copy) + QLatin1Char('.'));
            return;
        case transfer::SwapResult::OldAside:
            fail(QStringLiteral("Putting the copy in place failed halfway: %1. No table is named "
                                "%2 now: the old table is %3, the new copy %4.")
                     .arg(swap.message, r.target, names.backup, names.copy));
            return;
        }
    }

private:
    void fail(const QString& message)
    {
        r.result = TableResult::Failed;
        r.message = message;
    }

    void closeSource()
    {
        try {
            copy.close();
        } catch (...) {
            // A recordset whose SELECT failed was never open.
        }
    }

    QStringList values() const
    {
        try {
            return copy.rowValues();
        } catch (...) {
            return {};
        }
    }

    // Empty when the copy was dropped, else why not.
    QString dropCopy(const QString& name)
    {
        try {
            copy.dropTarget(name);
            return {};
        } catch (...) {
            return QStringLiteral("; the new copy %1 could not be dropped: %2")
                .arg(name, current());
        }
    }

    transfer::TableCopy& copy;
    TableResult& r;
    RefusedRows& refused;
    Progress& progress;
    const transfer::StopRequest& stop;
    std::unique_ptr<transfer::BulkCopy> bulk; // --fast
    bool stopped = false;
    QString ended; // why the rows ended early
};

} // namespace

TableResult CopyTable(transfer::TableCopy& copy, const QString& sourceName, db::NameList& target,
    Overwrite overwrite, RefusedRows& refused, Progress& progress,
    const transfer::StopRequest& stop, const std::optional<transfer::BulkCopy::Options>& fast)
{
    TableResult r = TableResult::named(sourceName);
    // The window's test: exact into Oracle, letter case ignored into MySQL.
    const Direction direction = copy.direction();
    const bool exists = direction == Direction::ToOracle
        ? db::ListHasItem(target, sourceName)
        : db::ListHasItemNoCase(target, sourceName);
    if (exists) {
        const Answer answer = overwrite == Overwrite::Yes ? Answer::Yes
            : overwrite == Overwrite::No                  ? Answer::No
                                                          : ask(sourceName, stop);
        if (answer == Answer::Stopped)
            return r;
        if (answer == Answer::No) {
            r.result = TableResult::Skipped;
            r.message = QStringLiteral("The target has a table of that name; --overwrite yes "
                                       "replaces it.");
            progress.end(r);
            return r;
        }
        if (direction == Direction::ToMySQL)
            r.target = db::ListFindItemNoCase(target, sourceName);
    }

    const auto start = std::chrono::steady_clock::now();
    Run run(copy, r, refused, progress, stop, fast);
    const transfer::SideNames names
        = exists ? transfer::sideNames(direction, r.target, target.names()) : transfer::SideNames();
    const QString building = exists ? names.copy : r.target;
    if (run.create(building)) {
        if (!exists)
            target.AddItem(r.target);
        if (run.fast())
            run.rowsFast(building);
        else
            run.rows(building);
        if (exists)
            run.settleReplacement(names);
        else
            run.settleNewTable();
    }
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    progress.end(r);
    return r;
}

} // namespace tw::cli

#include "copy/table_job.h"

#include "copy/bulk/array_target.h"
#include "copy/bulk/block_sources.h"
#include "copy/exact/exact_definition.h"
#include "copy/loop/feed.h"
#include "copy/loop/row_loop.h"
#include "copy/plain/plain_definition.h"
#include "copy/replace.h"
#include "copy/rowwise/recordset_source.h"
#include "copy/rowwise/statement_target.h"
#include "db/list_lookups.h"
#include "odbc/error.h"

#include <chrono>

namespace tw::copy {

namespace {

QString current()
{
    return odbc::describe(std::current_exception());
}

// Rows between a bulk copy's reading thread and its sending: about this
// many, in batches, cover the reading thread's wait for a page.
constexpr int queuedRows = 16384;

// A source table opened for copying: what its rows become in the target,
// and the way they travel there.
class OpenTable {
public:
    virtual ~OpenTable() = default;
    virtual RowSource& source() = 0;
    virtual Feed& feed() = 0;
    virtual std::unique_ptr<RowTarget> target(
        db::Connection& connection, const QString& table, QString& statement)
        = 0;
    virtual void close() noexcept = 0;

    const TableDefinition& definition() const { return *m_definition; }

    // The one place a copy's definition is chosen: an exact copy reads the
    // source's declarations before its rows (which columns to read as text),
    // and checks the columns read against them after.
    template <typename Open>
    void define(const CopyOptions& options, TableCopy& copy, const QString& table, Open open)
    {
        std::unique_ptr<ExactDefinition> exact;
        if (options.types == CopyOptions::Types::Exact)
            exact = std::make_unique<ExactDefinition>(
                ExactDefinition::read(copy.sourceConnection(), copy.target(), table));
        open(exact ? exact->textColumns() : QList<int>());
        if (exact) {
            try {
                exact->checkColumns(source().columns());
            } catch (...) {
                close();
                throw;
            }
            m_definition = std::move(exact);
        } else {
            m_definition = std::make_unique<PlainDefinition>(copy.target(), source().columns());
        }
    }

private:
    std::unique_ptr<TableDefinition> m_definition;
};

// Row by row: the run's recordset, one statement per row.
class RowwiseTable : public OpenTable {
public:
    RowwiseTable(TableCopy& copy, const QString& table, const CopyOptions& options)
        : m_source(copy.recordset())
    {
        define(options, copy, table, [&](const QList<int>& textColumns) {
            copy.recordset().Open(
                copy.sourceDialect().selectAll(table), copy.sourceConnection(), textColumns);
        });
    }
    RowSource& source() override { return m_source; }
    Feed& feed() override { return m_feed; }
    std::unique_ptr<RowTarget> target(
        db::Connection& connection, const QString& table, QString& statement) override
    {
        return std::make_unique<StatementTarget>(&connection, definition(), table, statement);
    }
    void close() noexcept override { m_source.close(); }

private:
    RecordsetSource m_source;
    InlineFeed m_feed;
};

// In bulk: blocks read on a thread of their own, parameter arrays sent.
class BulkTable : public OpenTable {
public:
    BulkTable(TableCopy& copy, const QString& table, const CopyOptions& options)
        : m_batchRows(std::max(1, options.batchRows))
    {
        define(options, copy, table, [&](const QList<int>& textColumns) {
            m_feed = std::make_unique<ThreadFeed>(
                [&copy, table, textColumns, login = options.login]() -> std::unique_ptr<RowSource> {
                    return openBlocks(copy.source(), copy.sourceConnection(), table, textColumns,
                        login, TableCopy::timeoutSeconds);
                },
                std::clamp(queuedRows / m_batchRows, 3, 64));
        });
    }
    RowSource& source() override { return m_feed->source(); }
    Feed& feed() override { return *m_feed; }
    std::unique_ptr<RowTarget> target(
        db::Connection& connection, const QString& table, QString&) override
    {
        return std::make_unique<ArrayTarget>(connection, definition(), table, m_batchRows);
    }
    void close() noexcept override
    {
        if (m_feed)
            m_feed->close();
    }

private:
    int m_batchRows;
    std::unique_ptr<ThreadFeed> m_feed;
};

std::unique_ptr<OpenTable> openTable(
    TableCopy& copy, const QString& table, const CopyOptions& options)
{
    if (options.bulk)
        return std::make_unique<BulkTable>(copy, table, options);
    return std::make_unique<RowwiseTable>(copy, table, options);
}

// The command's side of the row loop: phases run straight, refused rows and
// progress told to the observer, and why the rows ended early kept.
class JobHost : public LoopHost {
public:
    JobHost(const QString& table, CopyObserver& observer)
        : m_table(table)
        , m_observer(observer)
    { }
    void rowsDone(qint64 read, qint64) override { m_observer.rows(read); }
    void refused(qint64 row, std::exception_ptr error, const QStringList& values) override
    {
        m_observer.refused(m_table, row, odbc::describe(error), values);
    }
    void ended(const LoopEnd& end) override
    {
        const QString why = end.error ? odbc::describe(end.error) : QString();
        switch (end.reason) {
        case LoopEnd::Reason::Done:
            break;
        case LoopEnd::Reason::Stopped:
            stopped = true;
            break;
        case LoopEnd::Reason::CountFailed:
            failure = QStringLiteral("Counting the rows failed: ") + why;
            break;
        case LoopEnd::Reason::Lasting:
            if (end.phase == Phase::Advance)
                failure = QStringLiteral("Reading row %1 failed: %2").arg(end.row).arg(why);
            else if (end.whileCommitting)
                failure = QStringLiteral("Committing the rows from row %1 on failed: %2")
                              .arg(end.row)
                              .arg(why);
            else
                failure = QStringLiteral(
                    "Row %1 failed as every later row would, which were not sent: %2")
                              .arg(end.row)
                              .arg(why);
            break;
        }
    }

    bool stopped = false;
    QString failure; // why the rows ended early; empty when they did not

private:
    QString m_table;
    CopyObserver& m_observer;
};

// One table's work from its SELECT on; the caller settled the names.
class Job {
public:
    Job(TableCopy& copy, TableResult& result, const CopyOptions& options, CopyObserver& observer)
        : m_copy(copy)
        , r(result)
        , m_options(options)
        , m_observer(observer)
        , m_host(result.table, observer)
    { }

    // Answers whether the table under `name` was created.
    bool create(const QString& name)
    {
        try {
            m_open = openTable(m_copy, r.table, m_options);
        } catch (...) {
            fail(QStringLiteral("Reading it failed: ") + current());
            return false;
        }
        try {
            m_copy.statement() = m_open->definition().createStatement(name);
            db::ExecuteSql(m_copy.targetConnection(), m_copy.statement());
            return true;
        } catch (...) {
            fail(QStringLiteral("CREATE TABLE was refused: ") + current());
            m_open->close();
            return false;
        }
    }

    void rows(const QString& name)
    {
        RowSource& source = m_open->source();
        try {
            const std::unique_ptr<RowTarget> target
                = m_open->target(m_copy.targetConnection(), name, m_copy.statement());
            RowLoop loop(source, *target, m_host, m_copy.stop());
            m_observer.begin(r.table, loop.count());
            loop.run(m_open->feed());
            r.counts = loop.counts();
        } catch (...) {
            m_host.failure = QStringLiteral("Preparing the rows failed: ") + current();
        }
        m_open->close();
        m_observer.refusedInAll(r.table, r.counts.refused);
    }

    bool complete() const
    {
        return !m_host.stopped && m_host.failure.isEmpty() && r.counts.refused == 0;
    }

    // A new table keeps whatever arrived, as the window's copies do.
    void settleNewTable()
    {
        if (m_host.stopped)
            r.result = TableResult::Stopped;
        else if (!m_host.failure.isEmpty())
            fail(m_host.failure);
        else
            r.result = r.counts.refused ? TableResult::RefusedRows : TableResult::Copied;
    }

    void settleReplacement(const SideNames& names)
    {
        if (!complete()) {
            const QString dropped = dropCopy(names.copy) + QLatin1Char('.');
            if (m_host.stopped) {
                r.result = TableResult::Stopped;
                r.message
                    = QStringLiteral("The old table was kept, the new copy dropped") + dropped;
            } else if (!m_host.failure.isEmpty()) {
                fail(m_host.failure
                    + QStringLiteral(". The old table was kept, the new copy dropped") + dropped);
            } else {
                r.result = TableResult::OldKept;
                r.message = QStringLiteral("The new copy lacked the refused rows and was dropped")
                    + dropped;
            }
            return;
        }
        m_observer.swapping(true);
        const SwapResult swap
            = swapIn(m_copy.targetConnection(), m_copy.targetDialect(), r.target, names);
        m_observer.swapping(false);
        switch (swap.outcome) {
        case SwapResult::Swapped:
            r.result = TableResult::Copied;
            return;
        case SwapResult::BackupLeft:
            r.result = TableResult::CopiedOldLeft;
            r.message = QStringLiteral("The old table could not be dropped and is kept as %1: %2")
                            .arg(names.backup, swap.message);
            return;
        case SwapResult::Unchanged:
        case SwapResult::Restored:
            fail(QStringLiteral("Putting the copy in place failed: %1. The old table is as it "
                                "was")
                     .arg(swap.message)
                + dropCopy(names.copy) + QLatin1Char('.'));
            return;
        case SwapResult::OldAside:
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

    // Empty when the copy was dropped, else why not.
    QString dropCopy(const QString& name)
    {
        try {
            m_copy.targetConnection().Execute(m_copy.targetDialect().dropTable(name));
            return {};
        } catch (...) {
            return QStringLiteral("; the new copy %1 could not be dropped: %2")
                .arg(name, current());
        }
    }

    TableCopy& m_copy;
    TableResult& r;
    const CopyOptions& m_options;
    CopyObserver& m_observer;
    JobHost m_host;
    std::unique_ptr<OpenTable> m_open;
};

} // namespace

QString TableResult::resultName() const
{
    switch (result) {
    case Copied:
        return QStringLiteral("copied");
    case CopiedOldLeft:
        return QStringLiteral("copied, old table left");
    case RefusedRows:
        return QStringLiteral("rows refused");
    case OldKept:
        return QStringLiteral("old table kept");
    case Failed:
        return QStringLiteral("failed");
    case Skipped:
        return QStringLiteral("skipped");
    case Stopped:
        return QStringLiteral("stopped");
    case NotStarted:
        break;
    }
    return QStringLiteral("not started");
}

TableResult copyTable(TableCopy& copy, const QString& sourceName, db::NameList& target,
    const CopyOptions& options, CopyObserver& observer)
{
    TableResult r = TableResult::named(sourceName);
    // The window's test: exact into Oracle, letter case ignored into MySQL.
    const bool toOracle = copy.target() == sql::Server::Oracle;
    const bool exists = toOracle ? db::ListHasItem(target, sourceName)
                                 : db::ListHasItemNoCase(target, sourceName);
    if (exists) {
        const CopyOptions::Answer answer
            = options.replace ? options.replace(sourceName) : CopyOptions::Answer::No;
        if (answer == CopyOptions::Answer::Stopped)
            return r;
        if (answer == CopyOptions::Answer::No) {
            r.result = TableResult::Skipped;
            r.message = QStringLiteral("The target has a table of that name; --overwrite yes "
                                       "replaces it.");
            observer.end(r);
            return r;
        }
        if (!toOracle)
            r.target = db::ListFindItemNoCase(target, sourceName);
    }

    const auto start = std::chrono::steady_clock::now();
    Job job(copy, r, options, observer);
    const SideNames names
        = exists ? sideNames(copy.targetDialect(), r.target, target.names()) : SideNames();
    const QString building = exists ? names.copy : r.target;
    if (job.create(building)) {
        if (!exists)
            target.AddItem(r.target);
        job.rows(building);
        if (exists)
            job.settleReplacement(names);
        else
            job.settleNewTable();
    }
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    observer.end(r);
    return r;
}

} // namespace tw::copy

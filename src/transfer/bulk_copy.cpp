#include "transfer/bulk_copy.h"

#include "bulk/bulk_insert.h"
#include "db/ado_types.h"
#include "db/connection_strings.h"
#include "db/recordset.h"
#include "db/transactions.h"
#include "transfer/bulk_columns.h"
#include "transfer/bulk_statements.h"
#include "transfer/exact_bound.h"
#include "transfer/row_failure.h"
#include "transfer/value_text.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace tw::transfer {

namespace {

// The bound arrays of one batch take at most this many bytes, and at most
// half of what a MySQL server takes in one packet.
constexpr qsizetype batchBytes = 16 << 20;
// Rows read ahead of the sending, in batches.
constexpr int queuedRows = 16384;

QString failure(const std::exception_ptr& error)
{
    return FailureText(error);
}

// Whether the engine of a new MySQL table keeps transactions: without them
// a refused array may leave the rows before the refused one, which a retry
// would send twice, so rows then go one at a time.
bool transactional(db::Connection& connection, const QString& table)
{
    const std::unique_ptr<db::Recordset> rs = connection.Execute(mysqlTransactionalQuery(table));
    return !rs || rs->atEnd() || rs->field(0).Value.toString() != QLatin1String("NO");
}

} // namespace

BulkTarget plainBulkTarget(Direction direction, const QString& targetName,
    const QList<odbc::ResultColumn>& source, bool narrowText)
{
    BulkTarget target;
    const QList<BulkColumn> columns = plainBulkColumns(direction, source, narrowText);
    target.insert = markerInsert(direction, targetName, int(columns.size()));
    for (const BulkColumn& c : columns)
        target.parameters << c.parameter;
    target.prepare = [columns](const QList<odbc::Value>& row, QList<odbc::Value>& bound) {
        bound.resize(columns.size());
        for (qsizetype c = 0; c < columns.size(); ++c)
            bound[c] = plainBulkValue(columns[c], row.value(c));
        return std::optional<QString>();
    };
    target.shown = [](const QList<odbc::Value>& row) { return shownValues(row, false); };
    return target;
}

namespace {

// A row the program refused before sending it: a value its parameter
// cannot take, or one the target's mapping will not send.
struct Unsent {
    qint64 number = 0;
    QString message;
    QStringList values;
};

} // namespace

// The rows of one batch: their bound values, their source rows (for the
// report of a refused one) and their numbers. Filled on the reading
// thread, sent on the copy's own.
struct BulkCopy::Batch {
    Batch(const QList<bulk::ParameterBinding>& bindings, int rows, qsizetype bytes)
        : arrays(bindings, rows, bytes)
    {
        source.resize(rows);
    }
    void reset()
    {
        arrays.clear();
        numbers.clear();
        unsent.clear();
        last = stopped = false;
        error = nullptr;
    }
    bulk::ParameterArrays arrays;
    QList<QList<odbc::Value>> source; // a slot per row held
    QList<qint64> numbers;
    QList<Unsent> unsent;
    qint64 lastRead = 0; // the number of the last row this batch accounts for
    bool last = false; // no batch follows
    bool stopped = false; // reading stopped when asked to
    std::exception_ptr error; // reading failed after these rows
};

// Batches go round between the reading thread, which fills them, and the
// copy's thread, which sends them: at most `count` exist, so memory holds
// that many batches whatever the table's size.
class BulkCopy::Pipe {
public:
    template <typename Make> Pipe(int count, Make make)
    {
        for (int i = 0; i < count; ++i) {
            m_all.push_back(make());
            m_free.push_back(m_all.back().get());
        }
    }
    // The reader's next empty batch; null once the copy is abandoned.
    template <typename Batch> Batch* takeFree()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_abandoned || !m_free.empty(); });
        if (m_abandoned)
            return nullptr;
        auto* b = m_free.front();
        m_free.pop_front();
        return static_cast<Batch*>(b);
    }
    void handFull(void* b)
    {
        std::lock_guard lock(m_mutex);
        m_full.push_back(b);
        m_changed.notify_all();
    }
    // The next batch to send; null when the reader gave up without one.
    template <typename Batch> Batch* takeFull()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_abandoned || !m_full.empty(); });
        if (m_full.empty())
            return nullptr;
        auto* b = m_full.front();
        m_full.pop_front();
        return static_cast<Batch*>(b);
    }
    void giveBack(void* b)
    {
        std::lock_guard lock(m_mutex);
        m_free.push_back(b);
        m_changed.notify_all();
    }
    void abandon()
    {
        std::lock_guard lock(m_mutex);
        m_abandoned = true;
        m_changed.notify_all();
    }
    bool abandoned() const { return m_abandoned.load(std::memory_order_relaxed); }

private:
    std::vector<std::shared_ptr<void>> m_all;
    std::deque<void*> m_free;
    std::deque<void*> m_full;
    std::atomic<bool> m_abandoned = false;
    std::mutex m_mutex;
    std::condition_variable m_changed;
};

// The reading thread and what it shares with the copy's thread. The thread
// owns the source from its opening to its closing: MariaDB Connector/ODBC
// 3.1.15 keeps a connection's lock with the thread that ran a text of
// several statements on it (the HANDLER pages), so that any other thread
// using that connection afterwards, even to close it, waits for ever.
struct BulkCopy::Reading {
    std::mutex mutex;
    std::condition_variable changed;
    // Told by the reading thread once the source is open.
    bool opened = false;
    std::exception_ptr openFailure;
    QList<odbc::ResultColumn> columns;
    qint64 count = 0;
    // Told by the copy's thread: where to put the rows, or to give up.
    Pipe* pipe = nullptr;
    const BulkTarget* target = nullptr;
    bool quit = false;
    std::exception_ptr fault; // the reading thread failed outside a row
    std::thread thread;
};

BulkCopy::BulkCopy(TableCopy& copy, Options options)
    : m_copy(copy)
    , m_options(std::move(options))
{ }

BulkCopy::~BulkCopy()
{
    close();
}

void BulkCopy::openSource(const QString& sourceName)
{
    close();
    const bool exact = m_copy.types() == Types::Exact;
    m_textColumns.clear();
    if (exact) {
        m_copy.readDeclarations(sourceName);
        m_textColumns = sourceTextColumns(m_copy.declarations());
    }
    m_reading = std::make_unique<Reading>();
    Reading& r = *m_reading;
    r.thread = std::thread([this, sourceName] { read(sourceName); });
    std::unique_lock lock(r.mutex);
    r.changed.wait(lock, [&] { return r.opened || r.openFailure; });
    if (r.openFailure) {
        const std::exception_ptr failed = r.openFailure;
        lock.unlock();
        close();
        std::rethrow_exception(failed);
    }
    lock.unlock();
    if (exact) {
        QStringList names;
        for (const odbc::ResultColumn& c : columns())
            names << c.name;
        try {
            m_copy.checkColumns(names);
        } catch (...) {
            close();
            throw;
        }
    }
}

const QList<odbc::ResultColumn>& BulkCopy::columns() const
{
    static const QList<odbc::ResultColumn> none;
    return m_reading ? m_reading->columns : none;
}

qint64 BulkCopy::rowCount() const
{
    return m_reading ? m_reading->count : 0;
}

bool BulkCopy::narrowText() const
{
    return m_copy.direction() == Direction::ToMySQL && ReadMySQLSession(m_copy.target()).utf8;
}

void BulkCopy::buildCreate(const QString& targetName)
{
    if (m_copy.types() == Types::Exact) {
        m_copy.buildCreate(targetName); // from the declarations
        return;
    }
    m_copy.beginCreate(targetName);
    for (const odbc::ResultColumn& c : columns())
        m_copy.appendColumn(c.name, db::adoTypeCode(c.info.sqlType, c.info.isUnsigned));
    m_copy.finishCreate();
}

BulkTarget BulkCopy::target(const QString& targetName)
{
    if (m_copy.types() == Types::Exact)
        return exactBulkTarget(m_copy.declarations(), targetName, narrowText());
    return plainBulkTarget(m_copy.direction(), targetName, columns(), narrowText());
}

// The reading thread: opens the source (on a connection of its own for a
// MySQL source when the logins are known), then fills batches with rows
// made into bound values, then closes everything it opened.
void BulkCopy::read(const QString& sourceName)
{
    Reading& r = *m_reading;
    std::unique_ptr<db::Connection> own;
    std::unique_ptr<BulkSource> source;
    try {
        db::Connection* connection = &m_copy.source();
        if (m_copy.direction() == Direction::ToOracle && m_options.login) {
            own = std::make_unique<db::Connection>();
            own->CommandTimeout = TableCopy::timeoutSeconds;
            own->ConnectionTimeout = TableCopy::timeoutSeconds;
            // MULTI_STATEMENTS, the same bit for MariaDB's and MySQL's drivers.
            own->Open(
                db::MySQLConnectionString(*m_options.login) + QStringLiteral("OPTION=67108864;"));
            connection = own.get();
        }
        source = BulkSource::open(
            m_copy.direction(), *connection, sourceName, own != nullptr, m_textColumns);
        std::lock_guard lock(r.mutex);
        r.columns = source->columns();
        r.count = source->rowCount();
        r.opened = true;
        r.changed.notify_all();
    } catch (...) {
        source.reset();
        own.reset();
        std::lock_guard lock(r.mutex);
        r.openFailure = std::current_exception();
        r.changed.notify_all();
        return;
    }

    Pipe* pipe = nullptr;
    const BulkTarget* target = nullptr;
    {
        std::unique_lock lock(r.mutex);
        r.changed.wait(lock, [&] { return r.pipe || r.quit; });
        pipe = r.quit ? nullptr : r.pipe;
        target = r.target;
    }
    if (pipe) {
        try {
            fill(*source, *pipe, *target);
        } catch (...) {
            std::lock_guard lock(r.mutex);
            r.fault = std::current_exception();
            pipe->abandon();
        }
    }
    source->close();
    source.reset();
    own.reset();
}

void BulkCopy::fill(BulkSource& source, Pipe& pipe, const BulkTarget& target)
{
    qint64 number = 0;
    QList<odbc::Value> bound;
    // A row that did not fit the batch it was read for begins the next.
    std::optional<std::pair<QList<odbc::Value>, QList<odbc::Value>>> carried;
    while (Batch* b = pipe.takeFree<Batch>()) {
        b->reset();
        b->lastRead = number;
        if (carried) {
            b->source[0] = std::move(carried->first);
            b->arrays.add(carried->second);
            b->numbers << number;
            carried.reset();
        }
        while (!b->arrays.full()) {
            if (m_copy.stopRequested() || pipe.abandoned()) {
                b->last = b->stopped = true;
                break;
            }
            const int slot = b->arrays.size();
            bool have = false;
            try {
                have = source.next(b->source[slot]);
            } catch (...) {
                b->error = std::current_exception();
            }
            if (!have) {
                b->last = true;
                break;
            }
            QList<odbc::Value>& row = b->source[slot];
            ++number;
            std::optional<QString> refusal;
            try {
                refusal = target.prepare(row, bound);
                if (!refusal && b->arrays.add(bound) == bulk::ParameterArrays::Added::Full) {
                    // The batch's bytes are spent: the row waits for the next.
                    carried.emplace(row, bound);
                    break;
                }
            } catch (...) {
                refusal = failure(std::current_exception());
            }
            b->lastRead = number;
            if (refusal) {
                b->unsent.append({ number, *refusal, target.shown(row) });
                continue;
            }
            b->numbers << number;
        }
        const bool last = b->last;
        pipe.handFull(b);
        if (last)
            break;
    }
}

BulkCopy::End BulkCopy::copyRows(
    const QString& targetName, const BulkTarget& target, Listener& listener)
{
    End end;
    m_counts = RowCounts();
    if (!m_reading || !m_reading->opened) {
        end.failure = QStringLiteral("The source was not read.");
        return end;
    }
    Reading& r = *m_reading;
    db::Connection& to = m_copy.target();
    int rows = std::max(1, m_options.batchRows);
    qsizetype bytes = batchBytes;
    std::unique_ptr<bulk::BulkInsert> insert;
    try {
        if (m_copy.direction() == Direction::ToMySQL) {
            if (!transactional(to, targetName))
                rows = 1;
            const qint64 packet = ReadMySQLSession(to).maxPacket;
            if (packet > 0)
                bytes = std::min<qsizetype>(bytes, packet / 2);
        }
        insert = std::make_unique<bulk::BulkInsert>(to, target.insert);
        db::SetAutocommit(to, false);
    } catch (...) {
        end.failure
            = QStringLiteral("Preparing the INSERT failed: ") + failure(std::current_exception());
        return end;
    }

    // One batch being read, one being sent, and enough waiting between them
    // to cover the reading thread's wait for a page of the source.
    const int batches = std::clamp(queuedRows / rows, 3, 64);
    Pipe pipe(batches, [&] { return std::make_shared<Batch>(target.parameters, rows, bytes); });
    {
        std::lock_guard lock(r.mutex);
        r.pipe = &pipe;
        r.target = &target;
        r.changed.notify_all();
    }
    // Whatever happens here, the reading thread stops and is waited for
    // before the pipe goes.
    struct Finish {
        BulkCopy& copy;
        Pipe& pipe;
        ~Finish()
        {
            pipe.abandon();
            copy.close();
        }
    } finish { *this, pipe };

    const auto failsEveryRow = [](const odbc::DbError& error) {
        return FailsEveryLaterRow(std::make_exception_ptr(error));
    };
    for (;;) {
        Batch* b = pipe.takeFull<Batch>();
        if (!b) // the reader gave up without a batch
            break;
        const int held = b->arrays.size();
        bulk::BulkInsert::Sent sent;
        if (held > 0)
            sent = insert->send(b->arrays, failsEveryRow);
        // Refused rows are told in the order of the source.
        QList<Unsent> refusals = b->unsent;
        for (const bulk::BulkInsert::Refusal& refusal : sent.refused)
            refusals.append({ b->numbers[refusal.row], refusal.error.description(),
                target.shown(b->source[refusal.row]) });
        std::sort(refusals.begin(), refusals.end(),
            [](const Unsent& x, const Unsent& y) { return x.number < y.number; });
        for (const Unsent& u : std::as_const(refusals)) {
            if (sent.fatal && u.number > b->numbers[sent.unsentFrom])
                break;
            ++m_counts.refused;
            listener.refused(u.number, u.message, u.values);
        }
        m_counts.read = b->lastRead;
        bool ok = true;
        if (sent.fatal) {
            // As the plain copy counts it: the failing row refused, the rows
            // after it not sent.
            m_counts.read = b->numbers[sent.unsentFrom];
            ++m_counts.refused;
            end.failure = QStringLiteral("Row %1 failed as every later row would, which were not "
                                         "sent: %2")
                              .arg(m_counts.read)
                              .arg(sent.fatal->description());
            ok = false;
        }
        if (held > 0) {
            try {
                db::Commit(to);
                m_counts.written += sent.landed;
            } catch (...) {
                if (ok)
                    end.failure = QStringLiteral("Committing rows %1 to %2 failed: %3")
                                      .arg(b->numbers.first())
                                      .arg(b->numbers.last())
                                      .arg(failure(std::current_exception()));
                ok = false;
            }
        }
        if (ok && b->error) {
            end.failure = QStringLiteral("Reading row %1 failed: %2")
                              .arg(b->lastRead + 1)
                              .arg(failure(b->error));
            ok = false;
        }
        end.stopped = end.stopped || b->stopped;
        listener.progress(m_counts.read);
        const bool last = b->last;
        pipe.giveBack(b);
        if (!ok || last)
            break;
    }
    pipe.abandon();
    std::exception_ptr fault;
    {
        std::lock_guard lock(r.mutex);
        fault = r.fault;
    }
    if (fault && end.failure.isEmpty())
        end.failure = QStringLiteral("Reading row %1 failed: %2")
                          .arg(m_counts.read + 1)
                          .arg(failure(fault));
    if (!end.failure.isEmpty())
        end.stopped = false;
    try {
        db::SetAutocommit(to, true);
    } catch (...) {
        // The connection is gone; the failure above says so.
    }
    return end;
}

void BulkCopy::close() noexcept
{
    if (!m_reading)
        return;
    {
        std::lock_guard lock(m_reading->mutex);
        m_reading->quit = true;
        if (m_reading->pipe)
            m_reading->pipe->abandon();
        m_reading->changed.notify_all();
    }
    if (m_reading->thread.joinable())
        m_reading->thread.join();
    m_reading.reset();
}

} // namespace tw::transfer

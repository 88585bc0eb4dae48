#include "transfer/bulk_copy.h"

#include "db/bulk_insert.h"
#include "db/recordset.h"
#include "db/transactions.h"
#include "transfer/bulk_columns.h"
#include "transfer/bulk_statements.h"
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
    const QList<db::ResultColumn>& source, bool narrowText)
{
    BulkTarget target;
    const QList<BulkColumn> columns = plainBulkColumns(direction, source, narrowText);
    target.insert = markerInsert(direction, targetName, int(columns.size()));
    for (const BulkColumn& c : columns)
        target.parameters << c.parameter;
    target.prepare = [columns](const QList<db::Value>& row, QList<db::Value>& bound) {
        bound.resize(columns.size());
        for (qsizetype c = 0; c < columns.size(); ++c)
            bound[c] = plainBulkValue(columns[c], row.value(c));
        return std::optional<QString>();
    };
    target.shown = [](const QList<db::Value>& row) {
        QStringList values;
        for (const db::Value& v : row) {
            const QString text = valueText(v);
            values << (text.isEmpty() ? QString() : text);
        }
        return values;
    };
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
    Batch(const QList<db::ParameterSpec>& specs, int rows, qsizetype bytes)
        : arrays(specs, rows, bytes)
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
    db::ParameterArrays arrays;
    QList<QList<db::Value>> source; // a slot per row held
    QList<qint64> numbers;
    QList<Unsent> unsent;
    qint64 lastRead = 0; // the number of the last row this batch accounts for
    bool last = false; // no batch follows
    bool stopped = false; // reading stopped when asked to
    std::exception_ptr error; // reading failed after these rows
};

BulkCopy::BulkCopy(TableCopy& copy, Options options)
    : m_copy(copy)
    , m_options(options)
{ }

BulkCopy::~BulkCopy()
{
    close();
}

void BulkCopy::openSource(const QString& sourceName)
{
    m_source = BulkSource::open(m_copy.direction(), m_copy.source(), sourceName);
}

const QList<db::ResultColumn>& BulkCopy::columns() const
{
    static const QList<db::ResultColumn> none;
    return m_source ? m_source->columns() : none;
}

qint64 BulkCopy::rowCount() const
{
    return m_source ? m_source->rowCount() : 0;
}

BulkTarget BulkCopy::plainTarget(const QString& targetName)
{
    const bool narrow
        = m_copy.direction() == Direction::ToMySQL && ReadMySQLSession(m_copy.target()).utf8;
    return plainBulkTarget(m_copy.direction(), targetName, columns(), narrow);
}

namespace {

// Batches go round between the reading thread, which fills them, and the
// copy's thread, which sends them: at most `count` exist, so memory holds
// that many batches whatever the table's size.
class Pipe {
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

} // namespace

BulkCopy::End BulkCopy::copyRows(
    const QString& targetName, const BulkTarget& target, Listener& listener)
{
    End end;
    m_counts = RowCounts();
    if (!m_source) {
        end.failure = QStringLiteral("The source was not read.");
        return end;
    }
    db::Connection& to = m_copy.target();
    int rows = std::max(1, m_options.batchRows);
    qsizetype bytes = batchBytes;
    std::unique_ptr<db::BulkInsert> insert;
    try {
        if (m_copy.direction() == Direction::ToMySQL) {
            if (!transactional(to, targetName))
                rows = 1;
            const qint64 packet = ReadMySQLSession(to).maxPacket;
            if (packet > 0)
                bytes = std::min<qsizetype>(bytes, packet / 2);
        }
        insert = std::make_unique<db::BulkInsert>(to, target.insert);
        db::SetAutocommit(to, false);
    } catch (...) {
        end.failure
            = QStringLiteral("Preparing the INSERT failed: ") + failure(std::current_exception());
        return end;
    }

    // Three batches: one being read, one waiting, one being sent.
    Pipe pipe(3, [&] { return std::make_shared<Batch>(target.parameters, rows, bytes); });
    BulkSource& source = *m_source;
    const TableCopy& copy = m_copy;
    std::exception_ptr readerFault;

    // The reading thread: rows from the source, made into bound values.
    std::thread reader([&] {
        try {
            qint64 number = 0;
            QList<db::Value> bound;
            // A row that did not fit the batch it was read for begins the next.
            std::optional<std::pair<QList<db::Value>, QList<db::Value>>> carried;
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
                    if (copy.stopRequested() || pipe.abandoned()) {
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
                    QList<db::Value>& row = b->source[slot];
                    ++number;
                    std::optional<QString> refusal;
                    try {
                        refusal = target.prepare(row, bound);
                        if (!refusal && b->arrays.add(bound) == db::ParameterArrays::Added::Full) {
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
        } catch (...) {
            readerFault = std::current_exception();
            pipe.abandon();
        }
    });

    // Whatever happens here, the reader stops and is waited for.
    struct Join {
        Pipe& pipe;
        std::thread& thread;
        bool joined = false;
        ~Join()
        {
            if (joined)
                return;
            pipe.abandon();
            thread.join();
        }
    } join { pipe, reader };

    const auto failsEveryRow = [](const db::DbError& error) {
        return FailsEveryLaterRow(std::make_exception_ptr(error));
    };
    for (;;) {
        Batch* b = pipe.takeFull<Batch>();
        if (!b) // the reader gave up without a batch
            break;
        const int held = b->arrays.size();
        db::BulkInsert::Sent sent;
        if (held > 0)
            sent = insert->send(b->arrays, failsEveryRow);
        // Refused rows are told in the order of the source.
        QList<Unsent> refusals = b->unsent;
        for (const db::BulkInsert::Refusal& r : sent.refused)
            refusals.append(
                { b->numbers[r.row], r.error.description(), target.shown(b->source[r.row]) });
        std::sort(refusals.begin(), refusals.end(),
            [](const Unsent& x, const Unsent& y) { return x.number < y.number; });
        for (const Unsent& r : std::as_const(refusals)) {
            if (sent.fatal && r.number > b->numbers[sent.unsentFrom])
                break;
            ++m_counts.refused;
            listener.refused(r.number, r.message, r.values);
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
    reader.join();
    join.joined = true;
    if (readerFault && end.failure.isEmpty())
        end.failure = QStringLiteral("Reading row %1 failed: %2")
                          .arg(m_counts.read + 1)
                          .arg(failure(readerFault));
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
    if (m_source)
        m_source->close();
    m_source.reset();
}

} // namespace tw::transfer

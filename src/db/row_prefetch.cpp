#include "db/row_prefetch.h"

#include "db/yield.h"
#include "odbc/handles.h"

#include <exception>
#include <sqlext.h>

namespace tw::db {

namespace {

// A batch goes over when it holds this many rows or bytes; the thread reads
// at most this far ahead. Enough that the caller seldom waits, little
// enough that long values do not pile up in memory.
constexpr qint64 batchRows = 128;
constexpr qsizetype batchBytes = 64 * 1024;
constexpr size_t aheadBatches = 4;
constexpr qsizetype aheadBytes = 4 * 1024 * 1024;

qsizetype sizeOf(const QList<odbc::Value>& row)
{
    qsizetype bytes = 0;
    for (const odbc::Value& v : row) {
        if (v.metaType().id() == QMetaType::QString)
            bytes += static_cast<const QString*>(v.constData())->size() * qsizetype(sizeof(QChar));
        else if (v.metaType().id() == QMetaType::QByteArray)
            bytes += static_cast<const QByteArray*>(v.constData())->size();
        bytes += 16;
    }
    return bytes;
}

} // namespace

RowPrefetch::Batch::Batch()
    : rows(batchBytes)
{ }

RowPrefetch::RowPrefetch(odbc::ResultReader& reader, qsizetype columns)
    : m_reader(reader)
    , m_columns(columns)
{ }

RowPrefetch::~RowPrefetch()
{
    pause();
}

void RowPrefetch::start()
{
    if (m_thread.joinable())
        m_thread.join();
    m_stop = false;
    m_running = true;
    m_thread = std::thread([this] { read(); });
}

// Called with the lock held.
void RowPrefetch::hand(Batch& batch)
{
    m_readyBytes += batch.bytes;
    m_ready.push_back(std::move(batch));
    batch = Batch();
    m_changed.notify_all();
}

void RowPrefetch::read()
{
    Batch batch;
    QList<odbc::Value> row;
    for (;;) {
        if (batch.rows.size() == 0) {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] {
                return m_stop || m_ready.empty()
                    || (m_ready.size() < aheadBatches && m_readyBytes < aheadBytes);
            });
        }
        if (m_stop) {
            // A row once fetched cannot be fetched again: hand over what was read.
            std::lock_guard lock(m_mutex);
            if (batch.rows.size() > 0)
                hand(batch);
            m_running = false;
            m_changed.notify_all();
            return;
        }
        try {
            if (m_reader.next(row)) {
                batch.rows.append(row);
                batch.bytes += sizeOf(row);
            } else {
                batch.end = true;
            }
        } catch (const odbc::DbError& e) {
            batch.error = e;
        } catch (const std::exception& e) {
            // Nothing may leave the thread; the caller gets it in the row's place.
            batch.error = odbc::DbError(QString::fromLocal8Bit(e.what()));
        }
        const bool last = batch.end || batch.error.has_value();
        if (last || batch.rows.size() >= batchRows || batch.bytes >= batchBytes) {
            std::lock_guard lock(m_mutex);
            hand(batch);
            if (last) {
                m_running = false;
                return;
            }
        }
    }
}

bool RowPrefetch::take(QList<odbc::Value>& row)
{
    for (;;) {
        if (m_ended)
            return false;
        if (m_taking.rows.takeFront(row, m_columns))
            return true;
        if (m_taking.error) {
            const odbc::DbError error = std::move(*m_taking.error);
            m_taking.error.reset();
            throw error;
        }
        if (m_taking.end) {
            m_ended = true;
            return false;
        }
        std::unique_lock lock(m_mutex);
        if (m_ready.empty() && !m_running) {
            if (m_gone)
                throw odbc::DbError(QStringLiteral("08003"),
                    QStringLiteral("The connection was closed while its result was read."));
            lock.unlock();
            start();
            lock.lock();
        }
        if (m_ready.empty()) {
            // The window waits for the source's driver, as it would reading
            // the row itself.
            DriverWait wait;
            m_changed.wait(lock, [this] { return !m_ready.empty(); });
        }
        m_taking = std::move(m_ready.front());
        m_ready.pop_front();
        m_readyBytes -= m_taking.bytes;
        m_changed.notify_all();
    }
}

void RowPrefetch::statementGone()
{
    pause();
    m_gone = true;
}

void RowPrefetch::pause()
{
    m_stop = true;
    {
        // Taking the lock orders the flag with the thread's wait.
        std::lock_guard lock(m_mutex);
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace tw::db

#include "copy/loop/feed.h"

#include "copy/loop/row_loop.h"
#include "copy/loop/row_target.h"

namespace tw::copy {

void InlineFeed::run(RowLoop& loop, RowTarget& target)
{
    const std::unique_ptr<Batch> batch = target.newBatch();
    do
        loop.fill(*batch);
    while (loop.drain(*batch));
}

ThreadFeed::ThreadFeed(Opener open, int batches)
    : m_batches(std::max(batches, 2))
{
    m_thread = std::thread([this, open = std::move(open)] { read(open); });
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_opened || m_openFailure; });
    if (m_openFailure) {
        lock.unlock();
        m_thread.join();
        std::rethrow_exception(m_openFailure);
    }
}

ThreadFeed::~ThreadFeed()
{
    close();
}

void ThreadFeed::close() noexcept
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        m_changed.notify_all();
    }
    if (m_thread.joinable())
        m_thread.join();
}

Batch* ThreadFeed::take(std::deque<Batch*>& from)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_quit || !from.empty(); });
    if (m_quit)
        return nullptr;
    Batch* batch = from.front();
    from.pop_front();
    return batch;
}

void ThreadFeed::give(std::deque<Batch*>& to, Batch* batch)
{
    std::lock_guard lock(m_mutex);
    to.push_back(batch);
    m_changed.notify_all();
}

// The reading thread: opens the source, fills batches once told to, then
// closes what it opened.
void ThreadFeed::read(const Opener& open)
{
    try {
        m_source = open();
    } catch (...) {
        std::lock_guard lock(m_mutex);
        m_openFailure = std::current_exception();
        m_changed.notify_all();
        return;
    }
    RowLoop* loop = nullptr;
    {
        std::unique_lock lock(m_mutex);
        m_opened = true;
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return m_quit || m_loop; });
        loop = m_quit ? nullptr : m_loop;
    }
    while (loop) {
        Batch* batch = take(m_free);
        if (!batch)
            break;
        try {
            loop->fill(*batch);
        } catch (...) {
            // Nothing may leave the thread; the rows end after this batch.
            batch->readFailure = std::current_exception();
            batch->readFailureRow = batch->lastRead + 1;
            batch->last = true;
        }
        const bool last = batch->last;
        give(m_full, batch);
        if (last)
            break;
    }
    m_source->close();
}

void ThreadFeed::run(RowLoop& loop, RowTarget& target)
{
    for (int i = 0; i < m_batches; ++i) {
        m_all.push_back(target.newBatch());
        m_free.push_back(m_all.back().get());
    }
    {
        std::lock_guard lock(m_mutex);
        m_loop = &loop;
        m_changed.notify_all();
    }
    while (Batch* batch = take(m_full)) {
        const bool more = loop.drain(*batch);
        give(m_free, batch);
        if (!more)
            break;
    }
    // The reader stops at its next batch and closes the source.
    close();
}

} // namespace tw::copy

#pragma once

#include "copy/loop/row_source.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tw::copy {

class Batch;
class RowLoop;
class RowTarget;

// Runs the two halves of a row loop: the reading half fills batches, the
// writing half sends them.
class Feed {
public:
    virtual ~Feed() = default;
    virtual void run(RowLoop& loop, RowTarget& target) = 0;
};

// Both halves on the caller's thread, a batch at a time: the window's copy
// and the command's row by row.
class InlineFeed : public Feed {
public:
    void run(RowLoop& loop, RowTarget& target) override;
};

// The reading half on a thread of its own, which owns the source from its
// opening to its closing, while the caller's thread sends: `batches`
// batches go round between them, so that memory holds that many whatever
// the table's size. (MariaDB Connector/ODBC 3.1.15 keeps a connection's
// lock with the thread that ran a text of several statements on it, so
// that any other thread using that connection afterwards waits for ever.)
class ThreadFeed : public Feed {
public:
    using Opener = std::function<std::unique_ptr<RowSource>()>;
    // Opens the source on the reading thread; throws what opening threw.
    ThreadFeed(Opener open, int batches);
    // Stops the reading and closes the source on its thread.
    ~ThreadFeed() override;
    ThreadFeed(const ThreadFeed&) = delete;
    ThreadFeed& operator=(const ThreadFeed&) = delete;

    RowSource& source() { return *m_source; }
    void run(RowLoop& loop, RowTarget& target) override;
    // What the destructor does, earlier; never throws.
    void close() noexcept;

private:
    void read(const Opener& open);
    Batch* take(std::deque<Batch*>& from);
    void give(std::deque<Batch*>& to, Batch* batch);

    int m_batches;
    std::unique_ptr<RowSource> m_source;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    // Told by the reading thread once the source is open.
    bool m_opened = false;
    std::exception_ptr m_openFailure;
    // Told by the caller: what to fill, or to give up.
    RowLoop* m_loop = nullptr;
    bool m_quit = false;
    std::vector<std::unique_ptr<Batch>> m_all;
    std::deque<Batch*> m_free;
    std::deque<Batch*> m_full;
};

} // namespace tw::copy

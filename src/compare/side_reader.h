#pragma once

#include "compare/rows.h"
#include "compare/spill.h"
#include "copy/loop/row_source.h"
#include "copy/loop/stop_request.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace tw::compare {

// One side of a comparison read on a thread of its own, which owns its
// source from opening to closing (as copy::ThreadFeed does): opened first,
// so that its columns are known, then, once told to, every row made into a
// record and spilled, while the other side is read on another thread.
class SideReader {
public:
    using Opener = std::function<std::unique_ptr<copy::RowSource>()>;
    // Opens the source on the reading thread; throws what opening threw.
    explicit SideReader(Opener open);
    // Stops the reading and closes the source on its thread.
    ~SideReader();
    SideReader(const SideReader&) = delete;
    SideReader& operator=(const SideReader&) = delete;

    // Between opening and start() only.
    QList<copy::SourceColumn> columns() const { return m_source->columns(); }
    qint64 count() const { return m_source->count(); }

    // Reads every row into `spill`, made by `encoder`, until the end or a stop.
    void start(RowEncoder& encoder, Spill& spill, const copy::StopRequest* stop);
    // Waits up to `milliseconds` for the end; true once the reading ended.
    bool wait(int milliseconds);
    // Rethrows what ended the reading early; true when a stop did.
    bool finish();
    qint64 rows() const { return m_rows.load(std::memory_order_relaxed); }

private:
    void read(const Opener& open);

    std::unique_ptr<copy::RowSource> m_source;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_opened = false;
    bool m_quit = false;
    bool m_done = false;
    bool m_stopped = false;
    std::exception_ptr m_failure;
    RowEncoder* m_encoder = nullptr;
    Spill* m_spill = nullptr;
    const copy::StopRequest* m_stop = nullptr;
    std::atomic<qint64> m_rows { 0 };
};

} // namespace tw::compare

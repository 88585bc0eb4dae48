#include "compare/side_reader.h"

namespace tw::compare {

SideReader::SideReader(Opener open)
{
    m_thread = std::thread([this, open = std::move(open)] { read(open); });
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_opened || m_failure; });
    if (m_failure) {
        lock.unlock();
        m_thread.join();
        std::rethrow_exception(m_failure);
    }
}

SideReader::~SideReader()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        m_changed.notify_all();
    }
    if (m_thread.joinable())
        m_thread.join();
}

void SideReader::start(RowEncoder& encoder, Spill& spill, const copy::StopRequest* stop)
{
    std::lock_guard lock(m_mutex);
    m_encoder = &encoder;
    m_spill = &spill;
    m_stop = stop;
    m_changed.notify_all();
}

bool SideReader::wait(int milliseconds)
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(
        lock, std::chrono::milliseconds(milliseconds), [&] { return m_done; });
}

bool SideReader::finish()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_done; });
    if (m_failure)
        std::rethrow_exception(m_failure);
    return m_stopped;
}

void SideReader::read(const Opener& open)
{
    try {
        m_source = open();
    } catch (...) {
        std::lock_guard lock(m_mutex);
        m_failure = std::current_exception();
        m_changed.notify_all();
        return;
    }
    {
        std::unique_lock lock(m_mutex);
        m_opened = true;
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return m_quit || m_encoder; });
    }
    std::exception_ptr failure;
    bool stopped = false;
    if (m_encoder) {
        QByteArray record;
        try {
            qint64 rows = 0;
            for (; !m_source->atEnd(); m_source->next()) {
                if ((m_stop && m_stop->requested()) || (rows % 1024 == 0 && [&] {
                        std::lock_guard lock(m_mutex);
                        return m_quit;
                    }())) {
                    stopped = true;
                    break;
                }
                m_encoder->encode(*m_source, record);
                m_spill->add(record);
                m_rows.store(++rows, std::memory_order_relaxed);
            }
        } catch (...) {
            failure = std::current_exception();
        }
    }
    m_source->close();
    std::lock_guard lock(m_mutex);
    m_failure = failure;
    m_stopped = stopped;
    m_done = true;
    m_changed.notify_all();
}

} // namespace tw::compare

#pragma once

#include "db/row_buffer.h"
#include "odbc/error.h"
#include "odbc/result_reader.h"
#include "odbc/value.h"

#include <QList>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <sql.h>
#include <thread>

namespace tw::db {

// Reads the rows of an open statement on a thread of its own, a bounded
// stretch ahead of the caller. A copy reads a row from the source and then
// waits for the target to take its INSERT; with the next rows already read
// the source's driver works while the target's does.
//
// Rows come out in order. A row whose fetch failed comes out as that error,
// in its place, and the thread stops there: the next take fetches again, as
// a caller fetching row by row would. The end of the rows stays the end.
class RowPrefetch {
public:
    // Reads with `reader`, whose statement is the caller's except while the
    // thread reads.
    RowPrefetch(odbc::ResultReader& reader, qsizetype columns);
    ~RowPrefetch();
    RowPrefetch(const RowPrefetch&) = delete;
    RowPrefetch& operator=(const RowPrefetch&) = delete;

    // The next row: true with it, false at the end. Throws the DbError its
    // fetch met. Starts the thread when none is reading.
    bool take(QList<odbc::Value>& row);

    // Lets the thread finish the row it is fetching and stop; the statement
    // is the caller's again. Rows already read stay to be taken.
    void pause();
    // The statement is gone with its connection: rows already read stay to
    // be taken; after them, take() throws rather than touch the statement.
    void statementGone();

private:
    // Rows travel packed, a batch at a time: values made on one thread and
    // freed on the other would have both threads queue for the allocator.
    struct Batch {
        Batch();
        RowBuffer rows;
        qsizetype bytes = 0;
        std::optional<odbc::DbError> error; // met after the rows
        bool end = false; // after the rows
    };

    void start();
    void read();
    void hand(Batch& batch);

    odbc::ResultReader& m_reader;
    qsizetype m_columns;
    Batch m_taking; // the caller's, used without the lock
    bool m_ended = false;
    bool m_gone = false;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Batch> m_ready; // handed over by the thread
    qsizetype m_readyBytes = 0;
    bool m_running = false; // the thread has not yet left its loop
    std::atomic<bool> m_stop = false;
    std::thread m_thread;
};

} // namespace tw::db

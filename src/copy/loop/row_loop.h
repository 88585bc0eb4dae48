#pragma once

#include "copy/loop/loop_host.h"
#include "copy/loop/row_counts.h"
#include "copy/loop/row_source.h"
#include "copy/loop/row_target.h"
#include "copy/loop/stop_request.h"

namespace tw::copy {

class Feed;

// The one row loop of every copy: the tables window's, the command's row
// by row and its bulk copy alike. Rows come from a source, are made into
// the target's batches value by value, and the batches are sent; each
// phase runs through the host, which the window turns into the numbered
// steps of its error trap.
//
// A row that cannot be read, built or sent is refused and reported, and the
// next row follows. A failure that every later row would meet too (the
// connection lost, the target table gone, no room left) ends the rows, as
// does a stop request after the row on hand (whose rows read so far are
// sent) and the end of the source: when the source knows its count, after
// that many rows.
//
// The reading half (fill) and the writing half (drain) meet in batches, so
// that a Feed may run the reading half on a thread of its own.
class RowLoop {
public:
    RowLoop(
        RowSource& source, RowTarget& target, LoopHost& host, const StopRequest* stop = nullptr);

    // The Count phase, once: the rows in all, -1 when the source cannot
    // tell before reading them, 0 when counting failed.
    qint64 count();
    // Every row, fed as `feed` feeds them; never throws.
    LoopEnd run(Feed& feed);
    const RowCounts& counts() const { return m_counts; }

    // The reading half: fills `batch` with the rows that follow, until it is
    // full or the rows end (which it then says).
    void fill(Batch& batch);
    // The writing half: sends `batch` and tells the host what became of its
    // rows; false once the rows have ended.
    bool drain(Batch& batch);

private:
    bool moreRows();
    void end(LoopEnd end);

    RowSource& m_source;
    RowTarget& m_target;
    LoopHost& m_host;
    const StopRequest* m_stop;
    int m_width = 0;
    qint64 m_total = -1;
    bool m_counted = false;
    std::exception_ptr m_countFailure;
    qint64 m_row = 0; // rows taken from the source so far
    bool m_started = false;
    bool m_carried = false; // the current row did not fit the last batch
    std::exception_ptr m_unreadable; // why the current row could not be read
    RowCounts m_counts;
    LoopEnd m_end;
};

} // namespace tw::copy

#include "copy/loop/row_loop.h"

#include "copy/loop/feed.h"
#include "odbc/error.h"

#include <algorithm>
#include <vector>

namespace tw::copy {

namespace {
bool lasting(const std::exception_ptr& error)
{
    return odbc::lastingFailure(error) != odbc::LastingFailure::None;
}
} // namespace

RowLoop::RowLoop(RowSource& source, RowTarget& target, LoopHost& host, const StopRequest* stop)
    : m_source(source)
    , m_target(target)
    , m_host(host)
    , m_stop(stop)
{ }

qint64 RowLoop::count()
{
    if (!m_counted) {
        m_counted = true;
        m_countFailure = m_host.run(Phase::Count, 0, [&] { m_total = m_source.count(); });
        if (m_countFailure)
            m_total = 0;
    }
    return m_total;
}

LoopEnd RowLoop::run(Feed& feed)
{
    count();
    m_width = int(m_source.columns().size());
    if (m_countFailure) {
        LoopEnd e;
        e.reason = LoopEnd::Reason::CountFailed;
        e.error = m_countFailure;
        end(e);
        return m_end;
    }
    feed.run(*this, m_target);
    return m_end;
}

bool RowLoop::moreRows()
{
    return m_total >= 0 ? m_row < m_total : !m_source.atEnd();
}

void RowLoop::fill(Batch& batch)
{
    batch.clear();
    while (!m_target.full(batch)) {
        if (!m_carried) {
            // The source stands on the first row once open; every later row
            // is moved to, also after the last (as a recordset is).
            if (m_started) {
                const std::exception_ptr failed
                    = m_host.run(Phase::Advance, m_row, [&] { m_source.next(); });
                if (failed && lasting(failed)) {
                    batch.readFailure = failed;
                    batch.readFailureRow = m_row + 1;
                    batch.last = true;
                    return;
                }
                m_unreadable = failed;
            }
            m_started = true;
            if (!moreRows()) {
                batch.last = true;
                return;
            }
            if (m_stop && m_stop->requested()) {
                batch.last = batch.stopped = true;
                return;
            }
            ++m_row;
            m_host.run(Phase::RowYield, m_row, [&] { m_host.yield(); });
            m_host.run(Phase::Progress, m_row, [&] { m_host.rowStarting(m_row, m_total); });
        }
        m_carried = false;
        const qint64 number = m_row;
        if (m_unreadable) {
            batch.unsent.append({ number, std::exchange(m_unreadable, nullptr), {} });
            batch.lastRead = number;
            continue;
        }
        std::exception_ptr failed
            = m_host.run(Phase::RowBegin, number, [&] { m_target.beginRow(batch); });
        Row& row = batch.nextSlot(m_width);
        for (int j = 0; j < m_width; ++j) {
            m_host.run(Phase::ValueYield, number, [&] { m_host.yield(); });
            const std::exception_ptr e = m_host.run(Phase::Value, number, [&] {
                row[j] = m_source.take(j);
                m_target.value(batch, j, row[j]);
            });
            if (e && !failed)
                failed = e;
        }
        bool fits = true;
        if (!failed)
            failed = m_host.run(
                Phase::RowEnd, number, [&] { fits = m_target.endRow(batch, number, row); });
        if (!fits) {
            m_carried = true;
            return;
        }
        batch.lastRead = number;
        if (failed)
            batch.unsent.append({ number, failed, m_target.shown(row) });
        else
            batch.numbers.append(number);
    }
}

bool RowLoop::drain(Batch& batch)
{
    Outcome out;
    if (!batch.numbers.isEmpty()) {
        const std::exception_ptr failed
            = m_host.run(Phase::Send, batch.numbers.first(), [&] { out = m_target.send(batch); });
        if (failed) {
            out = Outcome();
            if (lasting(failed))
                out.fatal = failed;
            else
                out.refused.append({ 0, failed });
        }
    }
    const qint64 fatalRow = out.fatal ? batch.numbers[out.unsentFrom] : 0;
    QList<Batch::Refusal> refusals = batch.unsent;
    for (const auto& [index, error] : std::as_const(out.refused))
        refusals.append({ batch.numbers[index], error, m_target.shown(batch.rows[index]) });
    std::sort(refusals.begin(), refusals.end(),
        [](const Batch::Refusal& a, const Batch::Refusal& b) { return a.number < b.number; });
    for (const Batch::Refusal& r : std::as_const(refusals)) {
        if (out.fatal && r.number > fatalRow)
            break;
        ++m_counts.refused;
        m_host.refused(r.number, r.error, r.values);
    }
    m_counts.written += out.landed;
    m_counts.read = std::max(m_counts.read, batch.lastRead);
    if (out.landed > 0 && m_host.wantsLanded()) {
        const int sent = out.fatal ? out.unsentFrom : int(batch.numbers.size());
        std::vector<bool> refused(size_t(sent), false);
        for (const auto& [index, error] : std::as_const(out.refused)) {
            if (index < sent)
                refused[size_t(index)] = true;
        }
        for (int i = 0; i < sent; ++i) {
            if (!refused[size_t(i)])
                m_host.landed(batch.rows[i]);
        }
    }

    LoopEnd e;
    e.total = m_total;
    if (out.fatal) {
        // As a row-by-row copy counts it: the failing row refused, the rows
        // after it not sent.
        m_counts.read = fatalRow;
        ++m_counts.refused;
        e.reason = LoopEnd::Reason::Lasting;
        e.phase = Phase::Send;
        e.whileCommitting = out.whileCommitting;
        e.error = out.fatal;
        e.row = fatalRow;
        e.notCopied = m_counts.refused + std::max<qint64>(0, m_total - fatalRow);
        end(e);
        return false;
    }
    m_host.rowsDone(m_counts.read, m_total);
    if (batch.readFailure) {
        e.reason = LoopEnd::Reason::Lasting;
        e.phase = Phase::Advance;
        e.error = batch.readFailure;
        e.row = batch.readFailureRow;
        e.notCopied = m_counts.refused + std::max<qint64>(0, m_total - (batch.readFailureRow - 1));
        end(e);
        return false;
    }
    if (batch.stopped || batch.last) {
        e.reason = batch.stopped ? LoopEnd::Reason::Stopped : LoopEnd::Reason::Done;
        end(e);
        return false;
    }
    return true;
}

void RowLoop::end(LoopEnd end)
{
    end.total = m_total;
    m_end = end;
    m_host.ended(m_end);
}

} // namespace tw::copy

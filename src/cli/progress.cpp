#include "cli/progress.h"

#include "cli/terminal.h"

namespace tw::cli {

namespace {
QString duration(double seconds)
{
    const qint64 s = qint64(seconds + 0.5);
    return s >= 3600 ? QStringLiteral("%1:%2:%3")
                           .arg(s / 3600)
                           .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
                           .arg(s % 60, 2, 10, QLatin1Char('0'))
                     : QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}
} // namespace

Progress::Progress(bool terminal)
    : m_terminal(terminal)
{ }

void Progress::begin(const QString& table, qint64 total)
{
    m_table = table;
    m_total = total;
    m_start = Clock::now();
    m_lastDraw = m_start;
}

void Progress::rows(qint64 done)
{
    if (!m_terminal)
        return;
    const Clock::time_point now = Clock::now();
    if (now - m_lastDraw < std::chrono::milliseconds(100))
        return;
    m_lastDraw = now;
    const double seconds = std::chrono::duration<double>(now - m_start).count();
    const double rate = seconds > 0 ? double(done) / seconds : 0;
    if (m_total < 0) {
        writeErr(QStringLiteral("\r\x1b[K%1: %2 rows, %3 rows/s")
                     .arg(m_table)
                     .arg(done)
                     .arg(qint64(rate)));
        m_drawn = true;
        return;
    }
    const QString left = rate > 0 ? duration(double(m_total - done) / rate) : QStringLiteral("?");
    writeErr(QStringLiteral("\r\x1b[K%1: %2 / %3 rows, %4 rows/s, %5 left")
                 .arg(m_table)
                 .arg(done)
                 .arg(m_total)
                 .arg(qint64(rate))
                 .arg(left));
    m_drawn = true;
}

void Progress::clearLine()
{
    if (m_drawn)
        writeErr(QStringLiteral("\r\x1b[K"));
    m_drawn = false;
}

void Progress::message(const QString& text)
{
    clearLine();
    writeErr(text + QLatin1Char('\n'));
}

void Progress::end(const TableResult& r)
{
    QString line = QStringLiteral("%1: %2").arg(r.table, r.resultName());
    if (r.result != TableResult::Skipped && r.result != TableResult::NotStarted)
        line += QStringLiteral(", %1 of %2 rows written, %3 refused, %4 s")
                    .arg(r.counts.written)
                    .arg(r.counts.read)
                    .arg(r.counts.refused)
                    .arg(r.seconds, 0, 'f', 2);
    if (!r.message.isEmpty())
        line += QStringLiteral(". ") + r.message;
    message(line);
}

} // namespace tw::cli

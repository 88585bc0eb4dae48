#pragma once

#include "cli/summary.h"

#include <QString>
#include <chrono>

namespace tw::cli {

// Progress on stderr. On a terminal, one line per table redrawn in place at
// most ten times a second (rows done of all, rows/s, time left); elsewhere
// (a pipe, a log, cron) only the line each table ends with.
class Progress {
public:
    explicit Progress(bool terminal);

    // A total below 0 is unknown: the line shows the rows and rows/s only.
    void begin(const QString& table, qint64 total);
    // Cheap when there is nothing to draw, so it may be called every row.
    void rows(qint64 done);
    // A message of its own line, never mixed into the progress line.
    void message(const QString& text);
    void end(const TableResult& result);

private:
    using Clock = std::chrono::steady_clock;
    void clearLine();

    bool m_terminal;
    bool m_drawn = false;
    QString m_table;
    qint64 m_total = 0;
    Clock::time_point m_start;
    Clock::time_point m_lastDraw;
};

} // namespace tw::cli

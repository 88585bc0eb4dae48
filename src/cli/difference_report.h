#pragma once

#include "cli/progress.h"
#include "compare/comparison.h"

#include <QFile>

namespace tw::cli {

// A table's comparison as the terminal shows it: progress on stderr, and
// each difference with --diffs as one JSON line of its own (table, kind,
// key, column and both values, or the row, and the reason), otherwise the
// first five of each table on stderr; at most --max-diffs of each table
// either way. Each table ends with its line.
class DifferenceReport : public compare::ComparisonObserver {
public:
    // `most`: differences of each table written or shown; -1: all.
    DifferenceReport(Progress& progress, qint64 most);

    // Creates the file anew; false when it cannot be written.
    bool open(const QString& path, QString* error);

    void begin(const QString& table, qint64 total) override;
    void rows(qint64 done) override;
    bool wantsDifference() override;
    void difference(const QString& table, const compare::Difference& d) override;
    void end(const compare::Comparison& c);

private:
    static constexpr int shownPerTable = 5;
    Progress& m_progress;
    qint64 m_most;
    QFile m_file;
    qint64 m_told = 0;
};

} // namespace tw::cli

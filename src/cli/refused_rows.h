#pragma once

#include "cli/progress.h"

#include <QFile>
#include <QString>
#include <QStringList>

namespace tw::cli {

// Where refused rows go: with --rejects, each as one JSON line of its own
// (table, row number, the database's message, the values as the statement
// carried them, null for NULL); otherwise the first five messages of each
// table on stderr. Either way each table ends with its count.
class RefusedRows {
public:
    explicit RefusedRows(Progress& progress);

    // Creates the file anew; false when it cannot be written.
    bool open(const QString& path, QString* error);
    void row(const QString& table, qint64 row, const QString& message, const QStringList& values);
    void endTable(const QString& table, qint64 refused);

private:
    static constexpr int shownPerTable = 5;
    Progress& m_progress;
    QFile m_file;
    int m_shown = 0;
};

} // namespace tw::cli

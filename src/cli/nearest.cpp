#include "cli/nearest.h"

#include <QList>
#include <algorithm>

namespace tw::cli {

namespace {
qsizetype editDistance(const QString& a, const QString& b)
{
    QList<qsizetype> row(b.size() + 1);
    for (qsizetype j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (qsizetype i = 1; i <= a.size(); ++i) {
        qsizetype diagonal = row[0];
        row[0] = i;
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const qsizetype above = row[j];
            const qsizetype change = diagonal + (a[i - 1] == b[j - 1] ? 0 : 1);
            row[j] = std::min({ above + 1, row[j - 1] + 1, change });
            diagonal = above;
        }
    }
    return row[b.size()];
}
} // namespace

QString nearest(const QString& typed, const QStringList& candidates)
{
    QString best;
    qsizetype bestDistance = -1;
    for (const QString& c : candidates) {
        const qsizetype d = editDistance(typed.toLower(), c.toLower());
        if (bestDistance < 0 || d < bestDistance) {
            best = c;
            bestDistance = d;
        }
    }
    return best;
}

} // namespace tw::cli

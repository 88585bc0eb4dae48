#include "cli/difference_report.h"

#include "cli/compare_summary.h"

#include <QJsonDocument>

namespace tw::cli {

namespace {

QString compact(const QJsonObject& o)
{
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

QString shown(const QJsonValue& v)
{
    return v.isNull() ? QStringLiteral("NULL") : u'\'' + v.toString() + u'\'';
}

} // namespace

DifferenceReport::DifferenceReport(Progress& progress, qint64 most)
    : m_progress(progress)
    , m_most(most)
{ }

bool DifferenceReport::open(const QString& path, QString* error)
{
    m_file.setFileName(path);
    if (m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return true;
    *error = m_file.errorString();
    return false;
}

void DifferenceReport::begin(const QString& table, qint64 total)
{
    m_told = 0;
    m_progress.begin(table, total);
}

void DifferenceReport::rows(qint64 done)
{
    m_progress.rows(done);
}

bool DifferenceReport::wantsDifference()
{
    const qint64 most = m_file.isOpen() ? m_most : shownPerTable;
    return most < 0 || m_told < most;
}

void DifferenceReport::difference(const QString& table, const compare::Difference& d)
{
    ++m_told;
    if (m_file.isOpen()) {
        QJsonObject line { { QStringLiteral("table"), table },
            { QStringLiteral("kind"), d.kindName() }, { QStringLiteral("reason"), d.reason } };
        if (!d.key.isEmpty())
            line.insert(QStringLiteral("key"), d.key);
        if (d.kind == compare::Difference::Kind::Changed) {
            line.insert(QStringLiteral("column"), d.column);
            line.insert(QStringLiteral("source"), d.source);
            line.insert(QStringLiteral("target"), d.target);
        } else {
            line.insert(QStringLiteral("row"), d.row);
        }
        m_file.write(QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n');
        // Whatever happens to the process next, the lines written so far stay.
        m_file.flush();
        return;
    }
    const QString where
        = d.key.isEmpty() ? compact(d.row) : QStringLiteral("key ") + compact(d.key);
    switch (d.kind) {
    case compare::Difference::Kind::Changed:
        m_progress.message(
            QStringLiteral("%1: %2: %3 is %4 in the source, %5 in the target: %6")
                .arg(table, where, d.column, shown(d.source), shown(d.target), d.reason));
        break;
    case compare::Difference::Kind::OnlyInSource:
        m_progress.message(
            QStringLiteral("%1: only in the source: %2: %3").arg(table, where, d.reason));
        break;
    case compare::Difference::Kind::OnlyInTarget:
        m_progress.message(
            QStringLiteral("%1: only in the target: %2: %3").arg(table, where, d.reason));
        break;
    }
}

void DifferenceReport::end(const compare::Comparison& c)
{
    QString line = comparisonLine(c);
    const qint64 all = c.onlyInSource + c.onlyInTarget + c.changedValues;
    if (all > m_told && m_told > 0)
        line += m_file.isOpen()
            ? QStringLiteral(" (%1 of %2 differences written to %3)")
                  .arg(m_told)
                  .arg(all)
                  .arg(m_file.fileName())
            : QStringLiteral(" (the first %1 of %2 differences shown)").arg(m_told).arg(all);
    else if (m_told > 0 && m_file.isOpen())
        line += QStringLiteral(" (the differences written to %1)").arg(m_file.fileName());
    m_progress.message(line);
}

} // namespace tw::cli

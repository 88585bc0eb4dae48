#include "cli/summary.h"

#include "cli/exit_codes.h"
#include "cli/terminal.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>

namespace tw::cli {

int exitCodeOf(const QList<TableResult>& results, const Verified& verified)
{
    const auto is = [&](auto test) { return std::any_of(results.begin(), results.end(), test); };
    if (is([](const TableResult& r) {
            return r.result == TableResult::Stopped || r.result == TableResult::NotStarted;
        }))
        return ExitStopped;
    if (is([](const TableResult& r) { return r.result != TableResult::Copied; }))
        return ExitRefused;
    if (std::any_of(verified.begin(), verified.end(),
            [](const auto& c) { return c && c->result == compare::Comparison::Stopped; }))
        return ExitStopped;
    if (std::any_of(verified.begin(), verified.end(),
            [](const auto& c) { return c && c->result != compare::Comparison::Same; }))
        return ExitRefused;
    return ExitCopied;
}

namespace {

QString seconds(double s)
{
    return QString::number(s, 'f', 2);
}

QString rate(double r)
{
    return QString::number(std::llround(r));
}

// What the definition changed or left out, and the empty texts that
// arrived as NULL, per column.
void addReport(const TableResult& r, QJsonObject& t)
{
    if (!r.emptyAsNull.isEmpty()) {
        QJsonObject counts;
        for (const auto& [column, count] : r.emptyAsNull)
            counts.insert(column, count);
        t.insert(QStringLiteral("emptyTextsAsNull"), counts);
    }
    if (!r.notes.isEmpty())
        t.insert(QStringLiteral("notes"), QJsonArray::fromStringList(r.notes));
}

QString reportLines(const QList<TableResult>& results)
{
    QString text;
    for (const TableResult& r : results) {
        for (const auto& [column, count] : r.emptyAsNull)
            text += QStringLiteral("%1: column %2: %3 empty %4 arrived as NULL\n")
                        .arg(r.table, column)
                        .arg(count)
                        .arg(count == 1 ? QStringLiteral("value") : QStringLiteral("values"));
        for (const QString& note : r.notes)
            text += r.table + QStringLiteral(": ") + note + QLatin1Char('\n');
    }
    return text;
}

void printJson(const QList<TableResult>& results, const Verified& verified)
{
    QJsonArray tables;
    for (qsizetype i = 0; i < results.size(); ++i) {
        const TableResult& r = results[i];
        QJsonObject t { { QStringLiteral("table"), r.table },
            { QStringLiteral("target"), r.target }, { QStringLiteral("result"), r.resultName() },
            { QStringLiteral("rowsRead"), r.counts.read },
            { QStringLiteral("rowsWritten"), r.counts.written },
            { QStringLiteral("rowsRefused"), r.counts.refused },
            { QStringLiteral("seconds"), std::round(r.seconds * 1000) / 1000 },
            { QStringLiteral("rowsPerSecond"), std::round(r.rowsPerSecond()) } };
        if (r.inserted >= 0) {
            t.insert(QStringLiteral("rowsInserted"), r.inserted);
            t.insert(QStringLiteral("rowsUpdated"), r.updated);
        }
        if (!r.message.isEmpty())
            t.insert(QStringLiteral("message"), r.message);
        addReport(r, t);
        if (const auto& c = verified.value(i))
            t.insert(QStringLiteral("verify"), comparisonJson(*c));
        tables.append(t);
    }
    const QJsonObject summary { { QStringLiteral("tables"), tables },
        { QStringLiteral("exitCode"), exitCodeOf(results, verified) } };
    writeOut(QString::fromUtf8(QJsonDocument(summary).toJson(QJsonDocument::Indented)));
}

void printTable(const QList<TableResult>& results, const Verified& verified)
{
    QList<QStringList> rows { { QStringLiteral("table"), QStringLiteral("rows read"),
        QStringLiteral("rows written"), QStringLiteral("rows refused"), QStringLiteral("seconds"),
        QStringLiteral("rows/s"), QStringLiteral("result") } };
    for (const TableResult& r : results)
        rows.append({ r.table, QString::number(r.counts.read), QString::number(r.counts.written),
            QString::number(r.counts.refused), seconds(r.seconds), rate(r.rowsPerSecond()),
            r.resultName() });
    // An upsert's rows written, split into those of new and existing keys.
    if (std::any_of(
            results.begin(), results.end(), [](const TableResult& r) { return r.inserted >= 0; })) {
        rows[0].insert(3, QStringLiteral("inserted"));
        rows[0].insert(4, QStringLiteral("updated"));
        for (qsizetype i = 1; i < rows.size(); ++i) {
            const TableResult& r = results[i - 1];
            rows[i].insert(3, r.inserted >= 0 ? QString::number(r.inserted) : QString());
            rows[i].insert(4, r.updated >= 0 ? QString::number(r.updated) : QString());
        }
    }
    if (!verified.isEmpty())
        addVerifiedColumns(rows, verified);
    const QString report = reportLines(results);
    writeOut(alignedTable(rows) + (report.isEmpty() ? QString() : QLatin1Char('\n') + report));
}

} // namespace

QString alignedTable(const QList<QStringList>& rows)
{
    QList<qsizetype> widths(rows.first().size(), 0);
    for (const QStringList& row : rows) {
        for (qsizetype c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], row[c].size());
    }
    QString text;
    for (const QStringList& row : rows) {
        QStringList cells;
        for (qsizetype c = 0; c < row.size(); ++c) {
            // Names and results read from the left, figures line up on the right.
            const bool figure = c > 0 && c + 1 < row.size();
            cells << (figure             ? row[c].rightJustified(widths[c])
                    : c + 1 < row.size() ? row[c].leftJustified(widths[c])
                                         : row[c]);
        }
        text += cells.join(QLatin1String("  ")) + QLatin1Char('\n');
    }
    return text;
}

void printSummary(const QList<TableResult>& results, bool json, const Verified& verified)
{
    if (json)
        printJson(results, verified);
    else
        printTable(results, verified);
}

} // namespace tw::cli

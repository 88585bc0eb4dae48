#include "cli/compare_summary.h"

#include "cli/exit_codes.h"
#include "cli/summary.h"
#include "cli/terminal.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <cmath>

namespace tw::cli {

using compare::Comparison;

namespace {

qint64 declaredInAll(const Comparison& c)
{
    qint64 n = 0;
    for (const auto& [rule, values] : c.declared)
        n += values;
    return n;
}

QString rate(double r)
{
    return QString::number(std::llround(r));
}

} // namespace

int comparisonExitCode(const QList<Comparison>& comparisons)
{
    const auto is = [&](Comparison::Result result) {
        return std::any_of(comparisons.begin(), comparisons.end(),
            [&](const Comparison& c) { return c.result == result; });
    };
    if (is(Comparison::Stopped))
        return ExitStopped;
    if (is(Comparison::Differ) || is(Comparison::Failed))
        return ExitRefused;
    return ExitCopied;
}

QJsonObject comparisonJson(const Comparison& c)
{
    QJsonObject declared;
    for (const auto& [rule, values] : c.declared)
        declared.insert(rule, values);
    QJsonObject o { { QStringLiteral("table"), c.table }, { QStringLiteral("target"), c.target },
        { QStringLiteral("result"), c.resultName() },
        { QStringLiteral("key"), QJsonArray::fromStringList(c.key) },
        { QStringLiteral("sourceRows"), c.sourceRows },
        { QStringLiteral("targetRows"), c.targetRows },
        { QStringLiteral("onlyInSource"), c.onlyInSource },
        { QStringLiteral("onlyInTarget"), c.onlyInTarget },
        { QStringLiteral("changedRows"), c.changedRows },
        { QStringLiteral("changedValues"), c.changedValues },
        { QStringLiteral("declaredChanges"), declared },
        { QStringLiteral("seconds"), std::round(c.seconds * 1000) / 1000 },
        { QStringLiteral("rowsPerSecond"), std::round(c.rowsPerSecond()) } };
    if (!c.keyOrigin.isEmpty())
        o.insert(QStringLiteral("keyOrigin"), c.keyOrigin);
    if (!c.message.isEmpty())
        o.insert(QStringLiteral("message"), c.message);
    return o;
}

void printComparisons(const QList<Comparison>& comparisons, bool json)
{
    if (json) {
        QJsonArray tables;
        for (const Comparison& c : comparisons)
            tables.append(comparisonJson(c));
        const QJsonObject summary { { QStringLiteral("tables"), tables },
            { QStringLiteral("exitCode"), comparisonExitCode(comparisons) } };
        writeOut(QString::fromUtf8(QJsonDocument(summary).toJson(QJsonDocument::Indented)));
        return;
    }
    QList<QStringList> rows { { QStringLiteral("table"), QStringLiteral("source rows"),
        QStringLiteral("target rows"), QStringLiteral("only in source"),
        QStringLiteral("only in target"), QStringLiteral("rows changed"),
        QStringLiteral("changed by rule"), QStringLiteral("seconds"), QStringLiteral("rows/s"),
        QStringLiteral("result") } };
    for (const Comparison& c : comparisons)
        rows.append({ c.table, QString::number(c.sourceRows), QString::number(c.targetRows),
            QString::number(c.onlyInSource), QString::number(c.onlyInTarget),
            QString::number(c.changedRows), QString::number(declaredInAll(c)),
            QString::number(c.seconds, 'f', 2), rate(c.rowsPerSecond()), c.resultName() });
    writeOut(alignedTable(rows));
}

void addVerifiedColumns(QList<QStringList>& rows, const Verified& verified)
{
    const QStringList headings { QStringLiteral("only in source"), QStringLiteral("only in target"),
        QStringLiteral("rows changed") };
    for (qsizetype i = 0; i < rows.size(); ++i) {
        QStringList& row = rows[i];
        const qsizetype at = row.size() - 1;
        if (i == 0) {
            for (qsizetype h = headings.size(); h-- > 0;)
                row.insert(at, headings[h]);
            continue;
        }
        const std::optional<Comparison>& c = verified.value(i - 1);
        if (!c) {
            row.insert(at, 3, QStringLiteral("-"));
            continue;
        }
        row.insert(at, QString::number(c->changedRows));
        row.insert(at, QString::number(c->onlyInTarget));
        row.insert(at, QString::number(c->onlyInSource));
        row.last() += QStringLiteral(", ")
            + (c->result == Comparison::Same ? QStringLiteral("verified")
                                             : QStringLiteral("verify: ") + c->resultName());
    }
}

QString comparisonLine(const Comparison& c)
{
    QString line = QStringLiteral("%1: %2").arg(c.table, c.resultName());
    if (c.result != Comparison::Failed) {
        line += QStringLiteral(", %1 source rows, %2 target rows")
                    .arg(c.sourceRows)
                    .arg(c.targetRows);
        if (c.onlyInSource || c.onlyInTarget || c.changedRows)
            line += QStringLiteral(": %1 only in the source, %2 only in the target, %3 changed")
                        .arg(c.onlyInSource)
                        .arg(c.onlyInTarget)
                        .arg(c.changedRows);
        if (const qint64 declared = declaredInAll(c))
            line += QStringLiteral(", %1 values changed as the mapping declares").arg(declared);
        line += QStringLiteral(", %1 s").arg(c.seconds, 0, 'f', 2);
        line += c.key.isEmpty() ? QStringLiteral(", whole rows matched")
                                : QStringLiteral(", matched by %1 (%2)")
                                      .arg(c.key.join(QLatin1String(", ")), c.keyOrigin);
    }
    if (!c.message.isEmpty())
        line += QStringLiteral(". ") + c.message;
    return line;
}

} // namespace tw::cli

#include "compare/table_comparison.h"

#include "catalog/table_catalog.h"
#include "compare/matcher.h"
#include "compare/side_reader.h"
#include "copy/bulk/block_sources.h"
#include "copy/definition_choice.h"
#include "db/recordset.h"
#include "odbc/error.h"
#include "sql/mysql_dialect.h"

#include <QDir>
#include <QTemporaryDir>
#include <chrono>

namespace tw::compare {

namespace {

using sql::Server;

QString current()
{
    return odbc::describe(std::current_exception());
}

struct ChosenKey {
    QList<int> columns;
    QString origin;
};

// The columns named, by their place among `columns`; nothing unless all
// are there.
std::optional<QList<int>> placesOf(
    const QStringList& names, const QList<copy::SourceColumn>& columns)
{
    QList<int> places;
    for (const QString& name : names) {
        qsizetype at = 0;
        while (at < columns.size() && columns[at].name.compare(name, Qt::CaseInsensitive) != 0)
            ++at;
        if (at == columns.size())
            return std::nullopt;
        places << int(at);
    }
    if (places.isEmpty())
        return std::nullopt;
    return places;
}

// A unique index of `table` whose columns are all NOT NULL, the one of
// fewest columns.
QStringList uniqueNotNull(const catalog::TableCatalog& table)
{
    QStringList best;
    for (const QStringList& key : table.uniqueKeys) {
        const bool notNull = std::all_of(key.begin(), key.end(), [&](const QString& name) {
            return std::any_of(table.columns.begin(), table.columns.end(),
                [&](const catalog::CatalogColumn& c) { return c.name == name && !c.nullable; });
        });
        if (notNull && (best.isEmpty() || key.size() < best.size()))
            best = key;
    }
    return best;
}

ChosenKey chooseKey(const catalog::TableCatalog& source, const catalog::TableCatalog& target,
    const QList<copy::SourceColumn>& columns)
{
    const QList<QPair<QStringList, QString>> candidates {
        { source.primaryKey, QStringLiteral("the source's primary key") },
        { uniqueNotNull(source), QStringLiteral("a unique index of the source") },
        { target.primaryKey, QStringLiteral("the target's primary key") },
        { uniqueNotNull(target), QStringLiteral("a unique index of the target") },
    };
    for (const auto& [names, origin] : candidates) {
        if (const auto places = placesOf(names, columns))
            return { *places, origin };
    }
    return {};
}

bool fractionsRounded(db::Connection& mysql)
{
    const auto rs = mysql.Execute(sql::mysql().fractionRoundingQuery());
    return rs && !rs->atEnd() && rs->field(0).Value.toInt() == 1;
}

// Matches each partition of the two sides, spreading one that is too large
// over the partitions of the next level first. True when stopped.
bool matchAll(Spill& source, Spill& target, Matcher& matcher, const QString& path, qint64 budget,
    const copy::StopRequest* stop)
{
    for (int p = 0; p < Spill::fanout; ++p) {
        if (stop && stop->requested())
            return true;
        const int next = source.level() + 1;
        const qint64 bytes = source.bytes(p) + target.bytes(p);
        if (bytes > budget && next < Spill::levels) {
            const QString at = path + QStringLiteral("-%1").arg(p);
            Spill sourceParts(at + QStringLiteral("s"), next, source.bufferBytes());
            Spill targetParts(at + QStringLiteral("t"), next, target.bufferBytes());
            source.drain(p, [&](const QByteArray& record) { sourceParts.add(record); });
            target.drain(p, [&](const QByteArray& record) { targetParts.add(record); });
            // Rows of one key stay together at every level: when they are
            // all there is, they are matched as they are.
            for (int q = 0; q < Spill::fanout; ++q) {
                if (sourceParts.bytes(q) + targetParts.bytes(q) == bytes)
                    matcher.match(sourceParts.take(q), targetParts.take(q));
            }
            if (matchAll(sourceParts, targetParts, matcher, at, budget, stop))
                return true;
        } else {
            matcher.match(source.take(p), target.take(p));
        }
    }
    return false;
}

class Run {
public:
    Run(copy::TableCopy& run, Comparison& r, const CompareOptions& options,
        ComparisonObserver& observer)
        : m_run(run)
        , r(r)
        , m_options(options)
        , m_observer(observer)
    { }

    void compare()
    {
        const Server from = m_run.source();
        const Server to = m_run.target();
        catalog::TableCatalog source;
        catalog::TableCatalog target;
        try {
            source = catalog::readTableCatalog(m_run.sourceConnection(), from, r.table);
            catalog::readUniqueKeys(m_run.sourceConnection(), from, r.table, source);
        } catch (...) {
            return fail(QStringLiteral("Reading the source's table failed: ") + current());
        }
        try {
            target = catalog::readTableCatalog(m_run.targetConnection(), to, r.target);
            catalog::readUniqueKeys(m_run.targetConnection(), to, r.target, target);
        } catch (...) {
            return fail(QStringLiteral("Reading the target's table failed: ") + current());
        }
        std::unique_ptr<copy::TableDefinition> definition;
        std::optional<copy::DefinitionChoice> choice;
        const sql::RowSelection rows = m_options.rows.value_or(sql::RowSelection());
        try {
            std::unique_ptr<copy::ExactDefinition> exact;
            if (m_options.types == copy::CopyOptions::Types::Exact) {
                copy::ExactTable table = copy::exactTable(to, source, m_options.exact);
                // As the copy made it: NOT NULL text columns holding empty
                // values nullable in Oracle.
                if (to == Server::Oracle)
                    copy::allowEmptyValues(m_run.sourceConnection(), r.table, table);
                exact = std::make_unique<copy::ExactDefinition>(std::move(table));
            }
            choice.emplace(to, std::move(exact), rows.columns, m_options.columnTypes);
        } catch (...) {
            return fail(current());
        }

        std::optional<SideReader> sourceSide;
        std::optional<SideReader> targetSide;
        try {
            sql::RowSelection read = rows;
            read.table = r.table;
            sourceSide.emplace(opener(from, read, choice->textColumns()));
            sql::RowSelection written;
            written.table = r.target;
            written.columns = m_options.targetColumns;
            targetSide.emplace(opener(to, written, {}));
        } catch (...) {
            return fail(QStringLiteral("Reading it failed: ") + current());
        }
        const QList<copy::SourceColumn> columns = sourceSide->columns();
        const QList<copy::SourceColumn> targetColumns = targetSide->columns();
        try {
            definition = choice->finish(
                columns, to == Server::MySQL && fractionsRounded(m_run.targetConnection()));
        } catch (...) {
            return fail(current());
        }
        QStringList names;
        QStringList targetNames;
        for (const copy::SourceColumn& c : columns)
            names << c.name;
        for (const copy::SourceColumn& c : targetColumns)
            targetNames << c.name;
        if (names.join(u',').compare(targetNames.join(u','), Qt::CaseInsensitive) != 0)
            return fail(
                QStringLiteral("The target's columns (%1) are not the source's (%2).")
                    .arg(targetNames.join(QLatin1String(", ")), names.join(QLatin1String(", "))));

        const ChosenKey key = chooseKey(source, target, columns);
        for (const int c : key.columns)
            r.key << names[c];
        r.keyOrigin = key.origin;
        const int width = int(columns.size());
        QList<copy::Kept> kept;
        for (int c = 0; c < width; ++c)
            kept << definition->kept(c);
        SourceRows sourceRows(*definition, width, key.columns);
        TargetRows targetRows(kept, key.columns);

        const QString folder = m_options.folder.isEmpty() ? QDir::tempPath() : m_options.folder;
        QTemporaryDir dir(QDir(folder).filePath(QStringLiteral("tablewright-compare-XXXXXX")));
        if (!dir.isValid())
            return fail(QStringLiteral("No folder for the comparison's files in %1: %2")
                            .arg(folder, dir.errorString()));
        Spill sourceSpill(dir.filePath(QStringLiteral("s")), 0, m_options.bufferBytes);
        Spill targetSpill(dir.filePath(QStringLiteral("t")), 0, m_options.bufferBytes);
        m_observer.begin(r.table, sourceSide->count());
        sourceSide->start(sourceRows, sourceSpill, m_run.stop());
        targetSide->start(targetRows, targetSpill, m_run.stop());
        while (!sourceSide->wait(100) || !targetSide->wait(100))
            m_observer.rows(sourceSide->rows());
        m_observer.rows(sourceSide->rows());
        bool stopped = false;
        for (auto [side, whose] :
            { std::pair { &*sourceSide, "source" }, std::pair { &*targetSide, "target" } }) {
            try {
                stopped = side->finish() || stopped;
            } catch (...) {
                return fail(QStringLiteral("Reading the %1 failed: ").arg(QLatin1String(whose))
                    + current());
            }
        }
        r.sourceRows = sourceSide->rows();
        r.targetRows = targetSide->rows();
        sourceSide.reset();
        targetSide.reset();

        const Matcher::Table table { r.table, names, key.columns,
            m_options.types == copy::CopyOptions::Types::Exact, sourceRows.rules,
            m_options.targetSubset };
        Matcher matcher(table, r, m_observer);
        try {
            stopped = stopped
                || matchAll(sourceSpill, targetSpill, matcher, dir.filePath(QStringLiteral("p")),
                    m_options.partitionBytes, m_run.stop());
        } catch (...) {
            return fail(current());
        }
        matcher.finish();
        if (stopped) {
            r.result = Comparison::Stopped;
            return;
        }
        r.result = r.onlyInSource || r.onlyInTarget || r.changedRows ? Comparison::Differ
                                                                     : Comparison::Same;
    }

private:
    SideReader::Opener opener(
        Server side, const sql::RowSelection& rows, const QList<int>& textColumns)
    {
        return [&run = m_run, side, rows, textColumns, login = m_options.login]() {
            return std::unique_ptr<copy::RowSource>(copy::openBlocks(side, run.connection(side),
                rows, {}, textColumns, login, copy::TableCopy::timeoutSeconds));
        };
    }
    void fail(const QString& message)
    {
        r.result = Comparison::Failed;
        r.message = message;
    }

    copy::TableCopy& m_run;
    Comparison& r;
    const CompareOptions& m_options;
    ComparisonObserver& m_observer;
};

} // namespace

QString Difference::kindName() const
{
    switch (kind) {
    case Kind::Changed:
        return QStringLiteral("changed");
    case Kind::OnlyInSource:
        return QStringLiteral("onlyInSource");
    case Kind::OnlyInTarget:
        break;
    }
    return QStringLiteral("onlyInTarget");
}

QString Comparison::resultName() const
{
    switch (result) {
    case Same:
        return QStringLiteral("same");
    case Differ:
        return QStringLiteral("differ");
    case Stopped:
        return QStringLiteral("stopped");
    case Failed:
        break;
    }
    return QStringLiteral("failed");
}

Comparison compareTable(copy::TableCopy& run, const QString& table, const QString& target,
    const CompareOptions& options, ComparisonObserver& observer)
{
    Comparison r;
    r.table = table;
    r.target = target;
    const auto start = std::chrono::steady_clock::now();
    try {
        Run(run, r, options, observer).compare();
    } catch (...) {
        r.result = Comparison::Failed;
        r.message = current();
    }
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return r;
}

} // namespace tw::compare

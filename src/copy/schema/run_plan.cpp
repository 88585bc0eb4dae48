#include "copy/schema/run_plan.h"

#include "db/connection.h"
#include "odbc/error.h"
#include "sql/dialect.h"

#include <QSet>

namespace tw::copy::schema {

namespace {

QSet<QString> asSet(const QStringList& names)
{
    return QSet<QString>(names.begin(), names.end());
}

// Whether `columns` are the parent's primary key, or a unique key the
// target will have, in any order.
bool keyed(const TablePlan& parent, const QStringList& columns)
{
    const QSet<QString> wanted = asSet(columns);
    if (asSet(parent.exact.primaryKey) == wanted)
        return true;
    for (const IndexPlan& index : parent.indexes) {
        if (!index.unique || (parent.exact.target == sql::Server::Oracle && !index.constraint))
            continue;
        QStringList names;
        for (const auto& c : index.columns)
            names.append(c.first);
        if (asSet(names) == wanted)
            return true;
    }
    return false;
}

bool arrived(const TableResult& r)
{
    switch (r.result) {
    case TableResult::Copied:
    case TableResult::DefinitionIncomplete:
    case TableResult::RefusedRows:
    case TableResult::CopiedOldLeft:
        return true;
    default:
        return false;
    }
}

void incomplete(TableResult& result, const QString& note)
{
    result.notes.append(note);
    if (result.result == TableResult::Copied)
        result.result = TableResult::DefinitionIncomplete;
}

} // namespace

RunPlan RunPlan::read(db::Connection& source, sql::Server target, const QStringList& tables,
    const ExactOptions& options, const QHash<QString, ExactOptions::Schema>& schemaOf)
{
    RunPlan run;
    run.m_target = target;
    DefinitionNames names(sql::dialect(target));
    for (const QString& table : tables) {
        TablePlan plan;
        plan.table = table;
        plan.whole = schemaOf.value(table, options.schema) == ExactOptions::Schema::Whole;
        run.m_whole = run.m_whole || plan.whole;
        try {
            plan.source
                = catalog::readTableCatalog(source, sql::otherServer(target), table, plan.whole);
            plan.exact = exactTable(target, plan.source, options);
            if (target == sql::Server::Oracle)
                allowEmptyValues(source, table, plan.exact);
        } catch (...) {
            plan.failure = odbc::describe(std::current_exception());
        }
        run.m_index.insert(table, run.m_tables.size());
        run.m_tables.append(plan);
    }
    run.m_order = tables;
    if (run.whole()) {
        // Names are claimed in the order the tables go in.
        run.orderByDependency();
        for (const QString& table : std::as_const(run.m_order)) {
            TablePlan& plan = run.m_tables[run.m_index.value(table)];
            if (plan.failure.isEmpty() && plan.whole)
                planWholeTable(plan, names);
        }
        for (const QString& table : std::as_const(run.m_order)) {
            TablePlan& plan = run.m_tables[run.m_index.value(table)];
            if (plan.whole)
                run.resolveForeignKeys(plan, names);
        }
    }
    return run;
}

const TablePlan* RunPlan::table(const QString& name) const
{
    const auto at = m_index.constFind(name);
    return at == m_index.constEnd() ? nullptr : &m_tables[*at];
}

ExactDefinition RunPlan::definition(const QString& name) const
{
    const TablePlan* plan = table(name);
    if (!plan)
        throw odbc::DbError(QStringLiteral("%1 is not one of the run's tables.").arg(name));
    if (!plan->failure.isEmpty())
        throw odbc::DbError(plan->failure);
    return ExactDefinition(plan->exact);
}

void RunPlan::resolveForeignKeys(TablePlan& plan, DefinitionNames& names) const
{
    if (!plan.failure.isEmpty())
        return;
    const bool oracle = m_target == sql::Server::Oracle;
    for (const catalog::CatalogForeignKey& fk : plan.source.foreignKeys) {
        const QString what = QStringLiteral("foreign key ") + fk.name;
        auto leftOut = [&](const QString& why) {
            plan.exact.notes.append(what + QStringLiteral(": left out: ") + why);
        };
        const TablePlan* parent = table(fk.parentTable);
        if (fk.parentElsewhere) {
            leftOut(QStringLiteral("it refers to a table of another %1")
                        .arg(oracle ? QStringLiteral("database") : QStringLiteral("schema")));
            continue;
        }
        if (!parent) {
            leftOut(QStringLiteral("it refers to %1, which this run does not copy")
                        .arg(fk.parentTable));
            continue;
        }
        if (!parent->failure.isEmpty()) {
            leftOut(QStringLiteral("the definition of %1 could not be read").arg(fk.parentTable));
            continue;
        }
        if (!keyed(*parent, fk.parentColumns)) {
            leftOut(QStringLiteral("%1 (%2) has no primary or unique key in %3")
                        .arg(fk.parentTable, fk.parentColumns.join(QLatin1String(", ")),
                            sql::serverName(m_target)));
            continue;
        }
        ForeignKeyPlan out;
        out.columns = fk.columns;
        out.parent = fk.parentTable;
        out.parentColumns = fk.parentColumns;
        if (fk.onDelete == QLatin1String("CASCADE") || fk.onDelete == QLatin1String("SET NULL"))
            out.onDelete = fk.onDelete;
        else if (fk.onDelete == QLatin1String("SET DEFAULT"))
            plan.exact.notes.append(what
                + QStringLiteral(": ON DELETE SET DEFAULT left out: %1 has no such rule")
                      .arg(sql::serverName(m_target)));
        const QString onUpdate = fk.onUpdate;
        if (oracle && !onUpdate.isEmpty() && onUpdate != QLatin1String("RESTRICT")
            && onUpdate != QLatin1String("NO ACTION"))
            plan.exact.notes.append(what
                + QStringLiteral(": ON UPDATE %1 left out: Oracle has no ON UPDATE rule")
                      .arg(onUpdate));
        if (!fk.namedBySystem) {
            QString change;
            out.name = names.claim(DefinitionNames::Kind::ForeignKey, plan.table, fk.name, change);
            if (!change.isEmpty())
                plan.exact.notes.append(what + QStringLiteral(": ") + change);
        }
        plan.foreignKeys.append(out);
    }
}

void RunPlan::orderByDependency()
{
    QStringList remaining = m_order;
    QStringList placed;
    while (!remaining.isEmpty()) {
        qsizetype next = 0; // in a cycle, the first of the rest
        for (qsizetype i = 0; i < remaining.size(); ++i) {
            const TablePlan* plan = table(remaining[i]);
            bool ready = true;
            for (const catalog::CatalogForeignKey& fk : plan->source.foreignKeys) {
                if (fk.parentTable != plan->table && !fk.parentElsewhere
                    && m_index.contains(fk.parentTable) && !placed.contains(fk.parentTable))
                    ready = false;
            }
            if (ready) {
                next = i;
                break;
            }
        }
        placed.append(remaining.takeAt(next));
    }
    m_order = placed;
}

QStringList RunPlan::statements(const QStringList& order) const
{
    QList<const TablePlan*> plans;
    for (const QString& name : order) {
        const TablePlan* plan = table(name);
        if (plan && plan->failure.isEmpty())
            plans.append(plan);
    }
    QStringList out = sql::dialect(m_target).sessionStatements(true);
    for (const TablePlan* plan : plans)
        out.append(createStatement(*plan, plan->table));
    for (const TablePlan* plan : plans)
        out.append(afterRowsStatements(*plan, plan->table));
    for (const TablePlan* plan : plans)
        out.append(foreignKeyStatements(*plan, plan->table, [](const QString& p) { return p; }));
    return out;
}

void RunPlan::dropOldTables(db::Connection& target, QList<TableResult>& results) const
{
    const sql::Dialect& dialect = sql::dialect(m_target);
    QList<TableResult*> left;
    for (TableResult& r : results) {
        if (r.result == TableResult::CopiedOldLeft && table(r.table))
            left.append(&r);
    }
    auto dropAll = [&] {
        // One drop may free another.
        for (bool dropped = true; dropped;) {
            dropped = false;
            for (TableResult* r : std::as_const(left)) {
                if (r->result != TableResult::CopiedOldLeft)
                    continue;
                try {
                    db::ExecuteSql(target, dialect.dropTable(r->oldTable));
                    r->result = TableResult::Copied;
                    r->message.clear();
                    r->oldTable.clear();
                    dropped = true;
                } catch (...) {
                    r->message = QStringLiteral("The old table could not be dropped and is kept "
                                                "as %1: %2")
                                     .arg(r->oldTable, odbc::describe(std::current_exception()));
                }
            }
        }
    };
    // An old table that a foreign key kept is free once the table that had
    // the key was replaced too. Old tables that keep each other (a cycle of
    // keys) lose their own foreign keys first; one that a table outside the
    // run refers to stays.
    dropAll();
    for (TableResult* r : std::as_const(left)) {
        if (r->result != TableResult::CopiedOldLeft)
            continue;
        try {
            for (const catalog::CatalogForeignKey& fk :
                catalog::readTableCatalog(target, m_target, r->oldTable, true).foreignKeys)
                db::ExecuteSql(target, dialect.dropForeignKey(r->oldTable, fk.name));
        } catch (...) {
            // It stays, and its message says why.
        }
    }
    dropAll();
}

void RunPlan::finishRun(db::Connection& target, QList<TableResult>& results, bool stopped) const
{
    if (!whole())
        return;
    if (stopped) {
        for (TableResult& r : results) {
            if (arrived(r))
                r.notes.append(QStringLiteral("its indexes, keys, checks and comments were not "
                                              "made: the copy was stopped"));
        }
        return;
    }
    dropOldTables(target, results);
    for (TableResult& r : results) {
        const TablePlan* plan = table(r.table);
        if (plan && arrived(r))
            runDefinitionStatements(target, afterRowsStatements(*plan, r.target), r);
    }
    makeForeignKeys(target, results);
}

void RunPlan::makeForeignKeys(db::Connection& target, QList<TableResult>& results) const
{
    auto resultOf = [&](const QString& table) -> TableResult* {
        for (TableResult& r : results) {
            if (r.table == table)
                return &r;
        }
        return nullptr;
    };
    for (TableResult& r : results) {
        const TablePlan* plan = table(r.table);
        if (!plan || !arrived(r))
            continue;
        for (const ForeignKeyPlan& fk : plan->foreignKeys) {
            const TableResult* parent = resultOf(fk.parent);
            if (!parent || !arrived(*parent)) {
                incomplete(r,
                    QStringLiteral("foreign key %1: left out: %2 was not copied")
                        .arg(fk.name.isEmpty() ? fk.columns.join(QLatin1String(", ")) : fk.name,
                            fk.parent));
                continue;
            }
            runDefinitionStatements(
                target, { foreignKeyStatement(m_target, fk, r.target, parent->target) }, r);
        }
    }
}

void runDefinitionStatements(
    db::Connection& target, const QStringList& statements, TableResult& result)
{
    for (const QString& statement : statements) {
        try {
            db::ExecuteSql(target, statement);
        } catch (...) {
            incomplete(result,
                QStringLiteral("refused: %1: %2")
                    .arg(statement, odbc::describe(std::current_exception())));
        }
    }
}

} // namespace tw::copy::schema

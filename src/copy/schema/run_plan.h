#pragma once

#include "copy/exact/exact_definition.h"
#include "copy/exact/exact_options.h"
#include "copy/schema/table_plan.h"
#include "copy/table_result.h"
#include "db/connection.h"

#include <QHash>
#include <QList>
#include <QStringList>

namespace tw::copy::schema {

// The tables of one exact copy (or of `tablewright ddl`), planned before
// the first row moves: each table's target definition, the names of its
// indexes and constraints across the run, its foreign keys to the run's
// other tables, and the order of the tables. The copy runs the statements
// made here and `ddl` prints them, so both are the same.
class RunPlan {
public:
    // Reads each table's definition from `source` (one that cannot be read
    // is planned as a failure, the others go on) and plans the run.
    // `schemaOf`: a table's own schema setting (a job file's), where it
    // differs from the run's.
    static RunPlan read(db::Connection& source, sql::Server target, const QStringList& tables,
        const ExactOptions& options, const QHash<QString, ExactOptions::Schema>& schemaOf = {});

    sql::Server target() const { return m_target; }
    // Whether any table of the run keeps its whole definition.
    bool whole() const { return m_whole; }
    // The tables in the order they were named; with a whole definition,
    // every parent before the tables whose foreign keys refer to it, where
    // the keys make no cycle.
    QStringList order() const { return m_order; }
    // The table's plan; null for a table that is not part of the run.
    const TablePlan* table(const QString& name) const;
    // The table's target definition. Throws DbError when the table could not
    // be read, or is not part of the run.
    ExactDefinition definition(const QString& table) const;

    // Every statement of a run of the tables in `order`, as the copy runs
    // them, with the table names as the source has them: the target's
    // session, each table's CREATE, then what follows the rows of every
    // table (indexes, unique keys, checks, comments, the next value of an
    // auto-numbered column), then the foreign keys. Tables that could not be
    // read are left out.
    QStringList statements(const QStringList& order) const;

    // For the copy, once every table of the run is in (`results`, by
    // source name): the old tables a replacement had to leave, because
    // foreign keys of tables replaced later still referred to them, are
    // dropped now; then what follows each copied table's rows is made, and
    // each foreign key whose table and parent were both copied. A statement
    // that is refused, or a key left out for want of its parent, goes into
    // its table's notes and leaves it DefinitionIncomplete. After a stop,
    // nothing is made and the copied tables say so.
    void finishRun(db::Connection& target, QList<TableResult>& results, bool stopped) const;

private:
    void resolveForeignKeys(TablePlan& plan, DefinitionNames& names) const;
    void makeForeignKeys(db::Connection& target, QList<TableResult>& results) const;
    void dropOldTables(db::Connection& target, QList<TableResult>& results) const;
    void orderByDependency();

    sql::Server m_target = sql::Server::Oracle;
    bool m_whole = false;
    QList<TablePlan> m_tables;
    QHash<QString, qsizetype> m_index;
    QStringList m_order;
};

// Runs `statements` on the target one after the other; each one refused
// goes into `result`'s notes with the server's message and makes a copied
// table DefinitionIncomplete. The others still run.
void runDefinitionStatements(
    db::Connection& target, const QStringList& statements, TableResult& result);

} // namespace tw::copy::schema

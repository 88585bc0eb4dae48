#pragma once

#include "copy/loop/row_target.h"
#include "copy/loop/table_definition.h"
#include "db/connection.h"

#include <optional>

namespace tw::copy {

// Rows sent one at a time, each as one statement: an INSERT of literals
// built value by value into the run's statement (which the window's error
// report shows after "sql: "), or, for a row holding a value no literal
// carries, one INSERT with a typed parameter per value. Every statement
// commits as it ends.
class StatementTarget : public RowTarget {
public:
    // A null `target` is a connection that was never made: every row fails
    // alike, as a statement through it would.
    StatementTarget(db::Connection* target, const TableDefinition& definition, QString table,
        QString& statement);

    std::unique_ptr<Batch> newBatch() const override;
    bool full(const Batch& batch) const override { return batch.size() >= 1; }
    void beginRow(Batch& batch) override;
    void value(Batch& batch, int column, const odbc::Value& value) override;
    bool endRow(Batch& batch, qint64 number, const Row& row) override;
    // Throws what the database said of the row.
    Outcome send(Batch& batch) override;
    QStringList shown(const Row& row) const override { return m_definition.shown(row); }

private:
    struct RowBatch;
    void sendBound(const Row& row);

    db::Connection* m_target;
    const TableDefinition& m_definition;
    QString m_table;
    QString& m_statement;
    std::optional<bool> m_narrowText; // asked of the session at the first bound row
};

} // namespace tw::copy

#pragma once

#include "bulk/bulk_insert.h"
#include "copy/loop/row_target.h"
#include "copy/loop/table_definition.h"
#include "db/connection.h"
#include "db/transaction.h"

#include <memory>

namespace tw::copy {

// What a target records of the rows it committed, in the same transaction
// as the rows, right before each commit: the last row that commit ends.
class Checkpoint {
public:
    virtual ~Checkpoint() = default;
    // Throws DbError; the rows are then not committed either.
    virtual void beforeCommit(db::Connection& target, const Row& lastRow) = 0;
};

// Rows sent in batches: one prepared INSERT with a '?' per value, executed
// with column-wise parameter arrays of up to `batchRows` rows, autocommit
// off and one commit per batch. The values are bound as the definition
// says, while the batch is filled (on the reading thread of a ThreadFeed).
// A refused row refuses only itself (see bulk::BulkInsert).
class ArrayTarget : public RowTarget {
public:
    // Prepares the INSERT into `table`, which exists, and turns autocommit
    // off until the target goes. Throws DbError. `statement`, when given,
    // replaces the definition's INSERT: another statement with a '?' per
    // value in the same order (an INSERT naming its columns, an upsert).
    ArrayTarget(db::Connection& target, const TableDefinition& definition, const QString& table,
        int batchRows, const QString& statement = QString(), Checkpoint* checkpoint = nullptr);

    std::unique_ptr<Batch> newBatch() const override;
    bool full(const Batch& batch) const override;
    void beginRow(Batch&) override { }
    void value(Batch&, int, const odbc::Value&) override { }
    bool endRow(Batch& batch, qint64 number, const Row& row) override;
    Outcome send(Batch& batch) override;
    QStringList shown(const Row& row) const override { return m_definition.shown(row); }

    int batchRows() const { return m_rows; }

private:
    struct ArrayBatch;

    db::Connection& m_target;
    const TableDefinition& m_definition;
    QList<bulk::ParameterBinding> m_bindings;
    int m_rows;
    qsizetype m_bytes;
    std::unique_ptr<bulk::BulkInsert> m_insert;
    std::unique_ptr<db::ManualCommit> m_transaction;
    Checkpoint* m_checkpoint;
};

} // namespace tw::copy

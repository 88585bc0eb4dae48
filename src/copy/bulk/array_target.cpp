#include "copy/bulk/array_target.h"

#include "copy/loop/mysql_session.h"
#include "db/recordset.h"
#include "odbc/error.h"
#include "sql/mysql_dialect.h"

namespace tw::copy {

namespace {

// The bound arrays of one batch take at most this many bytes, and at most
// half of what a MySQL server takes in one packet.
constexpr qsizetype batchBytes = 16 << 20;

// Whether the engine of a MySQL table keeps transactions: without them a
// refused array may leave the rows before the refused one, which a retry
// would send twice, so rows then go one at a time.
bool transactional(db::Connection& connection, const QString& table)
{
    const std::unique_ptr<db::Recordset> rs
        = connection.Execute(sql::mysql().transactionalQuery(table));
    return !rs || rs->atEnd() || rs->field(0).Value.toString() != QLatin1String("NO");
}

} // namespace

struct ArrayTarget::ArrayBatch : Batch {
    ArrayBatch(const QList<bulk::ParameterBinding>& bindings, int rows, qsizetype bytes)
        : arrays(bindings, rows, bytes)
    { }
    void clear() override
    {
        Batch::clear();
        arrays.clear();
    }
    bulk::ParameterArrays arrays;
    Row bound; // the row being bound, kept for its room
};

ArrayTarget::ArrayTarget(db::Connection& target, const TableDefinition& definition,
    const QString& table, int batchRows, const QString& statement, Checkpoint* checkpoint)
    : m_target(target)
    , m_definition(definition)
    , m_rows(std::max(1, batchRows))
    , m_bytes(batchBytes)
    , m_checkpoint(checkpoint)
{
    bool narrowText = false;
    if (definition.target() == sql::Server::MySQL) {
        if (!transactional(target, table))
            m_rows = 1;
        const MySQLSession session = readMySQLSession(target);
        narrowText = session.utf8;
        if (session.maxPacket > 0)
            m_bytes = std::min<qsizetype>(m_bytes, session.maxPacket / 2);
    }
    m_bindings = definition.parameters(narrowText);
    m_insert = std::make_unique<bulk::BulkInsert>(
        target, statement.isEmpty() ? definition.markerInsert(table) : statement);
    m_transaction = std::make_unique<db::ManualCommit>(target);
}

std::unique_ptr<Batch> ArrayTarget::newBatch() const
{
    return std::make_unique<ArrayBatch>(m_bindings, m_rows, m_bytes);
}

bool ArrayTarget::full(const Batch& batch) const
{
    // Rows refused before they were bound count too, so that a table of
    // refused rows still goes in batches.
    return batch.size() >= m_rows || static_cast<const ArrayBatch&>(batch).arrays.full();
}

bool ArrayTarget::endRow(Batch& batch, qint64, const Row& row)
{
    auto& b = static_cast<ArrayBatch&>(batch);
    m_definition.bind(row, b.bound);
    // The batch's bytes are spent: the row waits for the next.
    return b.arrays.add(b.bound) == bulk::ParameterArrays::Added::Yes;
}

Outcome ArrayTarget::send(Batch& batch)
{
    auto& b = static_cast<ArrayBatch&>(batch);
    bulk::BulkInsert::BeforeCommit note;
    if (m_checkpoint)
        note = [&](int lastRow) { m_checkpoint->beforeCommit(m_target, b.rows[lastRow]); };
    const bulk::BulkInsert::Sent sent = m_insert->send(b.arrays, *m_transaction, note);
    Outcome out;
    out.landed = sent.landed;
    for (const bulk::BulkInsert::Refusal& r : sent.refused)
        out.refused.append({ r.row, std::make_exception_ptr(r.error) });
    if (sent.fatal) {
        out.fatal = std::make_exception_ptr(*sent.fatal);
        out.unsentFrom = sent.unsentFrom;
        out.whileCommitting = sent.whileCommitting;
    }
    return out;
}

} // namespace tw::copy

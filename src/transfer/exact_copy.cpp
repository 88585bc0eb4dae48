#include "transfer/exact_copy.h"

#include "db/bulk_insert.h"
#include "db/column_catalog.h"
#include "db/list_helpers.h"
#include "db/parameter_arrays.h"
#include "transfer/bulk_source.h"
#include "transfer/exact_bound.h"

namespace tw::transfer {

ExactTable readExactTable(db::Connection& source, Direction direction, const QString& sourceName)
{
    const db::Server server
        = direction == Direction::ToOracle ? db::Server::MySQL : db::Server::Oracle;
    return exactTable(direction, db::ReadTableCatalog(source, server, sourceName));
}

void sendExactRow(db::Connection& target, const ExactTable& table, const QString& targetName,
    const QList<db::Value>& row, QString& statement)
{
    ExactInsert insert = exactInsertStatement(table, targetName, row);
    switch (insert.carry) {
    case Carry::Literal:
        statement = std::move(insert.statement);
        db::ExecuteSql(target, statement);
        return;
    case Carry::Refused:
        throw RowRefused(QStringLiteral("column %1: %2")
                             .arg(table.columns.value(insert.column).name, insert.reason));
    case Carry::Parameter:
        sendBoundRow(target, table, targetName, row, statement);
        return;
    }
}

void sendBoundRow(db::Connection& target, const ExactTable& table, const QString& targetName,
    const QList<db::Value>& row, QString& statement)
{
    // Such rows are rare; the session's character set is asked each time.
    const bool narrow = table.direction == Direction::ToMySQL && ReadMySQLSession(target).utf8;
    const BulkTarget bound = exactBulkTarget(table, targetName, narrow);
    QList<db::Value> values;
    if (const std::optional<QString> why = bound.prepare(row, values))
        throw RowRefused(*why);
    db::ParameterArrays arrays(bound.parameters, 1);
    arrays.add(values);
    statement = bound.insert;
    db::BulkInsert(target, bound.insert).execute(arrays, 0, 1);
}

} // namespace tw::transfer

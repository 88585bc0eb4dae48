#include "transfer/exact_copy.h"

#include "bulk/bulk_insert.h"
#include "bulk/parameter_arrays.h"
#include "catalog/table_catalog.h"
#include "db/list_helpers.h"
#include "transfer/bulk_source.h"
#include "transfer/exact_bound.h"

namespace tw::transfer {

ExactTable readExactTable(db::Connection& source, Direction direction, const QString& sourceName)
{
    const catalog::Server server
        = direction == Direction::ToOracle ? catalog::Server::MySQL : catalog::Server::Oracle;
    return exactTable(direction, catalog::ReadTableCatalog(source, server, sourceName));
}

void sendExactRow(db::Connection& target, const ExactTable& table, const QString& targetName,
    const QList<odbc::Value>& row, QString& statement)
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
    const QList<odbc::Value>& row, QString& statement)
{
    // Such rows are rare; the session's character set is asked each time.
    const bool narrow = table.direction == Direction::ToMySQL && ReadMySQLSession(target).utf8;
    const BulkTarget bound = exactBulkTarget(table, targetName, narrow);
    QList<odbc::Value> values;
    if (const std::optional<QString> why = bound.prepare(row, values))
        throw RowRefused(*why);
    bulk::ParameterArrays arrays(bound.parameters, 1);
    arrays.add(values);
    statement = bound.insert;
    bulk::BulkInsert(target, bound.insert).execute(arrays, 0, 1);
}

} // namespace tw::transfer

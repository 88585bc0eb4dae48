#include "transfer/exact_copy.h"

#include "db/column_catalog.h"
#include "db/list_helpers.h"

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
        sendBoundRow(target, table, targetName, row, insert);
        return;
    }
}

// The bulk writer's single-row call belongs here; nothing else in the
// exact copy needs to change for it.
void sendBoundRow(db::Connection& /*target*/, const ExactTable& table,
    const QString& /*targetName*/, const QList<db::Value>& /*row*/, const ExactInsert& insert)
{
    throw RowRefused(
        QStringLiteral("column %1 needs a bound parameter (coming with the bulk writer): %2")
            .arg(table.columns.value(insert.column).name, insert.reason));
}

} // namespace tw::transfer

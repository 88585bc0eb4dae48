#pragma once

#include "db/connection.h"
#include "odbc/value.h"
#include "transfer/exact_statements.h"
#include "transfer/exact_types.h"

#include <QList>
#include <QString>
#include <stdexcept>

namespace tw::transfer {

// A row of an exact copy that cannot go without a value changing. It is
// counted and reported as a refused row, with the column and the reason.
class RowRefused : public std::runtime_error {
public:
    explicit RowRefused(const QString& why)
        : std::runtime_error(why.toStdString())
    { }
};

// The target table for `sourceName`, from the source's declared columns and
// primary key. Throws DbError when the source's catalog cannot be read.
ExactTable readExactTable(db::Connection& source, Direction direction, const QString& sourceName);

// Sends one source row into the target table, every value unchanged: as
// literals when they carry it, otherwise through sendBoundRow. `statement`
// is the INSERT sent, if one was. Throws RowRefused for a value the target
// cannot hold unchanged, DbError when the target refuses the row.
void sendExactRow(db::Connection& target, const ExactTable& table, const QString& targetName,
    const QList<odbc::Value>& row, QString& statement);

// A row that holds a value no literal carries (`carry` Parameter: Oracle
// text of more than 4,000 UTF-8 bytes or holding U+0000, binary data of more
// than 2,000 bytes): one prepared INSERT with every value a typed parameter,
// as exactBoundRow binds them. `statement` is that INSERT.
void sendBoundRow(db::Connection& target, const ExactTable& table, const QString& targetName,
    const QList<odbc::Value>& row, QString& statement);

} // namespace tw::transfer

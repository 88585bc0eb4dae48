#pragma once

#include "copy/exact/exact_types.h"
#include "copy/exact/exact_values.h"
#include "odbc/value.h"

#include <QList>
#include <QString>

namespace tw::copy {

// CREATE TABLE of an exact copy: every column with its type and NOT NULL
// (and, of a whole definition, its default, auto-numbering and on MySQL its
// comment), then the primary key as a table constraint, names quoted as the
// target quotes them:
//   CREATE TABLE "T" ("ID" NUMBER(10) NOT NULL, "NAME" VARCHAR2(40 CHAR), PRIMARY KEY ("ID"))
// The key's constraint is left unnamed: Oracle names constraints per user,
// and a name of our own could meet another table's.
QString exactCreateStatement(const ExactTable& table, const QString& targetName);

// One row's INSERT when every value travels as a literal:
//   INSERT INTO `t` (`id`, `name`) VALUES (2147483647, 'x')
// Otherwise `carry` says Refused for the first value the target cannot hold
// (the row cannot go whichever way it is sent) or, when none is refused,
// Parameter for the first value only a bound parameter carries; `column`
// is that value's index and `reason` says why.
struct ExactInsert {
    Carry carry = Carry::Literal;
    QString statement;
    int column = -1;
    QString reason;
};
ExactInsert exactInsertStatement(
    const ExactTable& table, const QString& targetName, const QList<tw::odbc::Value>& row);

} // namespace tw::copy

#pragma once

#include "odbc/value.h"
#include "sql/dialect.h"

#include <QList>
#include <QPair>
#include <QString>

namespace tw::sql {

// The statements of the window's copies, whole, for those that need them
// at once (the command's plain copy builds them as the window does):
//   CREATE TABLE "T"("A" INT,"B" VARCHAR(2000))
//   INSERT INTO "T" VALUES('7', NULL, 'O''Brien')
QString plainCreateStatement(
    const Dialect& target, const QString& table, const QList<QPair<QString, qint16>>& columns);
QString plainInsertStatement(
    const Dialect& target, const QString& table, const QList<odbc::Value>& row);

// The CREATE's closing: the last entry's comma replaced by the dialect's
// closing text.
void finishCreate(const Dialect& target, QString& statement);

// An INSERT built value by value after Dialect::insertOpening, so that the
// window can show the statement as far as it got when a step fails. Every
// value goes as a quoted literal with its single quotes doubled; Null and
// empty text both go as NULL.
void appendInsertValue(QString& statement, const odbc::Value& value);
// Drops the trailing ", '" and closes with ")".
void finishInsert(QString& statement);

} // namespace tw::sql

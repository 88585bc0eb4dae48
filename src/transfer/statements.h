#pragma once

#include "odbc/value.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace tw::transfer {

// Identifiers in the quote character of each server, with that character
// doubled inside the name, so that no table or column name can end its
// quoting early.
QString mysqlName(const QString& name);
QString oracleName(const QString& name);

// ToOracle reads MySQL and writes Oracle; ToMySQL reads Oracle and writes
// MySQL.
enum class Direction { ToOracle, ToMySQL };

QString dropStatement(Direction direction, const QString& targetName);
QString selectStatement(Direction direction, const QString& sourceName);

// The column type chosen by the direction's word tests on a lower-case ADO
// type name: the first word found anywhere in the name decides. The
// fragment begins with a blank and ends with a comma, e.g. " VARCHAR(2000),".
QString columnTypeFragment(Direction direction, const QString& lowerCaseAdoTypeName);

// CREATE TABLE, built column by column so that the caller can show the text
// as far as it got when a step fails:
//   createOpening, then columnEntry appended per column, then finishCreate.
QString createOpening(Direction direction, const QString& targetName);
QString columnEntry(Direction direction, const QString& columnName, qint16 adoType);
// Drops the trailing comma and closes with ")" (Oracle) or ");" (MySQL).
void finishCreate(Direction direction, QString& statement);
QString createStatement(
    Direction direction, const QString& targetName, const QList<QPair<QString, qint16>>& columns);

// INSERT, built value by value in the same way:
//   insertOpening, then appendInsertValue per column, then finishInsert.
// Every value goes as a quoted literal with its single quotes doubled; Null
// and empty text both go as NULL.
QString insertOpening(Direction direction, const QString& targetName);
void appendInsertValue(QString& statement, const tw::odbc::Value& value);
// Drops the trailing ", '" and closes with ")".
void finishInsert(QString& statement);
QString insertStatement(
    Direction direction, const QString& targetName, const QList<tw::odbc::Value>& row);

// Sent right after a copy opens its connections, so that the value texts
// mean the same on both servers whatever their session defaults are.
QStringList OracleSessionStatements();
QString MySQLSessionStatement();
// An exact copy's MySQL session sets its sql_mode whole instead of adding to
// the server's: strict, so that a value MySQL cannot hold is refused and
// never cut or rounded to fit, and without the modes that change values
// (EMPTY_STRING_IS_NULL, PAD_CHAR_TO_FULL_LENGTH, ORACLE's DATE).
QString ExactMySQLSessionStatement();

// Puts a finished copy in the place of the table it replaces, keeping the
// old one under `backupName` until it is dropped: one atomic RENAME TABLE
// on MySQL, two RENAMEs on Oracle (which has no atomic swap).
QStringList swapStatements(Direction direction, const QString& targetName, const QString& copyName,
    const QString& backupName);
// Oracle only: the old table back under its name after the second RENAME failed.
QString restoreStatement(Direction direction, const QString& targetName, const QString& backupName);

} // namespace tw::transfer

#pragma once

#include "db/block_reader.h"
#include "db/value.h"
#include "transfer/statements.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace tw::transfer {

// The statements of a fast copy (`copy --fast`) beside those of the plain
// copy, whose CREATE TABLE and column types it shares.

// "SELECT COUNT(*) FROM " + the source, for the progress's total.
QString countStatement(Direction direction, const QString& sourceName);

// One INSERT for every row, a '?' marker per value:
// INSERT INTO `t` VALUES(?, ?, ?)
QString markerInsert(Direction direction, const QString& targetName, int values);

// Reading a MySQL table in pages, so that MariaDB Connector/ODBC (which
// keeps a whole result in memory) holds one page at a time. All pages are
// read in one transaction with a consistent snapshot, so that together
// they are the table at one moment, as one SELECT would be.
QStringList mysqlSnapshotStatements();
QString mysqlSnapshotEnd();

// The unique keys of a MySQL table whose columns are all NOT NULL and
// whole (no prefix): rows INDEX_NAME, COLUMN_NAME, the primary key first,
// each key's columns in key order.
QString mysqlUniqueKeysQuery(const QString& table);

// One row, YES or NO: whether the engine of a MySQL table keeps
// transactions, so that a refused statement leaves none of its rows.
QString mysqlTransactionalQuery(const QString& table);

// The first page: in key order when there is a key, else in the table's
// own order (InnoDB's clustered order, which the snapshot keeps fixed).
QString mysqlFirstPage(const QString& table, const QStringList& key, qint64 rows);
// The page after the row whose key values are `after` (literals, see
// mysqlKeyLiteral): WHERE k1 > v1 OR (k1 = v1 AND k2 > v2) ..., which
// MariaDB reads as a range of the key's index.
QString mysqlKeyPage(
    const QString& table, const QStringList& key, const QStringList& after, qint64 rows);
// The page from row `offset` (from 0) on: for a table without a key, whose
// pages each start again from the table's beginning.
QString mysqlOffsetPage(const QString& table, const QStringList& key, qint64 offset, qint64 rows);

// A value of a key column as a MySQL literal that compares exactly as the
// stored value does; none for a value no literal here stands for (NULL, a
// bit).
std::optional<QString> mysqlKeyLiteral(const db::ResultColumn& column, const db::Value& value);

} // namespace tw::transfer

#pragma once

#include "transfer/statements.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace tw::transfer {

// The statements of a fast copy (`copy --fast`) beside those of the plain
// copy, whose CREATE TABLE and column types it shares.

// "SELECT COUNT(*) FROM " + the MySQL source, for the progress's total.
QString mysqlCountStatement(const QString& table);

// One INSERT for every row, a '?' marker per value:
// INSERT INTO `t` VALUES(?, ?, ?)
QString markerInsert(Direction direction, const QString& targetName, int values);

// Reading a MySQL table in pages, so that MariaDB Connector/ODBC (which
// keeps a whole result in memory) holds one page at a time. All pages are
// read in one transaction with a consistent snapshot, so that together
// they are the table at one moment, as one SELECT would be.
QStringList mysqlSnapshotStatements();
QString mysqlSnapshotEnd();

// One row, YES or NO: whether the engine of a MySQL table keeps
// transactions, so that a refused statement leaves none of its rows.
QString mysqlTransactionalQuery(const QString& table);

// Reading a MySQL table in pages through HANDLER, in the table's own order
// (InnoDB's clustered index) and from the transaction's snapshot. MariaDB
// Connector/ODBC 3.1.15 takes a HANDLER statement for one without rows and
// leaves its rows unread, but reads them as the second result of a text of
// two statements (on a connection that takes several, OPTION=67108864).
QString mysqlHandlerOpen(const QString& table);
QString mysqlHandlerPage(bool first, qint64 rows);
QString mysqlHandlerClose();

// Without HANDLER (a view, or a driver that does not read its rows), the
// pages go by row offset in the table's own order, which the snapshot
// keeps fixed: each page counts its way again from the beginning.
QString mysqlOffsetPage(const QString& table, qint64 offset, qint64 rows);

} // namespace tw::transfer

#pragma once

#include "db/connection.h"
#include "sql/server.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <sql.h>

namespace tw::catalog {

// One column of a table as its declaration says, not as a result describes
// it: Oracle's NUMBER and NUMBER(38) read alike through SQLDescribeCol, and
// MariaDB's driver describes DATETIME(6) and DATETIME alike in SQLColumns.
struct CatalogColumn {
    QString name;
    int position = 0; // from 1, in the table's order
    SQLSMALLINT sqlType = SQL_UNKNOWN_TYPE; // SQLColumns' DATA_TYPE
    QString typeName; // the driver's TYPE_NAME: "NUMBER", "TIMESTAMP(9)", "BIGINT UNSIGNED"
    // Digits for numbers (bits for Oracle FLOAT(b) and MySQL BIT(n)),
    // characters for text, bytes for binary data; none when unknown.
    std::optional<qint64> columnSize;
    std::optional<qint64> octetLength; // the most bytes a text value takes in its character set
    // The scale of a number (negative for Oracle's NUMBER(p,-s)), the
    // fractional-second digits of a time or timestamp; none for a number
    // declared without precision and for floating point.
    std::optional<int> decimalDigits;
    int radix = 0; // 10, or 2 for Oracle's FLOAT(b); 0 when not a number
    bool isUnsigned = false;
    bool nullable = true;
    // MySQL only, from information_schema.COLUMNS: the declaration as the
    // server keeps it ("decimal(65,30) unsigned", "enum('a','b')",
    // "datetime(6)") and the character set of a text column.
    QString columnType;
    QString characterSet;
};

struct TableCatalog {
    QList<CatalogColumn> columns; // in the table's order
    QStringList primaryKey; // column names in key order; empty without a key
    // The unique indexes, each as its column names in key order (filled by
    // readUniqueKeys only): on Oracle the primary key's index among them.
    QList<QStringList> uniqueKeys;
};

// Reads the declared columns and the primary key of `table` (its exact name,
// letter case included) in the connection's own database or schema. Throws
// DbError when the driver refuses, or when no such table is found.
TableCatalog readTableCatalog(db::Connection& connection, sql::Server server, const QString& table);

// Reads the unique indexes of `table` into `out.uniqueKeys`, from Oracle's
// USER_INDEXES and USER_IND_COLUMNS or MySQL's information_schema.STATISTICS:
// indexes on whole columns only (no function-based index, no MySQL prefix).
// Throws DbError.
void readUniqueKeys(
    db::Connection& connection, sql::Server server, const QString& table, TableCatalog& out);

} // namespace tw::catalog

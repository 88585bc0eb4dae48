#pragma once

#include "catalog/table_catalog.h"

// The parts of a table's definition beyond its columns and primary key,
// read from each server's catalog: MySQL's information_schema, Oracle's
// USER_ views.
namespace tw::catalog {

// A column's default, AUTO_INCREMENT, ON UPDATE, generation and comment, as
// information_schema.COLUMNS gives them (COLUMN_DEFAULT, EXTRA,
// COLUMN_COMMENT). MariaDB keeps a default as SQL: a text in quotes with
// MySQL's escapes, NULL, or an expression; MySQL keeps a constant as its
// bare text and marks expressions DEFAULT_GENERATED.
void readMySQLColumnExtras(const odbc::Value& columnDefault, const QString& extra,
    const QString& comment, bool mariaDB, CatalogColumn& column);

// The table's kind and comment, indexes, unique and foreign keys and checks.
void readMySQLDefinition(
    db::Connection& connection, const QString& table, bool mariaDB, TableCatalog& out);

// All of it for an Oracle table of the connection's user.
void readOracleDefinition(db::Connection& connection, const QString& table, TableCatalog& out);

// An Oracle default as USER_TAB_COLUMNS.DATA_DEFAULT keeps it (as written).
std::optional<ColumnDefault> oracleDefault(const QString& dataDefault);

} // namespace tw::catalog

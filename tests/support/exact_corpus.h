#pragma once

#include "catalog/table_catalog.h"
#include "db/connection.h"
#include "odbc/value.h"

#include <QList>
#include <QMap>
#include <QString>

namespace tw::test {

// The tables exact copies are tried on: one column of every type the type
// mapping lists, with the values at both ends of each range, every one of
// them small enough for a literal. `src` in a MySQL database, "SRC" of an
// Oracle user; the key out of column order on MySQL.
void createMySQLCorpus(const QString& database);
void createOracleCorpus(const QString& user);

// A table's rows by their first column, read as an exact copy reads them:
// `asText` are the columns read as their text.
QMap<QString, QList<odbc::Value>> rowsByKey(db::Connection& connection, sql::Server server,
    const QString& table, const QList<int>& asText = {});

// Fails the calling test unless `copy`, on the same connection, has the
// column names, NOT NULL, primary key and values of `original`. What a round
// trip may change about a value is brought to one form first: a DATE comes
// back as the DATETIME of its midnight, MySQL's BIT bytes as their number.
void compareRoundTrip(
    db::Connection& connection, sql::Server server, const QString& original, const QString& copy);

// Test data only: inserts `text` as the one parameter of `sql`, for values
// longer than any literal the stand-in takes.
void insertWithText(db::Connection& connection, const QString& sql, const QString& text);

} // namespace tw::test

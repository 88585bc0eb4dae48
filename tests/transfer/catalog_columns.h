#pragma once

#include "db/column_catalog.h"

#include <QString>

namespace tw::test {

// A column as the catalog reader gives it for a declaration, so that
// mapping tests read like the CREATE TABLE they stand for:
//   mysqlColumn("decimal(65,30) unsigned"), mysqlColumn("varchar(100)", "latin1")
//   oracleColumn("NUMBER(10,2)"), oracleColumn("INTERVAL DAY(2) TO SECOND(6)")
// Sizes and digits follow what the two drivers were measured to answer.
db::CatalogColumn mysqlColumn(const QString& declaration, const QString& charset = {});
db::CatalogColumn oracleColumn(const QString& declaration);

} // namespace tw::test

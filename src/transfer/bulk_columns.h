#pragma once

#include "bulk/parameter_arrays.h"
#include "odbc/block_reader.h"
#include "odbc/value.h"
#include "transfer/statements.h"

#include <QList>

namespace tw::transfer {

// How a fast copy sends one column's values into the column the plain
// copy's mapping made: a typed parameter, and the form a value takes first.
struct BulkColumn {
    bulk::ParameterBinding parameter;
    // AsRead: the value as read (numbers, dates, bytes); Text: the text the
    // plain copy writes between its quotes, for text columns.
    enum class Form { AsRead, Text } form = Form::Text;
};

// The column type the mapping chose decides:
//
//   Oracle INT        whole numbers, SQL_C_SBIGINT (SQL_C_UBIGINT unsigned) as SQL_DECIMAL
//   Oracle DATE       SQL_C_TYPE_TIMESTAMP as SQL_TYPE_TIMESTAMP
//   Oracle FLOAT      SQL_C_DOUBLE as SQL_DOUBLE
//   Oracle BLOB       SQL_C_BINARY as SQL_LONGVARBINARY
//   MySQL FLOAT       SQL_C_DOUBLE as SQL_DOUBLE (Oracle's digits read as the
//                     nearest double, which is what MySQL reads them as)
//   MySQL DATETIME    the timestamp's text, as text: the server reads it as
//                     it reads the plain copy's literal. MariaDB
//                     Connector/ODBC 3.1.15 loses 40 bytes for every value
//                     bound as SQL_C_TYPE_TIMESTAMP; text bound as
//                     SQL_TYPE_TIMESTAMP it takes apart itself, with sscanf
//                     (a tenth of the copy's time), and refuses a zero date
//                     that the server takes
//   VARCHAR           the value text, SQL_C_WCHAR as SQL_WVARCHAR; into MySQL
//                     SQL_C_CHAR UTF-8 as SQL_VARCHAR when `narrowText`
//
// `narrowText`: the target session's character set is UTF-8 (MariaDB's
// driver converts every wide value through iconv, at a third of the copy's
// time).
BulkColumn plainBulkColumn(Direction direction, const odbc::ResultColumn& source, bool narrowText);
QList<BulkColumn> plainBulkColumns(
    Direction direction, const QList<odbc::ResultColumn>& source, bool narrowText);

// The value to bind for `value`: NULL wherever the plain copy sends NULL
// (a Null value, empty text, no bytes), the value text for Form::Text.
odbc::Value plainBulkValue(const BulkColumn& column, const odbc::Value& value);

} // namespace tw::transfer

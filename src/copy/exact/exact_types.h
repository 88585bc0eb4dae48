#pragma once

#include "catalog/table_catalog.h"
#include "copy/exact/exact_options.h"
#include "db/connection.h"
#include "sql/server.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <sql.h>

namespace tw::copy {

// How values are written into a target column of an exact copy.
enum class ValueForm {
    Integer, // a whole number: integers, truth values, MySQL's BIT and YEAR
    Decimal, // an exact decimal number
    Float32, // IEEE single precision: MySQL FLOAT, Oracle BINARY_FLOAT
    Float64, // IEEE double precision: MySQL DOUBLE, Oracle BINARY_DOUBLE
    Date, // Oracle DATE: a date and a time to the second
    Timestamp, // MySQL DATETIME(n), Oracle TIMESTAMP(n)
    Time, // MySQL TIME(n): a signed duration of up to 838:59:59
    Interval, // Oracle INTERVAL DAY(p) TO SECOND(s)
    Text, // characters: text, ENUM and SET labels, JSON, an interval's text
    Binary, // bytes
    NumberText, // a number no number type holds, as its exact decimal text
    TimestampText, // a timestamp finer than the target keeps, as fixed-width text
};

// How a bulk copy binds this column's values: the ODBC SQL type, column
// size and decimal digits of its parameter.
struct ParameterType {
    SQLSMALLINT sqlType = SQL_UNKNOWN_TYPE;
    qint64 columnSize = 0;
    int decimalDigits = 0;
};

// One column of the target table of an exact copy.
struct ExactColumn {
    QString name;
    sql::Server server = sql::Server::Oracle; // the target's
    QString type; // as CREATE TABLE writes it: "NUMBER(10)", "VARCHAR2(100 CHAR)"
    ValueForm form = ValueForm::Text;
    bool notNull = false;
    // CLOB and BLOB, MySQL's TEXT and BLOB types: no length limit worth
    // checking, and on Oracle only short values fit in a literal.
    bool isLong = false;
    qint64 length = 0; // characters of text, bytes of binary data
    int fractionDigits = 0; // Timestamp, Time, Interval, TimestampText
    int dayDigits = 0; // Interval
    // The source must be read as text (SQL_C_CHAR) for its values to arrive
    // whole: Oracle describes FLOAT(b) as SQL_DOUBLE, but keeps up to 38
    // digits in it.
    bool sourceAsText = false;
    ParameterType parameter;
    // On MySQL, the most bytes the column counts toward the 65,535 bytes a
    // row may declare; 0 on Oracle.
    int rowBytes = 0;
    QString reason; // one line: why this type holds every source value
    // Oracle: an empty text or binary value goes as NULL rather than
    // refusing its row (ExactOptions::EmptyText::Null).
    bool emptyAsNull = false;

    // A whole definition's parts (copy/schema), which CREATE TABLE writes.
    QString defaultValue; // as the target reads it: "SYSDATE", "'x'", "4.99"
    bool autoNumbered = false; // AUTO_INCREMENT, or an identity column
    QString comment;
};

struct ExactTable {
    sql::Server target = sql::Server::Oracle;
    QList<ExactColumn> columns;
    QStringList primaryKey; // in key order, as the source has it
    QString comment; // a whole definition's table comment
    // What the table's definition changed or left out, one line each
    // ("column v: ..."), for the summary.
    QStringList notes;
};

// The target column for one source column: MySQL to Oracle takes a column
// read from MySQL, Oracle to MySQL one read from Oracle.
ExactColumn exactOracleColumn(const catalog::CatalogColumn& mysqlColumn);
ExactColumn exactMySQLColumn(const catalog::CatalogColumn& oracleColumn);

// The target table: every column as above, NOT NULL kept, the source's key.
// A table bound for MySQL whose columns would pass MySQL's row limit gets
// its widest non-key text and binary columns as TEXT and BLOB until it fits.
ExactTable exactTable(sql::Server target, const catalog::TableCatalog& source,
    const ExactOptions& options = ExactOptions());

// With EmptyText::Null, a NOT NULL text or binary column bound for Oracle
// that holds an empty value (asked of the MySQL source in one pass) is made
// nullable, and a note says so. Throws DbError when the source refuses.
void allowEmptyValues(db::Connection& source, const QString& table, ExactTable& exact);

// The source columns (from 0) to read as text: see ExactColumn::sourceAsText.
QList<int> sourceTextColumns(const ExactTable& table);

} // namespace tw::copy

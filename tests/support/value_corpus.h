#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace tw::test {

// The values the transfer tests send, shared by the window's copies and the
// command's (plain and --fast), so that every path meets the same corpus.

// The Oracle column types the plain copy makes of MySQL's.
enum OracleType { oracleInt, oracleVarchar, oracleDate, oracleFloat, oracleBlob };

// One column of every MySQL type, with the Oracle column type the MySQL
// driver's ADO code must lead to.
struct TypedColumn {
    const char* name;
    const char* mysqlType;
    OracleType oracleType;
};
QList<TypedColumn> typedColumns();

// MySQL statements that make `all_types`, one column per typedColumns()
// entry: a row of values at the edges (its ti is -128) and a row of NULLs.
QString mysqlAllTypesTable();

// Text values as the mariadb client reads them, and as they arrive (a null
// string: as NULL).
QList<QPair<QString, QString>> textValues();

// Statements, for one session of the program's own layer (they set the
// session's date formats), that make the Oracle table READINGS of the Oracle
// types the plain copy maps: NUMBER, INT, FLOAT, DATE, TIMESTAMP, VARCHAR2,
// CLOB and BLOB, a row of values and a row of NULLs. MySQL takes its three
// VARCHAR(8000) columns in a single-byte character set only.
QStringList oracleReadingsTable();

// Rows of a DATE with a time, a NUMBER(38) and a NUMBER(12,2), each as its
// literal text: more digits than a double holds, cents, negatives.
QList<QStringList> oracleDigits();

} // namespace tw::test

#pragma once

#include "odbc/value.h"

#include <QList>
#include <QString>
#include <sql.h>
#include <sqlext.h>

namespace tw::odbc {

// One column of an executed statement as the driver describes it.
struct ResultColumn {
    QString name;
    SQLSMALLINT sqlType = SQL_UNKNOWN_TYPE;
    bool isUnsigned = false;
    SQLULEN size = 0; // SQLDescribeCol's column size
    SQLSMALLINT digits = 0;
    SQLLEN octetLength = 0; // SQL_DESC_OCTET_LENGTH: the most bytes of a value; 0 unknown
    // SQL_FLOAT or SQL_DOUBLE whose precision the driver counts in decimal
    // digits (SQL_DESC_NUM_PREC_RADIX 10): the driver holds digits, as
    // Oracle's does for a NUMBER, not a binary double.
    bool decimalPrecision = false;
};

QList<ResultColumn> describeResult(SQLHSTMT stmt);

// What the driver that reads a result can do, which decides the C types.
struct DriverTraits {
    // MariaDB Connector/ODBC: its wide text ends at the first U+0000 and its
    // date structures turn MySQL's zero dates into NULL, so text is read as
    // the session's UTF-8 bytes and dates as their text.
    bool mariadb = false;
    // SQL_C_SBIGINT and SQL_C_UBIGINT, which Oracle's driver documents as
    // unsupported: elsewhere whole numbers are read as their digits.
    bool bigintCTypes = false;
};

// How the values of one column are read, decided once for the column and
// used for every value, whether it is read alone (SQLGetData) or in a block
// of bound buffers (SQLBindCol).
struct ColumnPlan {
    enum class Kind {
        Signed, // SQL_C_SBIGINT
        Unsigned, // SQL_C_UBIGINT
        IntegerDigits, // a whole number's digits, SQL_C_CHAR, where 64-bit C types are not had
        Real, // single precision, read as its double (SQL_C_DOUBLE)
        Double, // SQL_C_DOUBLE
        Decimal, // exact digits as text, SQL_C_CHAR
        Date, // SQL_C_TYPE_TIMESTAMP, a date again when at midnight
        Timestamp, // SQL_C_TYPE_TIMESTAMP
        DateText, // MySQL's text of a date or timestamp (zero dates kept)
        Duration, // MySQL's TIME, a signed duration, from its text
        Bit, // one raw byte or more: any non-zero bit is true
        Utf16, // SQL_C_WCHAR
        Utf8, // the session's UTF-8 bytes, SQL_C_BINARY, refused when not UTF-8
        Binary, // SQL_C_BINARY
    };
    Kind kind = Kind::Utf16;
    SQLSMALLINT cType = SQL_C_WCHAR;
    // Bytes a bound value takes, the terminator included; 0 when a value may
    // be of any length and is read in pieces.
    SQLLEN width = 0;
    SQLLEN terminator = 0; // bytes of the null the driver writes after text
    bool isUnsigned = false; // IntegerDigits: a number of an unsigned column
    QString column; // the column's name, for messages
};

// `asText`: read as text whatever the type, for values no C type holds whole
// (Oracle describes FLOAT(b) as SQL_DOUBLE but keeps up to 38 digits in it).
// A value that may be longer than `longValue` bytes is read in pieces.
ColumnPlan planColumn(const ResultColumn& column, bool asText, const DriverTraits& driver,
    qsizetype longValue = 1 << 20);

// The value that `size` bytes at `data` read as `plan` says stand for.
// Throws DbError naming the column for text that is not valid UTF-8.
Value decodeValue(const ColumnPlan& plan, const char* data, SQLLEN size);

// Reads column `column` (1-based) of the current row in pieces of any total
// size with SQLGetData, as `plan` says; Null for NULL. Throws DbError.
Value readValue(SQLHSTMT stmt, SQLUSMALLINT column, const ColumnPlan& plan);

} // namespace tw::odbc

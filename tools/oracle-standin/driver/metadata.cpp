#include "metadata.h"

namespace orastandin::odbc {

namespace {

// Oracle's driver reports unbounded LOB and LONG columns with this size.
constexpr SQLLEN lobSize = 2147483647;

void character(OdbcColumn& c, SQLSMALLINT type, SQLLEN length, int bytesPerChar)
{
    c.conciseType = c.verboseType = type;
    c.columnSize = SQLULEN(length);
    c.length = length;
    c.displaySize = length;
    c.octetLength = length >= lobSize / bytesPerChar ? lobSize : length * bytesPerChar;
    c.caseSensitive = true;
    c.literalPrefix = c.literalSuffix = "'";
}

} // namespace

OdbcColumn describeColumn(const ResultColumn& column, const DriverProfile& profile)
{
    const ColumnType& t = column.type;
    const bool wide = profile.wideCharacters;
    OdbcColumn c;
    c.typeName = t.kind == TypeKind::Timestamp ? "TIMESTAMP" : t.oracleName();
    switch (t.kind) {
    case TypeKind::Varchar2:
        // Character-semantics columns may need four bytes per character.
        character(c, wide ? SQL_WVARCHAR : SQL_VARCHAR, t.length, t.charSemantics ? 4 : 1);
        break;
    case TypeKind::NVarchar2:
        character(c, SQL_WVARCHAR, t.length, 2);
        break;
    case TypeKind::Char:
        character(c, wide ? SQL_WCHAR : SQL_CHAR, t.length, t.charSemantics ? 4 : 1);
        break;
    case TypeKind::NChar:
        character(c, SQL_WCHAR, t.length, 2);
        break;
    case TypeKind::Clob:
    case TypeKind::Long:
        character(c, wide ? SQL_WLONGVARCHAR : SQL_LONGVARCHAR, lobSize, 1);
        break;
    case TypeKind::NClob:
        character(c, SQL_WLONGVARCHAR, lobSize, 2);
        break;
    case TypeKind::Number: {
        // A negative scale rounds to tens, hundreds, ...: NUMBER(5,-2) holds
        // integers of up to seven digits.
        const int precision = !t.scaleGiven ? 38
            : t.scale < 0                   ? t.precision - t.scale
                                            : t.precision;
        const int scale = t.scaleGiven && t.scale > 0 ? t.scale : 0;
        // Described as SQL_DOUBLE or SQL_FLOAT, a NUMBER still holds decimal
        // digits: its precision stays decimal (radix 10), and the driver
        // hands them out exactly as text.
        c.conciseType = c.verboseType = profile.numberType;
        c.columnSize = SQLULEN(precision);
        c.decimalDigits = SQLSMALLINT(scale);
        c.precision = SQLSMALLINT(precision);
        c.scale = SQLSMALLINT(scale);
        c.length = precision;
        c.radix = 10;
        c.octetLength = precision + 2; // sign and decimal point as text
        c.displaySize = precision + 2;
        break;
    }
    case TypeKind::Float:
    case TypeKind::BinaryDouble:
        c.conciseType = c.verboseType = SQL_DOUBLE;
        c.columnSize = 15;
        c.precision = 15;
        c.length = 8;
        c.radix = 10;
        c.octetLength = 8;
        c.displaySize = 24;
        break;
    case TypeKind::BinaryFloat:
        c.conciseType = c.verboseType = SQL_REAL;
        c.columnSize = 7;
        c.precision = 7;
        c.length = 4;
        c.radix = 10;
        c.octetLength = 4;
        c.displaySize = 14;
        break;
    case TypeKind::Date:
        if (profile.dateType == SQL_TYPE_DATE) {
            // Described as a date only: the values still carry their time.
            c.conciseType = SQL_TYPE_DATE;
            c.verboseType = SQL_DATETIME;
            c.intervalCode = SQL_CODE_DATE;
            c.columnSize = 10;
            c.length = 10;
            c.octetLength = sizeof(SQL_DATE_STRUCT);
            c.displaySize = 10;
            c.literalPrefix = c.literalSuffix = "'";
            break;
        }
        [[fallthrough]];
    case TypeKind::Timestamp: {
        const int fraction = t.kind == TypeKind::Timestamp ? t.scale : 0;
        c.conciseType = SQL_TYPE_TIMESTAMP;
        c.verboseType = SQL_DATETIME;
        c.intervalCode = SQL_CODE_TIMESTAMP;
        c.columnSize = SQLULEN(fraction > 0 ? 20 + fraction : 19);
        c.decimalDigits = SQLSMALLINT(fraction);
        c.precision = SQLSMALLINT(fraction);
        c.length = SQLLEN(c.columnSize);
        c.octetLength = sizeof(SQL_TIMESTAMP_STRUCT);
        c.displaySize = SQLLEN(c.columnSize);
        c.literalPrefix = c.literalSuffix = "'";
        break;
    }
    case TypeKind::Blob:
    case TypeKind::LongRaw:
        c.conciseType = c.verboseType = SQL_LONGVARBINARY;
        c.columnSize = lobSize;
        c.length = lobSize;
        c.octetLength = lobSize;
        c.displaySize = lobSize;
        break;
    case TypeKind::IntervalDayToSecond:
        // Oracle's driver knows no ODBC interval types: the value comes as
        // its text, "+DD HH:MI:SS.FFFFFF", sign and all.
        character(c, SQL_VARCHAR, t.precision + 10 + (t.scale ? t.scale + 1 : 0), 1);
        c.caseSensitive = false;
        c.literalPrefix = c.literalSuffix = "";
        c.typeName = "INTERVAL DAY TO SECOND";
        break;
    case TypeKind::Raw:
        c.conciseType = c.verboseType = SQL_VARBINARY;
        c.columnSize = SQLULEN(t.length);
        c.length = t.length;
        c.octetLength = t.length;
        c.displaySize = 2 * SQLLEN(t.length);
        c.literalPrefix = c.literalSuffix = "'";
        break;
    }
    return c;
}

SQLSMALLINT defaultCType(SQLSMALLINT sqlType)
{
    switch (sqlType) {
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR:
    case SQL_WCHAR:
        return SQL_C_WCHAR;
    case SQL_DOUBLE:
    case SQL_FLOAT:
        return SQL_C_DOUBLE;
    case SQL_REAL:
        return SQL_C_FLOAT;
    case SQL_TYPE_TIMESTAMP:
        return SQL_C_TYPE_TIMESTAMP;
    case SQL_TYPE_DATE:
        return SQL_C_TYPE_DATE;
    case SQL_LONGVARBINARY:
    case SQL_VARBINARY:
        return SQL_C_BINARY;
    default:
        return SQL_C_CHAR;
    }
}

} // namespace orastandin::odbc

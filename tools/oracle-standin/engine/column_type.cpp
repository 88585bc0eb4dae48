#include "column_type.h"

#include <algorithm>

namespace orastandin {

bool ColumnType::isText() const
{
    switch (kind) {
    case TypeKind::Varchar2:
    case TypeKind::NVarchar2:
    case TypeKind::Char:
    case TypeKind::NChar:
    case TypeKind::Clob:
    case TypeKind::NClob:
    case TypeKind::Long:
        return true;
    default:
        return false;
    }
}

bool ColumnType::isBinary() const
{
    return kind == TypeKind::Blob || kind == TypeKind::Raw || kind == TypeKind::LongRaw;
}

bool ColumnType::isNumeric() const
{
    return kind == TypeKind::Number || kind == TypeKind::Float;
}

bool ColumnType::isDateTime() const
{
    return kind == TypeKind::Date || kind == TypeKind::Timestamp;
}

std::string ColumnType::oracleName() const
{
    switch (kind) {
    case TypeKind::Varchar2:
        return "VARCHAR2";
    case TypeKind::NVarchar2:
        return "NVARCHAR2";
    case TypeKind::Char:
        return "CHAR";
    case TypeKind::NChar:
        return "NCHAR";
    case TypeKind::Number:
        return "NUMBER";
    case TypeKind::Float:
        return "FLOAT";
    case TypeKind::BinaryFloat:
        return "BINARY_FLOAT";
    case TypeKind::BinaryDouble:
        return "BINARY_DOUBLE";
    case TypeKind::Date:
        return "DATE";
    case TypeKind::Timestamp:
        return "TIMESTAMP(" + std::to_string(scale) + ")";
    case TypeKind::Clob:
        return "CLOB";
    case TypeKind::NClob:
        return "NCLOB";
    case TypeKind::Blob:
        return "BLOB";
    case TypeKind::Raw:
        return "RAW";
    case TypeKind::Long:
        return "LONG";
    case TypeKind::LongRaw:
        return "LONG RAW";
    case TypeKind::IntervalDayToSecond:
        return "INTERVAL DAY(" + std::to_string(precision) + ") TO SECOND(" + std::to_string(scale)
            + ")";
    }
    return "UNDEFINED";
}

int ColumnType::maximumBytes() const
{
    switch (kind) {
    case TypeKind::Varchar2:
        // Up to four bytes a character in AL32UTF8, never more than the type's 4000.
        return charSemantics ? std::min(4 * length, 4000) : length;
    case TypeKind::Char:
        return charSemantics ? std::min(4 * length, 2000) : length;
    case TypeKind::NVarchar2:
    case TypeKind::NChar:
        return 2 * length; // AL16UTF16
    case TypeKind::Raw:
        return length;
    case TypeKind::Number:
    case TypeKind::Float:
        return 22;
    case TypeKind::BinaryFloat:
        return 4;
    case TypeKind::BinaryDouble:
        return 8;
    case TypeKind::Date:
        return 7;
    case TypeKind::Timestamp:
    case TypeKind::IntervalDayToSecond:
        return 11;
    case TypeKind::Clob:
    case TypeKind::NClob:
    case TypeKind::Blob:
        return 4000; // the locator kept in the row
    case TypeKind::Long:
    case TypeKind::LongRaw:
        return 0;
    }
    return 0;
}

} // namespace orastandin

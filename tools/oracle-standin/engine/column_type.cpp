#include "column_type.h"

namespace orastandin {

bool ColumnType::isText() const
{
    switch (kind) {
    case TypeKind::Varchar2:
    case TypeKind::NVarchar2:
    case TypeKind::Char:
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
    }
    return "UNDEFINED";
}

} // namespace orastandin

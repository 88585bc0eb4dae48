// Result metadata: SQLDescribeCol and SQLColAttribute.

#include "entry.h"
#include "handles.h"
#include "metadata.h"
#include "text_out.h"

using namespace orastandin;
using namespace orastandin::odbc;

namespace {

const ResultColumn& resultColumn(Statement* stmt, SQLUSMALLINT column)
{
    if (!stmt->result)
        throw DriverError("HY010", "Function sequence error");
    if (!stmt->result->isQuery)
        throw DriverError("07005", "Prepared statement is not a query");
    if (column == 0 || column > stmt->result->columns.size())
        throw DriverError("07009", "Invalid descriptor index");
    return stmt->result->columns[column - 1];
}

SQLRETURN describeCol(Statement* stmt, SQLUSMALLINT column, const TextTarget& name,
    SQLSMALLINT* nameLength, SQLSMALLINT* dataType, SQLULEN* columnSize, SQLSMALLINT* decimalDigits,
    SQLSMALLINT* nullable)
{
    const ResultColumn& rc = resultColumn(stmt, column);
    const OdbcColumn c = describeColumn(rc, stmt->dbc->profile);
    bool truncated = false;
    setLength(nameLength, writeText(rc.name, name, truncated));
    setLength(dataType, c.conciseType);
    setLength(columnSize, SQLLEN(c.columnSize));
    setLength(decimalDigits, c.decimalDigits);
    setLength(nullable, rc.nullable ? SQL_NULLABLE : SQL_NO_NULLS);
    if (truncated) {
        stmt->diag.addDriver("01004", "String data, right truncated");
        return SQL_SUCCESS_WITH_INFO;
    }
    return SQL_SUCCESS;
}

SQLRETURN colAttribute(Statement* stmt, SQLUSMALLINT column, SQLUSMALLINT field,
    const TextTarget& text, SQLSMALLINT* textLength, SQLLEN* number)
{
    if (field == SQL_DESC_COUNT || field == SQL_COLUMN_COUNT) {
        const bool query = stmt->result && stmt->result->isQuery;
        setLength(number, query ? SQLLEN(stmt->result->columns.size()) : 0);
        return SQL_SUCCESS;
    }
    const ResultColumn& rc = resultColumn(stmt, column);
    const OdbcColumn c = describeColumn(rc, stmt->dbc->profile);
    auto string = [&](const std::string& value) -> SQLRETURN {
        bool truncated = false;
        setLength(textLength, writeText(value, text, truncated));
        if (truncated) {
            stmt->diag.addDriver("01004", "String data, right truncated");
            return SQL_SUCCESS_WITH_INFO;
        }
        return SQL_SUCCESS;
    };
    auto numeric = [&](SQLLEN value) -> SQLRETURN {
        setLength(number, value);
        return SQL_SUCCESS;
    };
    switch (field) {
    case SQL_DESC_NAME:
    case SQL_DESC_LABEL:
    case SQL_DESC_BASE_COLUMN_NAME:
    case SQL_COLUMN_NAME:
        return string(rc.name);
    case SQL_DESC_TABLE_NAME:
    case SQL_DESC_BASE_TABLE_NAME:
        return string(rc.table);
    case SQL_DESC_SCHEMA_NAME:
        return string(rc.owner);
    case SQL_DESC_CATALOG_NAME:
        return string("");
    case SQL_DESC_TYPE_NAME:
    case SQL_DESC_LOCAL_TYPE_NAME:
        return string(c.typeName);
    case SQL_DESC_LITERAL_PREFIX:
        return string(c.literalPrefix);
    case SQL_DESC_LITERAL_SUFFIX:
        return string(c.literalSuffix);
    case SQL_DESC_CONCISE_TYPE:
        return numeric(c.conciseType);
    case SQL_DESC_TYPE:
        return numeric(c.verboseType);
    case SQL_DESC_DATETIME_INTERVAL_CODE:
        return numeric(c.intervalCode);
    case SQL_DESC_LENGTH:
    case SQL_COLUMN_LENGTH:
        return numeric(field == SQL_COLUMN_LENGTH ? c.octetLength : c.length);
    case SQL_DESC_OCTET_LENGTH:
        return numeric(c.octetLength);
    case SQL_DESC_PRECISION:
        return numeric(c.precision);
    case SQL_COLUMN_PRECISION:
        return numeric(SQLLEN(c.columnSize));
    case SQL_DESC_SCALE:
    case SQL_COLUMN_SCALE:
        return numeric(c.scale);
    case SQL_DESC_DISPLAY_SIZE:
        return numeric(c.displaySize);
    case SQL_DESC_NULLABLE:
    case SQL_COLUMN_NULLABLE:
        return numeric(rc.nullable ? SQL_NULLABLE : SQL_NO_NULLS);
    case SQL_DESC_UNSIGNED:
        return numeric(c.radix == 10 ? SQL_FALSE : SQL_TRUE);
    case SQL_DESC_CASE_SENSITIVE:
        return numeric(c.caseSensitive ? SQL_TRUE : SQL_FALSE);
    case SQL_DESC_FIXED_PREC_SCALE:
    case SQL_DESC_AUTO_UNIQUE_VALUE:
        return numeric(SQL_FALSE);
    case SQL_DESC_NUM_PREC_RADIX:
        return numeric(c.radix);
    case SQL_DESC_SEARCHABLE:
        return numeric(rc.type.isLong() || rc.type.kind == TypeKind::Blob
                    || rc.type.kind == TypeKind::Clob || rc.type.kind == TypeKind::NClob
                ? SQL_PRED_NONE
                : SQL_PRED_SEARCHABLE);
    case SQL_DESC_UPDATABLE:
        return numeric(SQL_ATTR_READWRITE_UNKNOWN);
    case SQL_DESC_UNNAMED:
        return numeric(SQL_NAMED);
    default:
        throw DriverError("HY091", "Invalid descriptor field identifier");
    }
}

} // namespace

ODBC_ENTRY SQLDescribeCol(SQLHSTMT handle, SQLUSMALLINT column, SQLCHAR* name,
    SQLSMALLINT bufferLength, SQLSMALLINT* nameLength, SQLSMALLINT* dataType, SQLULEN* columnSize,
    SQLSMALLINT* decimalDigits, SQLSMALLINT* nullable)
{
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [&] {
        return describeCol(stmt, column, TextTarget { name, bufferLength, false, false },
            nameLength, dataType, columnSize, decimalDigits, nullable);
    });
}

ODBC_ENTRY SQLDescribeColW(SQLHSTMT handle, SQLUSMALLINT column, SQLWCHAR* name,
    SQLSMALLINT bufferLength, SQLSMALLINT* nameLength, SQLSMALLINT* dataType, SQLULEN* columnSize,
    SQLSMALLINT* decimalDigits, SQLSMALLINT* nullable)
{
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [&] {
        return describeCol(stmt, column, TextTarget { name, bufferLength, true, false }, nameLength,
            dataType, columnSize, decimalDigits, nullable);
    });
}

ODBC_ENTRY SQLColAttribute(SQLHSTMT handle, SQLUSMALLINT column, SQLUSMALLINT field,
    SQLPOINTER text, SQLSMALLINT bufferLength, SQLSMALLINT* textLength, SQLLEN* number)
{
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [&] {
        return colAttribute(stmt, column, field, TextTarget { text, bufferLength, false, true },
            textLength, number);
    });
}

ODBC_ENTRY SQLColAttributeW(SQLHSTMT handle, SQLUSMALLINT column, SQLUSMALLINT field,
    SQLPOINTER text, SQLSMALLINT bufferLength, SQLSMALLINT* textLength, SQLLEN* number)
{
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [&] {
        return colAttribute(
            stmt, column, field, TextTarget { text, bufferLength, true, true }, textLength, number);
    });
}

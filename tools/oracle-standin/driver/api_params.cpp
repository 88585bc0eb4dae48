// Parameter markers: SQLBindParameter, SQLNumParams and SQLDescribeParam.

#include "entry.h"
#include "handles.h"
#include "metadata.h"
#include "parameters.h"
#include "text_out.h"

using namespace orastandin;
using namespace orastandin::odbc;

namespace {

const PreparedStatement& preparedStatement(Statement* stmt)
{
    if (!stmt->preparedSql)
        throw DriverError("HY010", "Function sequence error");
    if (!stmt->prepared)
        stmt->prepared = stmt->session().prepare(*stmt->preparedSql); // throws the parse error
    return *stmt->prepared;
}

SQLRETURN describeParam(Statement* stmt, SQLUSMALLINT number, SQLSMALLINT* dataType, SQLULEN* size,
    SQLSMALLINT* digits, SQLSMALLINT* nullable)
{
    const PreparedStatement& prepared = preparedStatement(stmt);
    if (number == 0 || number > prepared.parameters)
        throw DriverError("07009", "Invalid descriptor index");
    const auto columns = stmt->session().parameterColumns(prepared.statement);
    const OdbcColumn c = describeColumn(columns[number - 1], stmt->dbc->profile);
    setLength(dataType, c.conciseType);
    setLength(size, SQLLEN(c.columnSize));
    setLength(digits, c.decimalDigits);
    setLength(nullable, columns[number - 1].nullable ? SQL_NULLABLE : SQL_NO_NULLS);
    return SQL_SUCCESS;
}

} // namespace

ODBC_ENTRY SQLBindParameter(SQLHSTMT handle, SQLUSMALLINT number, SQLSMALLINT ioType,
    SQLSMALLINT cType, SQLSMALLINT sqlType, SQLULEN columnSize, SQLSMALLINT decimalDigits,
    SQLPOINTER value, SQLLEN bufferLength, SQLLEN* indicator)
{
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [&] {
        if (number == 0)
            throw DriverError("07009", "Invalid descriptor index");
        const ParameterBinding binding { cType, sqlType, columnSize, decimalDigits, value,
            bufferLength, indicator };
        checkParameterBinding(ioType, binding, stmt->dbc->profile);
        stmt->parameters[number] = binding;
        return SQL_SUCCESS;
    });
}

ODBC_ENTRY SQLNumParams(SQLHSTMT handle, SQLSMALLINT* count)
{
    Statement* stmt = asStmt(handle);
    return guarded(stmt, [&] {
        if (!stmt->preparedSql)
            throw DriverError("HY010", "Function sequence error");
        // Counted in the text, as Oracle's driver counts them, even in a
        // statement the server would refuse.
        const std::size_t n = stmt->prepared
            ? stmt->prepared->parameters
            : countParameterMarkers(*stmt->preparedSql, stmt->session().maxStringSize());
        setLength(count, SQLLEN(n));
        return SQL_SUCCESS;
    });
}

ODBC_ENTRY SQLDescribeParam(SQLHSTMT handle, SQLUSMALLINT number, SQLSMALLINT* dataType,
    SQLULEN* size, SQLSMALLINT* digits, SQLSMALLINT* nullable)
{
    Statement* stmt = asStmt(handle);
    return guarded(
        stmt, [&] { return describeParam(stmt, number, dataType, size, digits, nullable); });
}

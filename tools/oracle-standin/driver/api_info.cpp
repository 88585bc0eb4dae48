// SQLGetInfo: what the driver and the "server" say about themselves.

#include "entry.h"
#include "handles.h"
#include "text_out.h"

#include <variant>

using namespace orastandin;
using namespace orastandin::odbc;

namespace {

using InfoValue = std::variant<std::string, SQLUSMALLINT, SQLUINTEGER>;

InfoValue info(const Connection* dbc, SQLUSMALLINT type)
{
    const std::string user = dbc->session ? dbc->session->user() : std::string();
    switch (type) {
    // Strings.
    case SQL_DRIVER_NAME:
        return std::string("liboraclestandin.so");
    case SQL_DRIVER_VER:
        return std::string("19.00.0000");
    case SQL_DRIVER_ODBC_VER:
        return std::string("03.52");
    case SQL_ODBC_VER:
        return std::string("03.52.0000");
    case SQL_DBMS_NAME:
        return std::string("Oracle");
    case SQL_DBMS_VER:
        return std::string("19.00.0000 Oracle Database 19c stand-in");
    case SQL_DATA_SOURCE_NAME:
        return dbc->dataSourceName;
    case SQL_SERVER_NAME:
        return dbc->serverName;
    case SQL_USER_NAME:
        return user;
    case SQL_DATABASE_NAME:
    case SQL_CATALOG_NAME_SEPARATOR:
    case SQL_CATALOG_TERM:
    case SQL_KEYWORDS:
    case SQL_PROCEDURE_TERM:
        return std::string();
    case SQL_IDENTIFIER_QUOTE_CHAR:
        return std::string("\"");
    case SQL_SEARCH_PATTERN_ESCAPE:
        return std::string("\\");
    case SQL_SCHEMA_TERM:
        return std::string("Owner");
    case SQL_TABLE_TERM:
        return std::string("Table");
    case SQL_SPECIAL_CHARACTERS:
        return std::string("$#");
    case SQL_DESCRIBE_PARAMETER:
        return std::string("Y");
    case SQL_CATALOG_NAME:
    case SQL_DATA_SOURCE_READ_ONLY:
    case SQL_MULT_RESULT_SETS:
    case SQL_NEED_LONG_DATA_LEN:
    case SQL_ACCESSIBLE_PROCEDURES:
    case SQL_ACCESSIBLE_TABLES:
    case SQL_PROCEDURES:
    case SQL_ROW_UPDATES:
    case SQL_ORDER_BY_COLUMNS_IN_SELECT:
    case SQL_COLUMN_ALIAS:
    case SQL_EXPRESSIONS_IN_ORDERBY:
    case SQL_INTEGRITY:
    case SQL_LIKE_ESCAPE_CLAUSE:
        return std::string("N");
    case SQL_MULTIPLE_ACTIVE_TXN:
    case SQL_MAX_ROW_SIZE_INCLUDES_LONG:
        return std::string("Y");
    // 16-bit values.
    case SQL_MAX_IDENTIFIER_LEN:
    case SQL_MAX_TABLE_NAME_LEN:
    case SQL_MAX_COLUMN_NAME_LEN:
    case SQL_MAX_SCHEMA_NAME_LEN:
    case SQL_MAX_USER_NAME_LEN:
        return SQLUSMALLINT(128);
    case SQL_MAX_COLUMNS_IN_TABLE:
    case SQL_MAX_COLUMNS_IN_SELECT:
        return SQLUSMALLINT(1000);
    case SQL_MAX_DRIVER_CONNECTIONS:
    case SQL_MAX_CONCURRENT_ACTIVITIES:
    case SQL_MAX_CATALOG_NAME_LEN:
    case SQL_MAX_CURSOR_NAME_LEN:
    case SQL_MAX_PROCEDURE_NAME_LEN:
    case SQL_MAX_TABLES_IN_SELECT:
    case SQL_MAX_COLUMNS_IN_GROUP_BY:
    case SQL_MAX_COLUMNS_IN_ORDER_BY:
    case SQL_MAX_COLUMNS_IN_INDEX:
        return SQLUSMALLINT(0);
    case SQL_TXN_CAPABLE:
        return SQLUSMALLINT(SQL_TC_DDL_COMMIT);
    case SQL_CURSOR_COMMIT_BEHAVIOR:
    case SQL_CURSOR_ROLLBACK_BEHAVIOR:
        return SQLUSMALLINT(SQL_CB_PRESERVE);
    case SQL_IDENTIFIER_CASE:
        return SQLUSMALLINT(SQL_IC_UPPER);
    case SQL_QUOTED_IDENTIFIER_CASE:
        return SQLUSMALLINT(SQL_IC_SENSITIVE);
    case SQL_CONCAT_NULL_BEHAVIOR:
        return SQLUSMALLINT(SQL_CB_NON_NULL);
    case SQL_NON_NULLABLE_COLUMNS:
        return SQLUSMALLINT(SQL_NNC_NON_NULL);
    case SQL_NULL_COLLATION:
        return SQLUSMALLINT(SQL_NC_HIGH);
    case SQL_CORRELATION_NAME:
        return SQLUSMALLINT(SQL_CN_ANY);
    case SQL_GROUP_BY:
        return SQLUSMALLINT(SQL_GB_NOT_SUPPORTED);
    case SQL_CATALOG_LOCATION:
    case SQL_FILE_USAGE:
        return SQLUSMALLINT(0);
    // 32-bit values.
    case SQL_GETDATA_EXTENSIONS:
        // SQL_GD_BLOCK: in a block cursor SQLSetPos(SQL_POSITION) picks the row.
        return SQLUINTEGER(SQL_GD_ANY_COLUMN | SQL_GD_ANY_ORDER | SQL_GD_BOUND | SQL_GD_BLOCK);
    case SQL_POS_OPERATIONS:
        return SQLUINTEGER(SQL_POS_POSITION);
    case SQL_PARAM_ARRAY_ROW_COUNTS:
        // SQLRowCount after an array gives the rows of all its sets together.
        return SQLUINTEGER(SQL_PARC_NO_BATCH);
    case SQL_PARAM_ARRAY_SELECTS:
        return SQLUINTEGER(SQL_PAS_NO_SELECT);
    case SQL_SCROLL_OPTIONS:
        return SQLUINTEGER(SQL_SO_FORWARD_ONLY);
    case SQL_DEFAULT_TXN_ISOLATION:
    case SQL_TXN_ISOLATION_OPTION:
        return SQLUINTEGER(SQL_TXN_READ_COMMITTED);
    case SQL_ODBC_INTERFACE_CONFORMANCE:
        return SQLUINTEGER(SQL_OIC_CORE);
    case SQL_SQL_CONFORMANCE:
        return SQLUINTEGER(SQL_SC_SQL92_ENTRY);
    case SQL_ASYNC_MODE:
        return SQLUINTEGER(SQL_AM_NONE);
    case SQL_MAX_ASYNC_CONCURRENT_STATEMENTS:
    case SQL_MAX_ROW_SIZE:
    case SQL_MAX_STATEMENT_LEN:
    case SQL_MAX_CHAR_LITERAL_LEN:
    case SQL_MAX_BINARY_LITERAL_LEN:
    case SQL_MAX_INDEX_SIZE:
        return SQLUINTEGER(0);
    case SQL_CURSOR_SENSITIVITY:
        return SQLUINTEGER(SQL_INSENSITIVE);
    case SQL_BATCH_SUPPORT:
    case SQL_BATCH_ROW_COUNT:
    case SQL_BOOKMARK_PERSISTENCE:
    case SQL_STATIC_CURSOR_ATTRIBUTES1:
    case SQL_STATIC_CURSOR_ATTRIBUTES2:
    case SQL_KEYSET_CURSOR_ATTRIBUTES1:
    case SQL_KEYSET_CURSOR_ATTRIBUTES2:
    case SQL_DYNAMIC_CURSOR_ATTRIBUTES1:
    case SQL_DYNAMIC_CURSOR_ATTRIBUTES2:
    case SQL_POSITIONED_STATEMENTS:
    case SQL_LOCK_TYPES:
    case SQL_STATIC_SENSITIVITY:
    case SQL_CATALOG_USAGE:
    case SQL_SCHEMA_USAGE:
    case SQL_TIMEDATE_FUNCTIONS:
    case SQL_NUMERIC_FUNCTIONS:
    case SQL_STRING_FUNCTIONS:
    case SQL_SYSTEM_FUNCTIONS:
    case SQL_CONVERT_FUNCTIONS:
    case SQL_SUBQUERIES:
    case SQL_UNION:
    case SQL_OJ_CAPABILITIES:
    case SQL_ALTER_TABLE:
        return SQLUINTEGER(0);
    // What CREATE TABLE, DROP TABLE and the literals take.
    case SQL_CREATE_TABLE:
        return SQLUINTEGER(SQL_CT_CREATE_TABLE | SQL_CT_COLUMN_CONSTRAINT | SQL_CT_COLUMN_DEFAULT
            | SQL_CT_TABLE_CONSTRAINT | SQL_CT_CONSTRAINT_NAME_DEFINITION
            | SQL_CT_CONSTRAINT_NON_DEFERRABLE | SQL_CT_CONSTRAINT_INITIALLY_IMMEDIATE);
    case SQL_DROP_TABLE:
        return SQLUINTEGER(SQL_DT_DROP_TABLE);
    case SQL_DATETIME_LITERALS:
        return SQLUINTEGER(SQL_DL_SQL92_DATE | SQL_DL_SQL92_TIMESTAMP);
    case SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES1:
        return SQLUINTEGER(SQL_CA1_NEXT | SQL_CA1_POS_POSITION);
    case SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES2:
        return SQLUINTEGER(SQL_CA2_READ_ONLY_CONCURRENCY | SQL_CA2_MAX_ROWS_SELECT);
    default:
        break;
    }
    if (type >= SQL_CONVERT_BIGINT && type <= SQL_CONVERT_VARCHAR)
        return SQLUINTEGER(0);
    throw DriverError("HY096", "Invalid information type");
}

SQLRETURN getInfo(Connection* dbc, SQLUSMALLINT type, SQLPOINTER value, SQLSMALLINT bufferLength,
    SQLSMALLINT* length, bool wide)
{
    const InfoValue v = info(dbc, type);
    if (const auto* s = std::get_if<std::string>(&v)) {
        bool truncated = false;
        setLength(length, writeText(*s, TextTarget { value, bufferLength, wide, true }, truncated));
        if (truncated) {
            dbc->diag.addDriver("01004", "String data, right truncated");
            return SQL_SUCCESS_WITH_INFO;
        }
        return SQL_SUCCESS;
    }
    if (const auto* n = std::get_if<SQLUSMALLINT>(&v)) {
        if (value)
            *static_cast<SQLUSMALLINT*>(value) = *n;
        setLength(length, sizeof(SQLUSMALLINT));
        return SQL_SUCCESS;
    }
    if (value)
        *static_cast<SQLUINTEGER*>(value) = std::get<SQLUINTEGER>(v);
    setLength(length, sizeof(SQLUINTEGER));
    return SQL_SUCCESS;
}

} // namespace

ODBC_ENTRY SQLGetInfo(SQLHDBC handle, SQLUSMALLINT type, SQLPOINTER value, SQLSMALLINT bufferLength,
    SQLSMALLINT* length)
{
    Connection* dbc = asDbc(handle);
    return guarded(dbc, [&] { return getInfo(dbc, type, value, bufferLength, length, false); });
}

ODBC_ENTRY SQLGetInfoW(SQLHDBC handle, SQLUSMALLINT type, SQLPOINTER value,
    SQLSMALLINT bufferLength, SQLSMALLINT* length)
{
    Connection* dbc = asDbc(handle);
    return guarded(dbc, [&] { return getInfo(dbc, type, value, bufferLength, length, true); });
}

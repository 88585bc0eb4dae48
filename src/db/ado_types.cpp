#include "db/ado_types.h"

#include <sqlext.h>
#include <sqlucode.h>

namespace tw::db {

qint16 adoTypeCode(SQLSMALLINT sqlType, bool isUnsigned)
{
    switch (sqlType) {
    case SQL_CHAR:
        return 129;
    case SQL_VARCHAR:
        return 200;
    case SQL_LONGVARCHAR:
        return 201;
    case SQL_WCHAR:
        return 130;
    case SQL_WVARCHAR:
        return 202;
    case SQL_WLONGVARCHAR:
        return 203;
    case SQL_DECIMAL:
    case SQL_NUMERIC:
        return 131;
    case SQL_BINARY:
        return 128;
    case SQL_VARBINARY:
        return 204;
    case SQL_LONGVARBINARY:
        return 205;
    case SQL_GUID:
        return 72;
    case SQL_TINYINT:
        return isUnsigned ? 17 : 16;
    case SQL_SMALLINT:
        return isUnsigned ? 18 : 2;
    case SQL_INTEGER:
        return isUnsigned ? 19 : 3;
    case SQL_BIGINT:
        return isUnsigned ? 21 : 20;
    case SQL_REAL:
        return 4;
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return 5;
    case SQL_BIT:
        return 11;
    case SQL_TYPE_DATE:
    case SQL_DATE:
        return 133;
    case SQL_TYPE_TIME:
    case SQL_TIME:
        return 134;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
        return 135;
    default:
        return 200;
    }
}

QString AdoTypeName(qint16 code)
{
    struct Entry {
        qint16 code;
        const char* name;
    };
    static constexpr Entry table[] = {
        { 0, "adEmpty" },
        { 2, "adSmallInt" },
        { 3, "adInteger" },
        { 4, "adSingle" },
        { 5, "adDouble" },
        { 6, "adCurrency" },
        { 7, "adDate" },
        { 8, "adBSTR" },
        { 9, "adIDispatch" },
        { 10, "adError" },
        { 11, "adBoolean" },
        { 12, "adVariant" },
        { 13, "adIUnknown" },
        { 14, "adDecimal" },
        { 16, "adTinyInt" },
        { 17, "adUnsignedTinyInt" },
        { 18, "adUnsignedSmallInt" },
        { 19, "adUnsignedInt" },
        { 20, "adBigInt" },
        { 21, "adUnsignedBigInt" },
        { 64, "adFileTime" },
        { 72, "adGUID" },
        { 128, "adBinary" },
        { 129, "adChar" },
        { 130, "adWChar" },
        { 131, "adNumeric" },
        { 132, "adUserDefined" },
        { 133, "adDBDate" },
        { 134, "adDBTime" },
        { 135, "adDBTimeStamp" },
        { 136, "adChapter" },
        { 138, "adPropVariant" },
        { 139, "adVarNumeric" },
        { 200, "adVarChar" },
        { 201, "adLongVarChar" },
        { 202, "adVarWChar" },
        { 203, "adLongVarWChar" },
        { 204, "adVarBinary" },
        { 205, "adLongVarBinary" },
    };
    for (const Entry& e : table) {
        if (e.code == code)
            return QString::fromLatin1(e.name);
    }
    return QString();
}

} // namespace tw::db

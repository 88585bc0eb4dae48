#pragma once

#include <QString>
#include <sql.h>

namespace tw::db {

// ADO's data type codes as Microsoft's OLE DB provider for ODBC reports them
// for each ODBC SQL type. Signedness matters for the four integer types only.
qint16 adoTypeCode(SQLSMALLINT sqlType, bool isUnsigned);

// The name of an ADO data type code in ADO's enumeration ("adVarChar"), or
// empty text for a code outside the table.
QString AdoTypeName(qint16 code);

} // namespace tw::db

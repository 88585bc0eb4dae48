#include "transfer/bulk_columns.h"

#include "db/ado_types.h"
#include "transfer/value_text.h"

#include <sqlext.h>

namespace tw::transfer {

namespace {

BulkColumn asRead(SQLSMALLINT cType, SQLSMALLINT sqlType, SQLULEN size, SQLSMALLINT digits)
{
    return { { cType, sqlType, size, digits }, BulkColumn::Form::AsRead };
}

BulkColumn text(bool narrow)
{
    return { { SQLSMALLINT(narrow ? SQL_C_CHAR : SQL_C_WCHAR),
                 SQLSMALLINT(narrow ? SQL_VARCHAR : SQL_WVARCHAR), 0, 0 },
        BulkColumn::Form::Text };
}

} // namespace

BulkColumn plainBulkColumn(Direction direction, const odbc::ResultColumn& source, bool narrowText)
{
    const QString fragment = columnTypeFragment(direction,
        db::AdoTypeName(db::adoTypeCode(source.info.sqlType, source.info.isUnsigned)).toLower());
    if (direction == Direction::ToOracle) {
        if (fragment == QLatin1String(" INT,"))
            return asRead(
                source.info.isUnsigned ? SQL_C_UBIGINT : SQL_C_SBIGINT, SQL_DECIMAL, 38, 0);
        if (fragment == QLatin1String(" DATE,"))
            return asRead(SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, 19, 0);
        if (fragment == QLatin1String(" FLOAT,"))
            return asRead(SQL_C_DOUBLE, SQL_DOUBLE, 15, 0);
        if (fragment == QLatin1String(" BLOB,"))
            return asRead(SQL_C_BINARY, SQL_LONGVARBINARY, 0, 0);
        return text(false);
    }
    if (fragment == QLatin1String(" FLOAT,"))
        return asRead(SQL_C_DOUBLE, SQL_DOUBLE, 15, 0);
    // DATETIME too: see the header.
    return text(narrowText);
}

QList<BulkColumn> plainBulkColumns(
    Direction direction, const QList<odbc::ResultColumn>& source, bool narrowText)
{
    QList<BulkColumn> columns;
    for (const odbc::ResultColumn& c : source)
        columns << plainBulkColumn(direction, c, narrowText);
    return columns;
}

odbc::Value plainBulkValue(const BulkColumn& column, const odbc::Value& value)
{
    if (column.form == BulkColumn::Form::Text) {
        if (value.typeId() == QMetaType::QString) // text is its own value text
            return static_cast<const QString*>(value.constData())->isEmpty() ? odbc::Null() : value;
        QString text = valueText(value);
        return text.isEmpty() ? odbc::Null() : odbc::Value(std::move(text));
    }
    // The plain copy sends NULL for whatever writes as no text.
    switch (value.typeId()) {
    case QMetaType::QString:
        if (static_cast<const QString*>(value.constData())->isEmpty())
            return odbc::Null();
        break;
    case QMetaType::QByteArray:
        if (static_cast<const QByteArray*>(value.constData())->isEmpty())
            return odbc::Null();
        break;
    default:
        break;
    }
    return value;
}

} // namespace tw::transfer

#pragma once

#include "cell.h"
#include "column_type.h"
#include "nls.h"
#include "statement.h"

#include <string>

namespace orastandin {

// Names a column in ORA-12899's text: "OWNER"."TABLE"."COLUMN".
struct ColumnRef {
    std::string owner;
    std::string table;
    std::string column;
};

// Converts one INSERT value, a literal or a value bound to a marker, to what
// the column stores, as Oracle's implicit conversions do: '' is NULL, text to
// number by NLS_NUMERIC_CHARACTERS, text to date by NLS_DATE_FORMAT, hex text
// to bytes, bound dates rounded to the column's precision, lengths and
// precisions checked. Throws the ORA error Oracle raises.
Cell convertForColumn(const Literal& value, const ColumnType& type, const ColumnRef& column,
    const NlsSettings& nls, const Today& today);

// A number as Oracle writes it as text: ".5", "-1.25", with `decimalChar`.
std::string numberAsText(const class Decimal& d, char decimalChar);

// Fits an exact number to NUMBER(p,s) or FLOAT(b); returns the canonical text.
std::string fitNumber(class Decimal number, const ColumnType& type);

} // namespace orastandin

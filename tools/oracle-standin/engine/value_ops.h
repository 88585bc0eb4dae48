#pragma once

// Helpers the expression engine's parts share: families of types as
// Oracle's comparison rules group them, and conversions between values.

#include "expression.h"

#include <string>
#include <string_view>

namespace orastandin {

enum class Family { Text, Number, Real, DateTime, Raw, Interval, Lob };

Family familyOf(const ColumnType& type);
// The name ORA-00932 gives a type: NUMBER, CHAR, DATE, CLOB, ...
const char* typeLabel(const ColumnType& type);
[[noreturn]] void inconsistentTypes(const ColumnType& expected, const ColumnType& got);

ColumnType varchar2Type(int length);
ColumnType numberType();
// The type a literal has of itself: 'x' is CHAR(1), 5 a NUMBER, DATE '...' a DATE.
ColumnType literalType(const Literal& l, bool bound);
// A literal's value in its own type ('' and NULL are NULL).
Value literalValue(const Literal& l, bool bound, const NlsSettings& nls, const Today& today);

// The value converted to a type of `family`, as Oracle's implicit conversions do.
Value convertValue(
    const Value& v, const ColumnType& target, const NlsSettings& nls, const Today& today);

// Canonical decimal texts ("-12.5") compared by value.
int compareNumberText(std::string_view a, std::string_view b);
// A value's number as a Value of type NUMBER (text converted; ORA-01722).
Value asNumber(const Value& v, const NlsSettings& nls, const Today& today);

// Counts UTF-8 characters.
std::size_t utf8Length(std::string_view s);

// A function call of the expression engine: its type from its bound
// arguments, and its value (null cells propagate as Oracle's functions do).
ColumnType functionType(const Expr& e);
Value callFunction(const Expr& e, const EvalContext& ctx);

} // namespace orastandin

#pragma once

#include "odbc/value.h"

#include <QByteArrayView>

namespace tw::odbc {

// A date or timestamp as MySQL writes it: "YYYY-MM-DD" gives an SqlDate,
// "YYYY-MM-DD hh:mm:ss" with up to nine fraction digits an SqlTimestamp.
// Zero parts stay zero ("0000-00-00", "2024-00-15"), which MySQL allows and
// no calendar type holds. Any other text comes back as text, so that nothing
// unexpected is lost on the way.
Value dateFromText(QByteArrayView text);

} // namespace tw::odbc

#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QVariant>

namespace tw::odbc {

// SQL date and time values kept field by field, so that no calendar or time
// zone logic of Qt touches them and fractions of a second survive exactly.
struct SqlDate {
    int year = 0;
    int month = 0;
    int day = 0;
    friend bool operator==(const SqlDate&, const SqlDate&) = default;
};

// A time of day or, as MySQL allows, a signed duration ("-838:59:59").
struct SqlTime {
    bool negative = false;
    int hour = 0;
    int minute = 0;
    int second = 0;
    quint32 fraction = 0; // nanoseconds
    friend bool operator==(const SqlTime&, const SqlTime&) = default;
};

struct SqlTimestamp {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    quint32 fraction = 0; // nanoseconds, as ODBC delivers them
    friend bool operator==(const SqlTimestamp&, const SqlTimestamp&) = default;
};

// A column value. SQL NULL is the invalid QVariant (see isNull); everything
// else holds one of: bool, qint64, quint64, float, double, QString (text, and
// DECIMAL/NUMERIC as their exact digits), QByteArray (binary), SqlDate,
// SqlTime, SqlTimestamp.
using Value = QVariant;

inline Value Null()
{
    return Value();
}
inline bool isNull(const Value& v)
{
    return !v.isValid();
}

} // namespace tw::odbc

Q_DECLARE_METATYPE(tw::odbc::SqlDate)
Q_DECLARE_METATYPE(tw::odbc::SqlTime)
Q_DECLARE_METATYPE(tw::odbc::SqlTimestamp)

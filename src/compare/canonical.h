#pragma once

#include "copy/loop/carried_value.h"
#include "odbc/value.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QJsonValue>

namespace tw::compare {

// One value of either side brought to what its target column keeps (see
// copy::Kept), as bytes that are equal exactly when the values are:
//
//   Number     the exact decimal value, written plainly ("-12.5", "0.001",
//              "16777216"; a double or float by the shortest digits that read
//              back to it); an integer of MySQL's BIT bytes; "NaN", "Inf"
//   Float32,   the bits of the value in that IEEE precision (text read as
//   Float64    its double first, as the servers read it), one NaN, no -0
//   Timestamp  the date's and the time's fields (a date at its midnight);
//              shown as sql::valueText writes the timestamp
//   Duration   the sign, the hours (counting the days), minutes, seconds and
//              nanoseconds; shown as sql::valueText writes the time
//   Text       the code points as UTF-8
//   Binary     the bytes
//
// A value of another kind than its column keeps (text that is no number,
// bytes in a text column) keeps its own kind, so that it equals no value of
// the column's. Each value is a field: a tag, then its length and bytes.
enum class Tag : char { Null, Number, Timestamp, Duration, Text, Binary, Float32, Float64 };

struct Field {
    Tag tag = Tag::Null;
    QByteArrayView bytes;
    friend bool operator==(const Field& a, const Field& b)
    {
        return a.tag == b.tag && a.bytes == b.bytes;
    }
};

void appendField(QByteArray& out, copy::Kept kept, const odbc::Value& value);
void appendTextField(QByteArray& out, const QString& text);

// The field at `at`, which is moved past it.
Field readField(const char*& at);

// A field as a report shows it: null for NULL, binary data as hex.
QJsonValue shownField(const Field& field);

// A source value as it is, before a rule of the mapping changed it, so that
// a value the rule left alone is no change: into an IEEE column as its bits
// when it is exactly such a number, else as its exact decimal value.
void appendUnchangedField(QByteArray& out, copy::Kept kept, const odbc::Value& value);

} // namespace tw::compare

#pragma once

#include "column_type.h"
#include "datetime.h"

#include <string>

namespace orastandin {

// One stored value, in the form its column type keeps it.
struct Cell {
    enum class Kind {
        Null,
        Text, // UTF-8 text (character types)
        Number, // exact decimal as canonical text, "-12.5" (NUMBER, FLOAT)
        Real, // BINARY_FLOAT, BINARY_DOUBLE
        Binary, // raw bytes (BLOB, RAW, LONG RAW)
        DateTime, // DATE, TIMESTAMP
    };
    Kind kind = Kind::Null;
    std::string text; // Text, Number, Binary
    double real = 0;
    DateTime dateTime;

    bool isNull() const { return kind == Kind::Null; }
    static Cell text_(std::string t) { return Cell { Kind::Text, std::move(t), 0, {} }; }
    static Cell number(std::string t) { return Cell { Kind::Number, std::move(t), 0, {} }; }
    static Cell binary(std::string b) { return Cell { Kind::Binary, std::move(b), 0, {} }; }
    static Cell realValue(double v) { return Cell { Kind::Real, {}, v, {} }; }
    static Cell dateTimeValue(const DateTime& d) { return Cell { Kind::DateTime, {}, 0, d }; }
};

// Text for people and for the admin command: numbers as stored, dates in
// ODBC's canonical form, binary data as upper-case hex, NULL as "".
std::string displayText(const Cell& cell, const ColumnType& type);

// Upper-case hex, two digits per byte, as Oracle shows RAW data.
std::string toHex(const std::string& bytes);
// Shortest text that reads back as the same double ("1.5", "inf", "nan").
std::string realToText(double v, bool singlePrecision);

} // namespace orastandin

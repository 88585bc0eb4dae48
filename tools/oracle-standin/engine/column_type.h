#pragma once

#include <string>

namespace orastandin {

// The column types a table may be created with. The numbers are stored in
// the catalog of each SID file, so they must never be renumbered.
enum class TypeKind : int {
    Varchar2 = 1,
    NVarchar2 = 2,
    Char = 3,
    Number = 4,
    Float = 5,
    BinaryFloat = 6,
    BinaryDouble = 7,
    Date = 8,
    Timestamp = 9,
    Clob = 10,
    NClob = 11,
    Blob = 12,
    Raw = 13,
    Long = 14,
    LongRaw = 15,
    NChar = 16,
    IntervalDayToSecond = 17,
};

struct ColumnType {
    TypeKind kind = TypeKind::Varchar2;
    int length = 0; // VARCHAR2, NVARCHAR2, CHAR, NCHAR, RAW: maximum length
    bool charSemantics = false; // VARCHAR2(n CHAR): n counts characters
    int precision = 0; // NUMBER: 0 when none was given; FLOAT: binary; INTERVAL: day digits
    int scale = 0; // NUMBER; TIMESTAMP, INTERVAL: fractional second digits
    bool scaleGiven = false; // NUMBER(p,s) or NUMBER(p) (scale 0) as opposed to NUMBER
    // NUMBER(*,s), INT, INTEGER, SMALLINT: 38 digits kept, and no declared
    // precision in the data dictionary.
    bool starPrecision = false;

    bool isText() const;
    bool isBinary() const;
    bool isNumeric() const; // NUMBER and FLOAT, kept as exact decimals
    bool isDateTime() const;
    bool isInterval() const { return kind == TypeKind::IntervalDayToSecond; }
    bool isLong() const { return kind == TypeKind::Long || kind == TypeKind::LongRaw; }
    // The type as Oracle names it in its data dictionary (USER_TAB_COLUMNS.DATA_TYPE).
    std::string oracleName() const;
    // The most bytes one value takes (USER_TAB_COLUMNS.DATA_LENGTH in an
    // AL32UTF8 database): what an index key is measured in.
    int maximumBytes() const;
};

} // namespace orastandin

#include "copy/exact/exact_types.h"

#include "sql/mysql_dialect.h"
#include "sql/oracle_dialect.h"

#include <QHash>
#include <QRegularExpression>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <sqlext.h>
#include <sqlucode.h>

// The types of an exact copy: each target column gets the narrowest type
// that holds every value of the source column's declared type. Where the
// target has no such type, the column becomes text that keeps the value's
// exact digits, and the reason says so. docs/type-mapping.md has both
// directions as tables.

namespace tw::copy {

namespace {

using catalog::CatalogColumn;

// Oracle's limits: 4,000 bytes in a VARCHAR2, 2,000 in a CHAR and a RAW,
// 38 digits in a NUMBER.
constexpr int oracleVarcharBytes = sql::OracleDialect::varcharBytes;
constexpr int oracleCharBytes = sql::OracleDialect::charBytes;
constexpr int oracleRawBytes = sql::OracleDialect::rawBytes;
constexpr int oracleDigits = sql::OracleDialect::numberDigits;
// MySQL's: 65 digits and 30 after the point in a DECIMAL, 6 fractional
// digits in a DATETIME or TIME, 255 characters in a CHAR.
constexpr int mysqlDigits = sql::MySQLDialect::decimalDigits;
constexpr int mysqlScale = sql::MySQLDialect::decimalScale;
constexpr int mysqlFraction = sql::MySQLDialect::fractionDigits;
constexpr int mysqlCharLength = sql::MySQLDialect::charLength;
// The bytes MySQL counts for a TEXT or BLOB column against the row limit:
// its length and pointer, never its value.
constexpr int mysqlLongBytes = 12;

// The longest plain decimal text of an Oracle number: a sign, "0.", the 129
// zeros before a value of 1E-130, and 40 significant digits.
constexpr int oracleNumberTextLength = 172;

const QString utf8Text = QStringLiteral(" CHARACTER SET utf8mb4 COLLATE utf8mb4_bin");
const QString asciiText = QStringLiteral(" CHARACTER SET ascii COLLATE ascii_bin");

// The first word of a declaration, without its length: "decimal(65,30)
// unsigned" gives "decimal", "TIMESTAMP(9)" gives "TIMESTAMP".
QString leadingWord(const QString& declaration)
{
    static const QRegularExpression word(QStringLiteral("^\\s*([A-Za-z_0-9]+)"));
    return word.match(declaration).captured(1);
}

// The most bytes one character of a MySQL character set takes in UTF-8,
// Oracle's AL32UTF8: only the Unicode sets reach beyond the BMP.
int utf8BytesPerChar(const QString& charset)
{
    const QString cs = charset.toLower();
    if (cs == QLatin1String("ascii"))
        return 1;
    if (cs.startsWith(QLatin1String("utf8mb4")) || cs.startsWith(QLatin1String("utf16"))
        || cs.startsWith(QLatin1String("utf32")) || cs.startsWith(QLatin1String("gb18030"))
        || cs.isEmpty())
        return 4;
    return 3;
}

// 2^bits - 1, the largest value of a BIT(bits), and its digits.
quint64 largestOfBits(int bits)
{
    return bits >= 64 ? ~quint64(0) : (quint64(1) << std::max(bits, 1)) - 1;
}
int digitsOfBits(int bits)
{
    return int(QString::number(largestOfBits(bits)).size());
}

// ---- Oracle targets ----------------------------------------------------

void oracleNumber(ExactColumn& out, int precision, int scale, ValueForm form, const QString& why)
{
    out.type = scale == 0 ? QStringLiteral("NUMBER(%1)").arg(precision)
                          : QStringLiteral("NUMBER(%1,%2)").arg(precision).arg(scale);
    out.form = form;
    out.parameter = { SQL_DECIMAL, precision, scale };
    out.reason = why;
}

void oracleClob(ExactColumn& out, const QString& why)
{
    out.type = QStringLiteral("CLOB");
    out.form = ValueForm::Text;
    out.isLong = true;
    out.parameter = { SQL_WLONGVARCHAR, 0, 0 };
    out.reason = why;
}

// CHAR(n CHAR) or VARCHAR2(n CHAR) when n characters of the source's
// character set always fit the type's bytes, else CLOB.
void oracleText(ExactColumn& out, qint64 chars, const QString& charset, bool fixed, QString why)
{
    const qint64 bytes = std::max<qint64>(chars, 1) * utf8BytesPerChar(charset);
    const bool fitsChar = fixed && bytes <= oracleCharBytes;
    if (!fitsChar && bytes > oracleVarcharBytes) {
        oracleClob(out,
            why
                + QStringLiteral("; %1 characters may take %2 bytes, more than a VARCHAR2's 4,000")
                      .arg(chars)
                      .arg(bytes));
        return;
    }
    chars = std::max<qint64>(chars, 1);
    out.type = QStringLiteral("%1(%2 CHAR)")
                   .arg(fitsChar ? QLatin1String("CHAR") : QLatin1String("VARCHAR2"))
                   .arg(chars);
    out.form = ValueForm::Text;
    out.length = chars;
    out.parameter = { fitsChar ? SQLSMALLINT(SQL_WCHAR) : SQLSMALLINT(SQL_WVARCHAR), chars, 0 };
    out.reason = why;
}

void oracleBinary(ExactColumn& out, qint64 bytes, const QString& why)
{
    if (bytes > oracleRawBytes) {
        out.type = QStringLiteral("BLOB");
        out.form = ValueForm::Binary;
        out.isLong = true;
        out.parameter = { SQL_LONGVARBINARY, 0, 0 };
        out.reason = why + QStringLiteral("; RAW ends at 2,000 bytes");
        return;
    }
    bytes = std::max<qint64>(bytes, 1);
    out.type = QStringLiteral("RAW(%1)").arg(bytes);
    out.form = ValueForm::Binary;
    out.length = bytes;
    out.parameter = { SQL_VARBINARY, bytes, 0 };
    out.reason = why;
}

void oracleTimestamp(ExactColumn& out, int fraction, const QString& what)
{
    if (fraction == 0) {
        out.type = QStringLiteral("DATE");
        out.form = ValueForm::Date;
        out.parameter = { SQL_TYPE_TIMESTAMP, 19, 0 };
        out.reason = what + QStringLiteral(" to the second: Oracle's DATE keeps date and time");
        return;
    }
    out.type = QStringLiteral("TIMESTAMP(%1)").arg(fraction);
    out.form = ValueForm::Timestamp;
    out.fractionDigits = fraction;
    out.parameter = { SQL_TYPE_TIMESTAMP, 20 + fraction, fraction };
    out.reason = what + QStringLiteral(" with %1 fractional digits").arg(fraction);
}

struct IntegerType {
    QLatin1StringView word;
    int signedDigits;
    int unsignedDigits;
    QLatin1StringView signedRange;
    QLatin1StringView unsignedRange;
};

constexpr IntegerType mysqlIntegers[] = {
    { QLatin1StringView("tinyint"), 3, 3, QLatin1StringView("-128 to 127"),
        QLatin1StringView("0 to 255") },
    { QLatin1StringView("smallint"), 5, 5, QLatin1StringView("-32,768 to 32,767"),
        QLatin1StringView("0 to 65,535") },
    { QLatin1StringView("mediumint"), 7, 8, QLatin1StringView("-8,388,608 to 8,388,607"),
        QLatin1StringView("0 to 16,777,215") },
    { QLatin1StringView("int"), 10, 10, QLatin1StringView("-2,147,483,648 to 2,147,483,647"),
        QLatin1StringView("0 to 4,294,967,295") },
    { QLatin1StringView("integer"), 10, 10, QLatin1StringView("-2,147,483,648 to 2,147,483,647"),
        QLatin1StringView("0 to 4,294,967,295") },
    { QLatin1StringView("bigint"), 19, 20, QLatin1StringView("-2^63 to 2^63-1"),
        QLatin1StringView("0 to 18,446,744,073,709,551,615") },
};

// ---- MySQL targets -----------------------------------------------------

// Bytes MySQL stores for the digits of a DECIMAL: four for each nine, and
// a part of four for the rest.
int decimalBytes(int precision, int scale)
{
    static constexpr std::array<int, 10> rest { 0, 1, 1, 2, 2, 3, 3, 4, 4, 4 };
    auto bytes = [](int digits) { return digits / 9 * 4 + rest[size_t(digits % 9)]; };
    return bytes(precision - scale) + bytes(scale);
}

int lengthBytes(qint64 bytes)
{
    return bytes > 255 ? 2 : 1;
}

void mysqlInteger(ExactColumn& out, int digits, const QString& why)
{
    struct Fit {
        int digits;
        QLatin1StringView type;
        SQLSMALLINT sqlType;
        int bytes;
    };
    static constexpr Fit fits[] = {
        { 2, QLatin1StringView("TINYINT"), SQL_TINYINT, 1 },
        { 4, QLatin1StringView("SMALLINT"), SQL_SMALLINT, 2 },
        { 6, QLatin1StringView("MEDIUMINT"), SQL_INTEGER, 3 },
        { 9, QLatin1StringView("INT"), SQL_INTEGER, 4 },
        { 18, QLatin1StringView("BIGINT"), SQL_BIGINT, 8 },
    };
    for (const Fit& f : fits) {
        if (digits <= f.digits) {
            out.type = f.type;
            out.form = ValueForm::Integer;
            out.parameter = { f.sqlType, f.digits, 0 };
            out.rowBytes = f.bytes;
            out.reason
                = why + QStringLiteral(": every %1-digit number fits %2").arg(digits).arg(f.type);
            return;
        }
    }
    out.type = QStringLiteral("DECIMAL(%1,0)").arg(digits);
    out.form = ValueForm::Decimal;
    out.parameter = { SQL_DECIMAL, digits, 0 };
    out.rowBytes = decimalBytes(digits, 0);
    out.reason = why + QStringLiteral(": more digits than BIGINT holds");
}

void mysqlDecimal(ExactColumn& out, int precision, int scale, const QString& why)
{
    out.type = QStringLiteral("DECIMAL(%1,%2)").arg(precision).arg(scale);
    out.form = ValueForm::Decimal;
    out.parameter = { SQL_DECIMAL, precision, scale };
    out.rowBytes = decimalBytes(precision, scale);
    out.reason = why;
}

// Text in a one-byte character set that no number or time type of MySQL
// could hold: a number's digits, a timestamp's, an interval's.
void mysqlAsciiText(ExactColumn& out, int length, ValueForm form, const QString& why)
{
    out.type = QStringLiteral("VARCHAR(%1)").arg(length) + asciiText;
    out.form = form;
    out.length = length;
    out.parameter = { SQL_VARCHAR, length, 0 };
    out.rowBytes = length + lengthBytes(length);
    out.reason = why;
}

void mysqlLongText(ExactColumn& out, const QString& why)
{
    out.type = QStringLiteral("LONGTEXT") + utf8Text;
    out.form = ValueForm::Text;
    out.isLong = true;
    out.parameter = { SQL_WLONGVARCHAR, 0, 0 };
    out.rowBytes = mysqlLongBytes;
    out.reason = why;
}

void mysqlText(ExactColumn& out, qint64 chars, bool fixed, const QString& why)
{
    chars = std::max<qint64>(chars, 1);
    fixed = fixed && chars <= mysqlCharLength;
    out.type = QStringLiteral("%1(%2)")
                   .arg(fixed ? QLatin1String("CHAR") : QLatin1String("VARCHAR"))
                   .arg(chars)
        + utf8Text;
    out.form = ValueForm::Text;
    out.length = chars;
    out.parameter = { fixed ? SQLSMALLINT(SQL_WCHAR) : SQLSMALLINT(SQL_WVARCHAR), chars, 0 };
    out.rowBytes = int(chars * 4 + (fixed ? 0 : lengthBytes(chars * 4)));
    out.reason = why;
}

void mysqlBinary(ExactColumn& out, qint64 bytes, const QString& why)
{
    bytes = std::max<qint64>(bytes, 1);
    out.type = QStringLiteral("VARBINARY(%1)").arg(bytes);
    out.form = ValueForm::Binary;
    out.length = bytes;
    out.parameter = { SQL_VARBINARY, bytes, 0 };
    out.rowBytes = int(bytes + lengthBytes(bytes));
    out.reason = why;
}

void mysqlLongBinary(ExactColumn& out, const QString& why)
{
    out.type = QStringLiteral("LONGBLOB");
    out.form = ValueForm::Binary;
    out.isLong = true;
    out.parameter = { SQL_LONGVARBINARY, 0, 0 };
    out.rowBytes = mysqlLongBytes;
    out.reason = why;
}

// The day digits of "INTERVAL DAY(p) TO SECOND(s)"; Oracle's default is 2.
int intervalDayDigits(const CatalogColumn& c)
{
    static const QRegularExpression day(QStringLiteral("DAY\\s*\\((\\d)\\)"));
    const auto m = day.match(c.typeName.toUpper());
    return m.hasMatch() ? m.captured(1).toInt() : 2;
}

// Oracle's FLOAT(b) keeps ceil(b x log10 2) significant decimal digits.
int floatDigits(qint64 bits)
{
    return int(std::ceil(double(bits) * 0.30103));
}

// MySQL's widest counterpart when a table would pass the row limit.
void widenForRowLimit(ExactColumn& c)
{
    const QString note = QStringLiteral("; as a long type, since the table passes MySQL's "
                                        "65,535-byte row limit otherwise");
    const QString why = c.reason + note;
    if (c.form == ValueForm::Binary) {
        mysqlLongBinary(c, why);
        c.type = QStringLiteral("BLOB");
        return;
    }
    mysqlLongText(c, why);
    if (c.length * 4 <= 65535)
        c.type = QStringLiteral("TEXT") + utf8Text;
    else
        c.type = QStringLiteral("MEDIUMTEXT") + utf8Text;
}

} // namespace

ExactColumn exactOracleColumn(const CatalogColumn& c)
{
    ExactColumn out;
    out.name = c.name;
    out.server = sql::Server::Oracle;
    out.notNull = !c.nullable;
    const QString word = leadingWord(c.columnType.isEmpty() ? c.typeName : c.columnType).toLower();
    const qint64 size = c.columnSize.value_or(0);
    const int digits = c.decimalDigits.value_or(0);

    for (const IntegerType& t : mysqlIntegers) {
        if (word == t.word) {
            const QString range = c.isUnsigned ? t.unsignedRange : t.signedRange;
            const int d = c.isUnsigned ? t.unsignedDigits : t.signedDigits;
            oracleNumber(out, d, 0, ValueForm::Integer,
                QStringLiteral("%1%2 holds %3: %4 digits")
                    .arg(word.toUpper(), c.isUnsigned ? QStringLiteral(" UNSIGNED") : QString(),
                        range)
                    .arg(d));
            return out;
        }
    }
    if (word == QLatin1String("decimal") || word == QLatin1String("numeric")) {
        const int precision = int(size);
        if (precision <= oracleDigits) {
            oracleNumber(out, precision, digits, ValueForm::Decimal,
                QStringLiteral("the same digits and scale"));
        } else {
            // Oracle keeps 38 significant digits; a NUMBER without precision
            // would round the rest away without a word.
            const int length = 1 + std::max(precision - digits, 1) + (digits > 0 ? 1 + digits : 0);
            oracleText(out, length, QStringLiteral("ascii"), false,
                QStringLiteral("more than Oracle's 38 digits: the exact decimal text"));
            out.form = ValueForm::NumberText;
            out.parameter = { SQL_VARCHAR, length, 0 };
        }
        return out;
    }
    if (word == QLatin1String("float")) {
        out.type = QStringLiteral("BINARY_FLOAT");
        out.form = ValueForm::Float32;
        out.parameter = { SQL_REAL, 7, 0 };
        out.reason = QStringLiteral("the same IEEE single precision");
        return out;
    }
    if (word == QLatin1String("double") || word == QLatin1String("real")) {
        out.type = QStringLiteral("BINARY_DOUBLE");
        out.form = ValueForm::Float64;
        out.parameter = { SQL_DOUBLE, 15, 0 };
        out.reason = QStringLiteral("the same IEEE double precision");
        return out;
    }
    if (word == QLatin1String("bit")) {
        const int bits = int(std::clamp<qint64>(size, 1, 64));
        oracleNumber(out, digitsOfBits(bits), 0, ValueForm::Integer,
            QStringLiteral("no bit strings in Oracle: the bits as an unsigned number, up to %1")
                .arg(largestOfBits(bits)));
        return out;
    }
    if (word == QLatin1String("year")) {
        oracleNumber(out, 4, 0, ValueForm::Integer, QStringLiteral("no YEAR in Oracle: the year"));
        return out;
    }
    if (word == QLatin1String("date")) {
        out.type = QStringLiteral("DATE");
        out.form = ValueForm::Date;
        out.parameter = { SQL_TYPE_TIMESTAMP, 19, 0 };
        out.reason = QStringLiteral("Oracle's DATE holds every date, its time at midnight");
        return out;
    }
    if (word == QLatin1String("datetime") || word == QLatin1String("timestamp")) {
        oracleTimestamp(out, digits, word.toUpper());
        return out;
    }
    if (word == QLatin1String("time")) {
        // 838:59:59 is 34 days and 22:59:59; a TIME of more than 24 hours
        // is a duration, not a time of day.
        out.type = QStringLiteral("INTERVAL DAY(2) TO SECOND(%1)").arg(digits);
        out.form = ValueForm::Interval;
        out.dayDigits = 2;
        out.fractionDigits = digits;
        out.parameter = { SQL_VARCHAR, 2 + 11 + digits, 0 };
        out.reason = QStringLiteral(
            "a signed duration of up to 838:59:59 (34 days): no Oracle time of day holds it");
        return out;
    }
    if (word == QLatin1String("char")) {
        oracleText(out, size, c.characterSet, true, QStringLiteral("the same characters"));
        return out;
    }
    if (word == QLatin1String("varchar") || word == QLatin1String("tinytext")) {
        oracleText(out, size, c.characterSet, false, QStringLiteral("the same characters"));
        return out;
    }
    if (word == QLatin1String("enum") || word == QLatin1String("set")) {
        oracleText(out, size, c.characterSet, false,
            QStringLiteral("no %1 in Oracle: the label text, up to %2 characters")
                .arg(word.toUpper())
                .arg(size));
        return out;
    }
    if (word.endsWith(QLatin1String("text")) || word == QLatin1String("json")) {
        oracleClob(out,
            word == QLatin1String("json")
                ? QStringLiteral("no JSON type in Oracle 19c: the document's text")
                : QStringLiteral("longer than a VARCHAR2's 4,000 bytes: Oracle's long text"));
        return out;
    }
    if (word == QLatin1String("binary") || word == QLatin1String("varbinary")
        || word == QLatin1String("tinyblob")) {
        oracleBinary(out, size, QStringLiteral("the same bytes"));
        return out;
    }
    if (word.endsWith(QLatin1String("blob"))) {
        oracleBinary(out, std::numeric_limits<qint64>::max(), QString());
        out.reason = QStringLiteral("longer than a RAW's 2,000 bytes: Oracle's long binary type");
        return out;
    }
    // Spatial values travel as the bytes MySQL keeps them in. MariaDB's
    // INET4, INET6 and UUID are listed by SQLColumns as SQL_LONGVARBINARY
    // but read as their text, which is what goes.
    static const QStringList spatial { QStringLiteral("geometry"), QStringLiteral("point"),
        QStringLiteral("linestring"), QStringLiteral("polygon"), QStringLiteral("multipoint"),
        QStringLiteral("multilinestring"), QStringLiteral("multipolygon"),
        QStringLiteral("geometrycollection") };
    if (spatial.contains(word)) {
        oracleBinary(out, std::numeric_limits<qint64>::max(), QString());
        out.reason = QStringLiteral("%1 has no Oracle counterpart: MySQL's bytes for the shape")
                         .arg(word.toUpper());
        return out;
    }
    static const QHash<QString, int> textForms { { QStringLiteral("inet4"), 15 },
        { QStringLiteral("inet6"), 39 }, { QStringLiteral("uuid"), 36 } };
    if (textForms.contains(word)) {
        oracleText(out, textForms.value(word), QStringLiteral("ascii"), false,
            QStringLiteral("%1 has no Oracle counterpart: its text").arg(word.toUpper()));
        return out;
    }
    oracleClob(out, QStringLiteral("%1 has no Oracle counterpart: its text").arg(word.toUpper()));
    return out;
}

ExactColumn exactMySQLColumn(const CatalogColumn& c)
{
    ExactColumn out;
    out.name = c.name;
    out.server = sql::Server::MySQL;
    out.notNull = !c.nullable;
    const QString word = leadingWord(c.typeName).toUpper();
    const QString upperName = c.typeName.toUpper();
    const qint64 size = c.columnSize.value_or(0);

    if (word == QLatin1String("NUMBER") || c.sqlType == SQL_DECIMAL || c.sqlType == SQL_NUMERIC) {
        if (!c.decimalDigits) {
            mysqlAsciiText(out, oracleNumberTextLength, ValueForm::NumberText,
                QStringLiteral("NUMBER without precision keeps 38 digits at any scale from 1E-130 "
                               "to 1E125: no MySQL number holds them all, its exact decimal "
                               "text does"));
            return out;
        }
        const int precision = int(size);
        const int scale = *c.decimalDigits;
        if (scale <= 0) {
            const int digits = precision - scale;
            if (digits <= mysqlDigits) {
                mysqlInteger(out, digits,
                    scale < 0 ? QStringLiteral("NUMBER(%1,%2) holds whole numbers of up to %3 "
                                               "digits")
                                    .arg(precision)
                                    .arg(scale)
                                    .arg(digits)
                              : QStringLiteral("NUMBER(%1)").arg(precision));
            } else {
                mysqlAsciiText(out, digits + 1, ValueForm::NumberText,
                    QStringLiteral("more than DECIMAL's 65 digits: the exact decimal text"));
            }
            return out;
        }
        if (scale <= mysqlScale) {
            mysqlDecimal(out, std::max(precision, scale), scale,
                QStringLiteral("the same digits and scale"));
            return out;
        }
        const int length = 1 + std::max(precision - scale, 1) + 1 + scale;
        mysqlAsciiText(out, length, ValueForm::NumberText,
            QStringLiteral("a scale of %1 passes DECIMAL's 30: the exact decimal text").arg(scale));
        return out;
    }
    if (word == QLatin1String("FLOAT") && c.radix == 2) {
        const int digits = floatDigits(size);
        if (digits <= 15) {
            out.type = QStringLiteral("DOUBLE");
            out.form = ValueForm::Float64;
            out.parameter = { SQL_DOUBLE, 15, 0 };
            out.rowBytes = 8;
            out.reason = QStringLiteral(
                "FLOAT(%1) keeps %2 digits: a DOUBLE gives back every number of 15 digits")
                             .arg(size)
                             .arg(digits);
            return out;
        }
        mysqlAsciiText(out, oracleNumberTextLength, ValueForm::NumberText,
            QStringLiteral("FLOAT(%1) keeps %2 digits, more than a DOUBLE gives back: the exact "
                           "decimal text")
                .arg(size)
                .arg(digits));
        out.sourceAsText = true;
        return out;
    }
    if (word == QLatin1String("BINARY_FLOAT")) {
        out.type = QStringLiteral("FLOAT");
        out.form = ValueForm::Float32;
        out.parameter = { SQL_REAL, 7, 0 };
        out.rowBytes = 4;
        out.reason = QStringLiteral("the same IEEE single precision; MySQL has no NaN or infinity");
        return out;
    }
    if (word == QLatin1String("BINARY_DOUBLE") || c.sqlType == SQL_DOUBLE || c.sqlType == SQL_FLOAT
        || c.sqlType == SQL_REAL) {
        out.type = QStringLiteral("DOUBLE");
        out.form = ValueForm::Float64;
        out.parameter = { SQL_DOUBLE, 15, 0 };
        out.rowBytes = 8;
        out.reason = QStringLiteral("the same IEEE double precision; MySQL has no NaN or infinity");
        return out;
    }
    if (upperName.contains(QLatin1String("TIME ZONE"))) {
        mysqlLongText(out,
            QStringLiteral("MySQL keeps no time zone with a time: the value's text with its zone"));
        out.sourceAsText = true;
        return out;
    }
    if (word == QLatin1String("DATE")) {
        out.type = QStringLiteral("DATETIME");
        out.form = ValueForm::Timestamp;
        out.parameter = { SQL_TYPE_TIMESTAMP, 19, 0 };
        out.rowBytes = 5;
        out.reason = QStringLiteral("date and time to the second");
        return out;
    }
    if (word == QLatin1String("TIMESTAMP") || c.sqlType == SQL_TYPE_TIMESTAMP) {
        const int fraction = c.decimalDigits.value_or(6);
        if (fraction <= mysqlFraction) {
            out.type = fraction == 0 ? QStringLiteral("DATETIME")
                                     : QStringLiteral("DATETIME(%1)").arg(fraction);
            out.form = ValueForm::Timestamp;
            out.fractionDigits = fraction;
            out.parameter = { SQL_TYPE_TIMESTAMP, fraction == 0 ? 19 : 20 + fraction, fraction };
            out.rowBytes = 5 + (fraction + 1) / 2;
            out.reason = fraction == 0 ? QStringLiteral("to the second")
                                       : QStringLiteral("the same fractional digits");
            return out;
        }
        mysqlAsciiText(out, 20 + fraction, ValueForm::TimestampText,
            QStringLiteral("MySQL keeps 6 fractional digits, TIMESTAMP(%1) %1: the value as "
                           "fixed-width text, which sorts as the time does")
                .arg(fraction));
        out.fractionDigits = fraction;
        return out;
    }
    if (word == QLatin1String("INTERVAL")) {
        const int days = intervalDayDigits(c);
        const int fraction = c.decimalDigits.value_or(6);
        if (days <= 2 && fraction <= mysqlFraction) {
            out.type
                = fraction == 0 ? QStringLiteral("TIME") : QStringLiteral("TIME(%1)").arg(fraction);
            out.form = ValueForm::Time;
            out.fractionDigits = fraction;
            out.parameter = { SQL_VARCHAR, 10 + (fraction > 0 ? 1 + fraction : 0), 0 };
            out.rowBytes = 3 + (fraction + 1) / 2;
            out.reason = days <= 1
                ? QStringLiteral("up to 9 days 23:59:59 fits TIME's 838:59:59")
                : QStringLiteral("TIME holds 838:59:59 (34 days 22:59:59), DAY(2) 99 days: "
                                 "longer values are refused, never changed; a MySQL TIME "
                                 "comes back as TIME");
            return out;
        }
        const int length = int(size > 0 ? size : days + 11 + fraction);
        mysqlAsciiText(out, length, ValueForm::Text,
            QStringLiteral("more days or fractional digits than TIME holds: the interval's text"));
        return out;
    }
    if (word == QLatin1String("CHAR") || word == QLatin1String("NCHAR")) {
        mysqlText(out, size, true,
            size <= mysqlCharLength ? QStringLiteral("the same characters")
                                    : QStringLiteral("the same characters; CHAR ends at 255"));
        return out;
    }
    if (word == QLatin1String("VARCHAR2") || word == QLatin1String("VARCHAR")
        || word == QLatin1String("NVARCHAR2")) {
        mysqlText(out, size, false, QStringLiteral("the same characters"));
        return out;
    }
    if (word == QLatin1String("CLOB") || word == QLatin1String("NCLOB")
        || c.sqlType == SQL_LONGVARCHAR || c.sqlType == SQL_WLONGVARCHAR) {
        mysqlLongText(out, QStringLiteral("MySQL's longest text, 4 GB"));
        return out;
    }
    if (word == QLatin1String("RAW") && c.sqlType == SQL_VARBINARY) {
        mysqlBinary(out, size, QStringLiteral("the same bytes"));
        return out;
    }
    if (word == QLatin1String("BLOB") || c.sqlType == SQL_LONGVARBINARY
        || c.sqlType == SQL_VARBINARY || c.sqlType == SQL_BINARY) {
        mysqlLongBinary(out, QStringLiteral("MySQL's longest binary type, 4 GB"));
        return out;
    }
    mysqlLongText(out, QStringLiteral("%1 has no MySQL counterpart: its text").arg(word));
    out.sourceAsText = true;
    return out;
}

ExactTable exactTable(
    sql::Server target, const catalog::TableCatalog& source, const ExactOptions& options)
{
    ExactTable table;
    table.target = target;
    table.primaryKey = source.primaryKey;
    for (const CatalogColumn& c : source.columns) {
        table.columns.append(
            target == sql::Server::Oracle ? exactOracleColumn(c) : exactMySQLColumn(c));
        ExactColumn& e = table.columns.last();
        e.emptyAsNull = target == sql::Server::Oracle
            && options.emptyText == ExactOptions::EmptyText::Null
            && (e.form == ValueForm::Text || e.form == ValueForm::Binary);
    }
    if (target == sql::Server::Oracle)
        return table;

    // MySQL counts every column's widest value, and a byte for each eight
    // nullable columns, against the row limit; TEXT and BLOB count only
    // their pointer. Key columns stay as they are: a TEXT key needs a prefix.
    auto total = [&] {
        qint64 bytes = 0;
        int nullable = 0;
        for (const ExactColumn& c : std::as_const(table.columns)) {
            bytes += c.rowBytes;
            nullable += c.notNull ? 0 : 1;
        }
        return bytes + (nullable + 7) / 8;
    };
    while (total() > sql::MySQLDialect::rowBytes) {
        ExactColumn* widest = nullptr;
        for (ExactColumn& c : table.columns) {
            const bool movable = !c.isLong && !table.primaryKey.contains(c.name)
                && (c.form == ValueForm::Text || c.form == ValueForm::Binary);
            if (movable && (!widest || c.rowBytes > widest->rowBytes))
                widest = &c;
        }
        if (!widest)
            break; // MySQL refuses the CREATE TABLE with its own message
        widenForRowLimit(*widest);
    }
    return table;
}

QList<int> sourceTextColumns(const ExactTable& table)
{
    QList<int> columns;
    for (qsizetype i = 0; i < table.columns.size(); ++i) {
        if (table.columns[i].sourceAsText)
            columns.append(int(i));
    }
    return columns;
}

} // namespace tw::copy

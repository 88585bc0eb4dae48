#include "odbc/column_plan.h"

#include "odbc/date_text.h"
#include "odbc/error.h"
#include "odbc/handles.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <charconv>
#include <cstring>
#include <sqlucode.h>

namespace tw::odbc {

namespace {

// Decimal digits as text: Oracle's NUMBER writes up to 40 significant
// digits and 130 zeros after the point, MySQL's DECIMAL 65 digits.
constexpr SQLLEN decimalWidth = 256;
constexpr SQLLEN dateTextWidth = 40;
constexpr SQLLEN integerWidth = 32;
constexpr SQLLEN firstPiece = 8192;

bool isNumberType(SQLSMALLINT sqlType)
{
    switch (sqlType) {
    case SQL_DECIMAL:
    case SQL_NUMERIC:
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_REAL:
        return true;
    default:
        return false;
    }
}

bool isCharacterType(SQLSMALLINT sqlType)
{
    switch (sqlType) {
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_LONGVARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
    case SQL_WLONGVARCHAR:
        return true;
    default:
        return false;
    }
}

ColumnPlan fixed(ColumnPlan::Kind kind, SQLSMALLINT cType, SQLLEN width, SQLLEN terminator = 0)
{
    ColumnPlan plan;
    plan.kind = kind;
    plan.cType = cType;
    plan.width = width;
    plan.terminator = terminator;
    return plan;
}

// Text of any length: bound when its longest value fits `longValue` bytes.
ColumnPlan text(const ResultColumn& column, const DriverTraits& driver, qsizetype longValue)
{
    ColumnPlan plan;
    // Four bytes of UTF-8, or two UTF-16 units, a character at most.
    SQLLEN characters = std::max<SQLLEN>(SQLLEN(column.size), column.octetLength);
    // A number read as text does not come in pieces: a buffer too short for
    // its digits is an error (22003), not a truncation.
    if (isNumberType(column.sqlType))
        characters = std::max(characters, decimalWidth);
    if (driver.mariadb) {
        plan.kind = ColumnPlan::Kind::Utf8;
        // Character columns as their raw bytes; other columns read as text
        // come converted, with the terminator that goes with SQL_C_CHAR.
        const bool raw = isCharacterType(column.sqlType) || column.sqlType == SQL_UNKNOWN_TYPE;
        plan.cType = raw ? SQLSMALLINT(SQL_C_BINARY) : SQLSMALLINT(SQL_C_CHAR);
        plan.terminator = raw ? 0 : 1;
        plan.width = std::max<SQLLEN>({ column.octetLength, 4 * SQLLEN(column.size), characters });
    } else {
        plan.kind = ColumnPlan::Kind::Utf16;
        plan.cType = SQL_C_WCHAR;
        plan.terminator = 2;
        plan.width = 4 * characters;
    }
    plan.width = std::max<SQLLEN>(plan.width, 64) + plan.terminator;
    if (column.size == 0 || plan.width > longValue)
        plan.width = 0;
    return plan;
}

Value duration(const char* data, SQLLEN size)
{
    static const QRegularExpression form(
        QStringLiteral("^\\s*(-)?(\\d+):(\\d\\d):(\\d\\d)(?:\\.(\\d{1,9}))?\\s*$"));
    const QString text = QString::fromLatin1(data, size);
    const auto m = form.match(text);
    if (!m.hasMatch())
        return text;
    SqlTime t;
    t.negative = m.capturedLength(1) > 0;
    t.hour = m.captured(2).toInt();
    t.minute = m.captured(3).toInt();
    t.second = m.captured(4).toInt();
    if (m.capturedLength(5) > 0)
        t.fraction = m.captured(5).leftJustified(9, QLatin1Char('0')).toUInt();
    return QVariant::fromValue(t);
}

Value integerDigits(const ColumnPlan& plan, const char* data, SQLLEN size)
{
    const char* end = data + size;
    if (plan.isUnsigned) {
        quint64 v = 0;
        const auto [at, ec] = std::from_chars(data, end, v);
        if (ec == std::errc() && at == end)
            return v;
    } else {
        qint64 v = 0;
        const auto [at, ec] = std::from_chars(data, end, v);
        if (ec == std::errc() && at == end)
            return v;
    }
    // Beyond 64 bits, or not plain digits: the exact text, as a DECIMAL's.
    return QString::fromLatin1(data, size);
}

template <typename T> T bytesOf(const char* data)
{
    T v;
    std::memcpy(&v, data, sizeof v);
    return v;
}

// Long data arrives in pieces: each call fills the buffer and, while more
// remains, answers SQL_SUCCESS_WITH_INFO. When the driver tells the total
// (anything but SQL_NO_TOTAL), the buffer grows to take the rest at once.
// The whole value goes to `take(data, size)` in one piece; false for NULL.
template <typename Take>
bool readPieces(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT cType, SQLLEN terminator, Take take)
{
    // One buffer for every read of the thread: a copy reads each column of
    // each row, and a fresh buffer per read would dominate the cost.
    thread_local std::vector<char> buffer(static_cast<size_t>(firstPiece));
    QByteArray out; // only for a value longer than the buffer
    for (;;) {
        SQLLEN indicator = 0;
        SQLRETURN rc
            = SQLGetData(stmt, column, cType, buffer.data(), SQLLEN(buffer.size()), &indicator);
        if (rc == SQL_NO_DATA) {
            take(out.constData(), out.size());
            return true;
        }
        check(rc, SQL_HANDLE_STMT, stmt);
        if (indicator == SQL_NULL_DATA)
            return false;
        const SQLLEN room = SQLLEN(buffer.size()) - terminator;
        const bool truncated = indicator == SQL_NO_TOTAL || indicator > room;
        if (!truncated) {
            if (out.isEmpty()) {
                take(buffer.data(), qsizetype(indicator));
            } else {
                out.append(buffer.data(), qsizetype(indicator));
                take(out.constData(), out.size());
            }
            if (buffer.size() > size_t(1 << 20)) // after a long value, let go
                std::vector<char>(static_cast<size_t>(firstPiece)).swap(buffer);
            return true;
        }
        // Wide text never ends a piece in the middle of a code unit.
        SQLLEN got = room - (cType == SQL_C_WCHAR ? room % SQLLEN(sizeof(SQLWCHAR)) : 0);
        out.append(buffer.data(), qsizetype(got));
        if (indicator != SQL_NO_TOTAL && out.capacity() < qsizetype(indicator)) {
            out.reserve(qsizetype(indicator));
            buffer.resize(size_t(indicator - got + terminator));
        }
    }
}

} // namespace

QList<ResultColumn> describeResult(SQLHSTMT stmt)
{
    SQLSMALLINT count = 0;
    check(SQLNumResultCols(stmt, &count), SQL_HANDLE_STMT, stmt);
    QList<ResultColumn> columns;
    for (SQLUSMALLINT c = 1; c <= SQLUSMALLINT(count); ++c) {
        SQLWCHAR name[512] = {};
        SQLSMALLINT nameLength = 0;
        ResultColumn column;
        SQLSMALLINT nullable = 0;
        check(SQLDescribeColW(stmt, c, name, SQLSMALLINT(std::size(name)), &nameLength,
                  &column.sqlType, &column.size, &column.digits, &nullable),
            SQL_HANDLE_STMT, stmt);
        SQLLEN isUnsigned = SQL_FALSE;
        check(SQLColAttributeW(stmt, c, SQL_DESC_UNSIGNED, nullptr, 0, nullptr, &isUnsigned),
            SQL_HANDLE_STMT, stmt);
        column.isUnsigned = isUnsigned == SQL_TRUE;
        if (column.sqlType == SQL_FLOAT || column.sqlType == SQL_DOUBLE) {
            // MariaDB's driver does not know the question (HYC00) and gives a
            // binary double; only a driver that says "decimal" holds digits.
            SQLLEN radix = 0;
            column.decimalPrecision = SQL_SUCCEEDED(SQLColAttributeW(stmt, c,
                                          SQL_DESC_NUM_PREC_RADIX, nullptr, 0, nullptr, &radix))
                && radix == 10;
        }
        // Not every driver tells it; the column size then stands in.
        if (!SQL_SUCCEEDED(SQLColAttributeW(
                stmt, c, SQL_DESC_OCTET_LENGTH, nullptr, 0, nullptr, &column.octetLength)))
            column.octetLength = 0;
        column.name
            = fromSqlWChar(name, qMin<qsizetype>(nameLength, qsizetype(std::size(name)) - 1));
        columns.append(column);
    }
    return columns;
}

ColumnPlan planColumn(
    const ResultColumn& column, bool asText, const DriverTraits& driver, qsizetype longValue)
{
    using Kind = ColumnPlan::Kind;
    ColumnPlan plan;
    if (asText) {
        plan = text(column, driver, longValue);
    } else {
        switch (column.sqlType) {
        case SQL_BINARY:
        case SQL_VARBINARY:
        case SQL_LONGVARBINARY: {
            const SQLLEN octets = std::max<SQLLEN>(column.octetLength, SQLLEN(column.size));
            plan = fixed(Kind::Binary, SQL_C_BINARY, std::max<SQLLEN>(octets, 1));
            if (octets <= 0 || octets > longValue)
                plan.width = 0;
            break;
        }
        case SQL_TINYINT:
        case SQL_SMALLINT:
        case SQL_INTEGER:
        case SQL_BIGINT:
            if (!driver.bigintCTypes)
                plan = fixed(Kind::IntegerDigits, SQL_C_CHAR, integerWidth, 1);
            else if (column.isUnsigned)
                plan = fixed(Kind::Unsigned, SQL_C_UBIGINT, sizeof(SQLUBIGINT));
            else
                plan = fixed(Kind::Signed, SQL_C_SBIGINT, sizeof(SQLBIGINT));
            plan.isUnsigned = column.isUnsigned;
            break;
        case SQL_REAL:
            // Read as the double it is exactly: MariaDB Connector/ODBC 3.1.15
            // lays SQL_C_FLOAT out in a block eight bytes apart, not four.
            plan = fixed(Kind::Real, SQL_C_DOUBLE, sizeof(SQLDOUBLE));
            break;
        case SQL_FLOAT:
        case SQL_DOUBLE:
            // A binary double is exact as itself; its text from the driver
            // need not be (MariaDB's gives "0.3" for 0.1 + 0.2). Digits the
            // driver holds are exact only as text.
            plan = column.decimalPrecision ? fixed(Kind::Decimal, SQL_C_CHAR, decimalWidth, 1)
                                           : fixed(Kind::Double, SQL_C_DOUBLE, sizeof(SQLDOUBLE));
            break;
        case SQL_DECIMAL:
        case SQL_NUMERIC:
            plan = fixed(Kind::Decimal, SQL_C_CHAR, decimalWidth, 1);
            break;
        case SQL_TYPE_DATE:
        case SQL_DATE:
        case SQL_TYPE_TIMESTAMP:
        case SQL_TIMESTAMP:
            if (driver.mariadb) {
                // MySQL's zero dates and dates with zero parts have no
                // structure but NULL in MariaDB's driver: read as the text.
                plan = fixed(Kind::DateText, SQL_C_CHAR, dateTextWidth, 1);
            } else {
                // Oracle's DATE holds a time of day, and a driver may still
                // describe it as a date; read as a timestamp, a value without
                // a time of day is a date again.
                const bool date = column.sqlType == SQL_TYPE_DATE || column.sqlType == SQL_DATE;
                plan = fixed(date ? Kind::Date : Kind::Timestamp, SQL_C_TYPE_TIMESTAMP,
                    sizeof(SQL_TIMESTAMP_STRUCT));
            }
            break;
        case SQL_TYPE_TIME:
        case SQL_TIME:
            // SQL_TIME_STRUCT holds a time of day only; MySQL's TIME is a
            // duration of up to 838 hours with fractions.
            plan = fixed(Kind::Duration, SQL_C_CHAR, dateTextWidth, 1);
            break;
        case SQL_BIT:
            // MariaDB hands BIT(1) out as one raw byte.
            plan = fixed(Kind::Bit, SQL_C_BINARY,
                std::max<SQLLEN>({ column.octetLength, SQLLEN(column.size), 8 }));
            break;
        default:
            plan = text(column, driver, longValue);
            break;
        }
    }
    plan.column = column.name;
    return plan;
}

Value decodeValue(const ColumnPlan& plan, const char* data, SQLLEN size)
{
    using Kind = ColumnPlan::Kind;
    switch (plan.kind) {
    case Kind::Signed:
        return qint64(bytesOf<SQLBIGINT>(data));
    case Kind::Unsigned:
        return quint64(bytesOf<SQLUBIGINT>(data));
    case Kind::IntegerDigits:
        return integerDigits(plan, data, size);
    case Kind::Real:
        return float(bytesOf<SQLDOUBLE>(data));
    case Kind::Double:
        return double(bytesOf<SQLDOUBLE>(data));
    case Kind::Decimal:
        return QString::fromLatin1(data, size);
    case Kind::Date:
    case Kind::Timestamp: {
        const auto t = bytesOf<SQL_TIMESTAMP_STRUCT>(data);
        if (plan.kind == Kind::Date && t.hour == 0 && t.minute == 0 && t.second == 0
            && t.fraction == 0)
            return QVariant::fromValue(SqlDate { t.year, t.month, t.day });
        return QVariant::fromValue(
            SqlTimestamp { t.year, t.month, t.day, t.hour, t.minute, t.second, t.fraction });
    }
    case Kind::DateText:
        return dateFromText(QByteArrayView(data, size));
    case Kind::Duration:
        return duration(data, size);
    case Kind::Bit: {
        bool on = false;
        for (SQLLEN i = 0; i < size; ++i)
            on = on || (data[i] != 0 && data[i] != '0');
        return on;
    }
    case Kind::Utf16:
        // Not fromUtf16, which takes a leading U+FEFF for a byte order mark.
        return QString(reinterpret_cast<const QChar*>(data), size / qsizetype(sizeof(SQLWCHAR)));
    case Kind::Utf8: {
        // MariaDB's session speaks utf8mb4 with a Unicode client, whatever the
        // column's own character set; its raw bytes hold every character,
        // U+0000 and those beyond the BMP included. Bytes that are not UTF-8
        // are refused rather than turned into replacement characters.
        QStringDecoder utf8(QStringConverter::Utf8,
            QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
        QString text = utf8(QByteArrayView(data, size));
        if (utf8.hasError())
            throw DbError(
                QStringLiteral("The text of column \"%1\" is not valid UTF-8.").arg(plan.column));
        return text;
    }
    case Kind::Binary:
        return QByteArray(data, size);
    }
    return Null();
}

Value readValue(SQLHSTMT stmt, SQLUSMALLINT column, const ColumnPlan& plan)
{
    Value value;
    const bool have = readPieces(stmt, column, plan.cType, plan.terminator,
        [&](const char* data, qsizetype size) { value = decodeValue(plan, data, SQLLEN(size)); });
    return have ? value : Null();
}

} // namespace tw::odbc

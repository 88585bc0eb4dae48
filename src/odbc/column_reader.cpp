#include "odbc/column_reader.h"

#include "odbc/date_text.h"
#include "odbc/error.h"
#include "odbc/handles.h"

#include <QByteArray>
#include <QRegularExpression>
#include <QStringDecoder>
#include <cstring>
#include <sqlext.h>
#include <sqlucode.h>

namespace tw::odbc {

namespace {

constexpr SQLLEN firstChunk = 8192;

// Long data arrives in pieces: each call fills the buffer and, while more
// remains, answers SQL_SUCCESS_WITH_INFO. When the driver tells the total
// (anything but SQL_NO_TOTAL), the buffer grows to take the rest at once.
// `terminator` is the size of the null the driver writes after text. The
// whole value goes to `take(data, size)` in one piece; false for NULL.
template <typename Take>
bool readWhole(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT cType, SQLLEN terminator, Take take)
{
    // One buffer for every read of the thread: a copy reads each column of
    // each row, and a fresh buffer per read would dominate the cost.
    thread_local std::vector<char> buffer(static_cast<size_t>(firstChunk));
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
                // The usual case: the value fits and is handed on from here.
                take(buffer.data(), qsizetype(indicator));
            } else {
                out.append(buffer.data(), qsizetype(indicator));
                take(out.constData(), out.size());
            }
            if (buffer.size() > size_t(1 << 20)) // after a long value, let go
                std::vector<char>(static_cast<size_t>(firstChunk)).swap(buffer);
            return true;
        }
        // Wide text never ends a piece in the middle of a code unit.
        SQLLEN got = room - (cType == SQL_C_WCHAR ? room % SQLLEN(sizeof(SQLWCHAR)) : 0);
        out.append(buffer.data(), qsizetype(got));
        if (indicator != SQL_NO_TOTAL && out.capacity() < qsizetype(indicator)) {
            // The rest arrives in one more call.
            out.reserve(qsizetype(indicator));
            buffer.resize(size_t(indicator - got + terminator));
        }
    }
}

bool readChunks(
    SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT cType, SQLLEN terminator, QByteArray& out)
{
    return readWhole(stmt, column, cType, terminator,
        [&](const char* data, qsizetype size) { out = QByteArray(data, size); });
}

template <typename T> bool readFixed(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT cType, T& out)
{
    SQLLEN indicator = 0;
    check(SQLGetData(stmt, column, cType, &out, sizeof(T), &indicator), SQL_HANDLE_STMT, stmt);
    return indicator != SQL_NULL_DATA;
}

Value readText(SQLHSTMT stmt, SQLUSMALLINT column)
{
    QString text;
    if (!readWhole(
            stmt, column, SQL_C_WCHAR, sizeof(SQLWCHAR), [&](const char* data, qsizetype size) {
                // Not fromUtf16, which takes a leading U+FEFF for a byte order mark.
                text = QString(
                    reinterpret_cast<const QChar*>(data), size / qsizetype(sizeof(SQLWCHAR)));
            }))
        return Null();
    return text;
}

// MariaDB's session speaks utf8mb4 with a Unicode client, whatever the
// column's own character set; its raw bytes hold every character, U+0000
// and those beyond the BMP included. Bytes that are not UTF-8 are refused
// rather than turned into replacement characters.
Value readUtf8Text(SQLHSTMT stmt, SQLUSMALLINT column)
{
    QString text;
    bool valid = true;
    if (!readWhole(stmt, column, SQL_C_BINARY, 0, [&](const char* data, qsizetype size) {
            QStringDecoder utf8(QStringConverter::Utf8,
                QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
            text = utf8(QByteArrayView(data, size));
            valid = !utf8.hasError();
        }))
        return Null();
    if (!valid)
        throw DbError(QStringLiteral("The text of column %1 is not valid UTF-8.").arg(column));
    return text;
}

// MySQL writes its zero dates ("0000-00-00") and dates with zero parts as
// text, where the driver's structures only have NULL for them.
Value readDateText(SQLHSTMT stmt, SQLUSMALLINT column)
{
    QByteArray bytes;
    if (!readChunks(stmt, column, SQL_C_CHAR, 1, bytes))
        return Null();
    return dateFromText(bytes);
}

Value readBinary(SQLHSTMT stmt, SQLUSMALLINT column)
{
    QByteArray bytes;
    if (!readChunks(stmt, column, SQL_C_BINARY, 0, bytes))
        return Null();
    return bytes;
}

// DECIMAL and NUMERIC (and any number kept in decimal digits) keep the
// digits the database gave; their text in SQL_C_CHAR is plain ASCII with '.'
// whatever the locale.
Value readDecimal(SQLHSTMT stmt, SQLUSMALLINT column)
{
    QString digits;
    if (!readWhole(stmt, column, SQL_C_CHAR, 1,
            [&](const char* data, qsizetype size) { digits = QString::fromLatin1(data, size); }))
        return Null();
    return digits;
}

// Oracle's DATE holds a time of day, and a driver may still describe it as
// SQL_TYPE_DATE; read as a date, the time would be cut off. Read as a
// timestamp, a value without a time of day is a date again, so a MySQL
// DATE travels as before (MariaDB's driver gives the same fields, and NULL
// for a zero date, either way).
Value readDate(SQLHSTMT stmt, SQLUSMALLINT column)
{
    SQL_TIMESTAMP_STRUCT t {};
    if (!readFixed(stmt, column, SQL_C_TYPE_TIMESTAMP, t))
        return Null();
    if (t.hour == 0 && t.minute == 0 && t.second == 0 && t.fraction == 0)
        return QVariant::fromValue(SqlDate { t.year, t.month, t.day });
    return QVariant::fromValue(
        SqlTimestamp { t.year, t.month, t.day, t.hour, t.minute, t.second, t.fraction });
}

// SQL_TIME_STRUCT holds a time of day only; MySQL's TIME is a duration of
// up to ±838 hours with fractions, so read the text and take it apart.
Value readTime(SQLHSTMT stmt, SQLUSMALLINT column)
{
    QByteArray bytes;
    if (!readChunks(stmt, column, SQL_C_CHAR, 1, bytes))
        return Null();
    static const QRegularExpression form(
        QStringLiteral("^\\s*(-)?(\\d+):(\\d\\d):(\\d\\d)(?:\\.(\\d{1,9}))?\\s*$"));
    const QString text = QString::fromLatin1(bytes);
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

} // namespace

Value readColumn(SQLHSTMT stmt, SQLUSMALLINT column, const ColumnInfo& info)
{
    if (info.asText)
        return info.mariadb ? readUtf8Text(stmt, column) : readText(stmt, column);
    switch (info.sqlType) {
    case SQL_BINARY:
    case SQL_VARBINARY:
    case SQL_LONGVARBINARY:
        return readBinary(stmt, column);
    case SQL_BIT: {
        // MariaDB hands BIT(1) out as one raw byte; any non-zero bit is true.
        QByteArray bytes;
        if (!readChunks(stmt, column, SQL_C_BINARY, 0, bytes))
            return Null();
        bool on = false;
        for (char c : bytes)
            on = on || (c != 0 && c != '0');
        return on;
    }
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
        if (info.isUnsigned) {
            SQLUBIGINT v = 0;
            return readFixed(stmt, column, SQL_C_UBIGINT, v) ? Value(quint64(v)) : Null();
        } else {
            SQLBIGINT v = 0;
            return readFixed(stmt, column, SQL_C_SBIGINT, v) ? Value(qint64(v)) : Null();
        }
    case SQL_REAL: {
        SQLREAL v = 0;
        return readFixed(stmt, column, SQL_C_FLOAT, v) ? Value(float(v)) : Null();
    }
    case SQL_FLOAT:
    case SQL_DOUBLE: {
        // A binary double is exact as itself; its text from the driver need
        // not be (MariaDB's gives "0.3" for 0.1 + 0.2). Digits the driver
        // holds are exact only as text.
        if (info.decimalPrecision)
            return readDecimal(stmt, column);
        SQLDOUBLE v = 0;
        return readFixed(stmt, column, SQL_C_DOUBLE, v) ? Value(double(v)) : Null();
    }
    case SQL_DECIMAL:
    case SQL_NUMERIC:
        return readDecimal(stmt, column);
    case SQL_TYPE_DATE:
    case SQL_DATE:
        return info.mariadb ? readDateText(stmt, column) : readDate(stmt, column);
    case SQL_TYPE_TIME:
    case SQL_TIME:
        return readTime(stmt, column);
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP: {
        if (info.mariadb)
            return readDateText(stmt, column);
        SQL_TIMESTAMP_STRUCT t {};
        if (!readFixed(stmt, column, SQL_C_TYPE_TIMESTAMP, t))
            return Null();
        return QVariant::fromValue(
            SqlTimestamp { t.year, t.month, t.day, t.hour, t.minute, t.second, t.fraction });
    }
    default:
        return info.mariadb ? readUtf8Text(stmt, column) : readText(stmt, column);
    }
}

} // namespace tw::odbc

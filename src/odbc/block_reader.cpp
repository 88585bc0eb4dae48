#include "odbc/block_reader.h"

#include "odbc/date_text.h"
#include "odbc/error.h"
#include "odbc/handles.h"

#include <sqlext.h>
#include <sqlucode.h>

namespace tw::odbc {

namespace {

// Decimal digits as text: Oracle's NUMBER writes up to 40 significant
// digits and 130 zeros after the point, MySQL's DECIMAL 65 digits.
constexpr SQLLEN decimalWidth = 256;

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

bool isLongLength(SQLLEN bytes, qsizetype limit)
{
    return bytes <= 0 || bytes > limit;
}

} // namespace

QList<ResultColumn> DescribeResult(SQLHSTMT stmt, const QList<int>& textColumns, bool mariadb)
{
    SQLSMALLINT count = 0;
    check(SQLNumResultCols(stmt, &count), SQL_HANDLE_STMT, stmt);
    QList<ResultColumn> columns;
    for (SQLUSMALLINT c = 1; c <= SQLUSMALLINT(count); ++c) {
        SQLWCHAR name[512] = {};
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT sqlType = 0;
        SQLULEN size = 0;
        SQLSMALLINT digits = 0;
        SQLSMALLINT nullable = 0;
        check(SQLDescribeColW(stmt, c, name, SQLSMALLINT(std::size(name)), &nameLength, &sqlType,
                  &size, &digits, &nullable),
            SQL_HANDLE_STMT, stmt);
        SQLLEN isUnsigned = SQL_FALSE;
        check(SQLColAttributeW(stmt, c, SQL_DESC_UNSIGNED, nullptr, 0, nullptr, &isUnsigned),
            SQL_HANDLE_STMT, stmt);
        ResultColumn column;
        column.info = ColumnInfo { sqlType, isUnsigned == SQL_TRUE, mariadb };
        column.info.asText = textColumns.contains(c - 1);
        if (sqlType == SQL_FLOAT || sqlType == SQL_DOUBLE) {
            // MariaDB's driver does not know the question (HYC00) and gives a
            // binary double; only a driver that says "decimal" holds digits.
            SQLLEN radix = 0;
            column.info.decimalPrecision
                = SQL_SUCCEEDED(SQLColAttributeW(
                      stmt, c, SQL_DESC_NUM_PREC_RADIX, nullptr, 0, nullptr, &radix))
                && radix == 10;
        }
        // Not every driver tells it; the column size then stands in.
        SQLLEN octets = 0;
        if (!SQL_SUCCEEDED(
                SQLColAttributeW(stmt, c, SQL_DESC_OCTET_LENGTH, nullptr, 0, nullptr, &octets)))
            octets = 0;
        column.name
            = fromSqlWChar(name, qMin<qsizetype>(nameLength, qsizetype(std::size(name)) - 1));
        column.size = size;
        column.digits = digits;
        column.octetLength = octets;
        columns.append(column);
    }
    return columns;
}

BlockReader::BlockReader(SQLHSTMT stmt, QList<ResultColumn> columns, const Options& options)
    : m_stmt(stmt)
    , m_columns(std::move(columns))
    , m_options(options)
{
    plan();
}

// The C type and buffer of each column, mirroring readColumn's choices.
void BlockReader::plan()
{
    m_bound.assign(size_t(m_columns.size()), Bound());
    const SQLSMALLINT textType = this->textType();
    SQLLEN rowWidth = 0;
    for (qsizetype c = 0; c < m_columns.size(); ++c) {
        const ResultColumn& column = m_columns[c];
        Bound& b = m_bound[size_t(c)];
        const SQLLEN octets = std::max<SQLLEN>(column.octetLength, SQLLEN(column.size));
        auto text = [&] {
            b.kind = Kind::Text;
            b.cType = textType;
            // Four UTF-8 bytes, or two UTF-16 units, a character at most.
            SQLLEN characters = std::max<SQLLEN>(SQLLEN(column.size), column.octetLength);
            // A number read as text does not come in pieces: a buffer too
            // short for its digits is an error (22003), not a truncation.
            if (isNumberType(column.info.sqlType))
                characters = std::max(characters, decimalWidth);
            if (m_options.narrowText) {
                b.terminator = 1;
                b.width
                    = std::max<SQLLEN>({ column.octetLength, 4 * SQLLEN(column.size), characters });
            } else {
                b.terminator = 2;
                b.width = 4 * characters;
            }
            b.width = std::max<SQLLEN>(b.width, 64) + b.terminator;
            if (column.size == 0 || isLongLength(b.width, m_options.longValue))
                b.kind = Kind::Unbound; // cType stays: read whole as text
        };
        if (column.info.asText) {
            text();
        } else {
            switch (column.info.sqlType) {
            case SQL_BINARY:
            case SQL_VARBINARY:
            case SQL_LONGVARBINARY:
                b.kind = isLongLength(octets, m_options.longValue) ? Kind::Unbound : Kind::Binary;
                b.cType = SQL_C_BINARY;
                b.width = std::max<SQLLEN>(octets, 1);
                break;
            case SQL_TINYINT:
            case SQL_SMALLINT:
            case SQL_INTEGER:
            case SQL_BIGINT:
                b.kind = column.info.isUnsigned ? Kind::Unsigned : Kind::Signed;
                b.cType = column.info.isUnsigned ? SQL_C_UBIGINT : SQL_C_SBIGINT;
                b.width = sizeof(SQLBIGINT);
                break;
            case SQL_REAL:
                b.kind = Kind::Real;
                b.cType = SQL_C_FLOAT;
                b.width = sizeof(SQLREAL);
                break;
            case SQL_FLOAT:
            case SQL_DOUBLE:
                if (column.info.decimalPrecision) {
                    b.kind = Kind::Decimal;
                    b.cType = SQL_C_CHAR;
                    b.width = decimalWidth;
                    b.terminator = 1;
                } else {
                    b.kind = Kind::Double;
                    b.cType = SQL_C_DOUBLE;
                    b.width = sizeof(SQLDOUBLE);
                }
                break;
            case SQL_DECIMAL:
            case SQL_NUMERIC:
                b.kind = Kind::Decimal;
                b.cType = SQL_C_CHAR;
                b.width = decimalWidth;
                b.terminator = 1;
                break;
            case SQL_TYPE_DATE:
            case SQL_DATE:
            case SQL_TYPE_TIMESTAMP:
            case SQL_TIMESTAMP:
                if (!column.info.mariadb) {
                    const bool date
                        = column.info.sqlType == SQL_TYPE_DATE || column.info.sqlType == SQL_DATE;
                    b.kind = date ? Kind::Date : Kind::Timestamp;
                    b.cType = SQL_C_TYPE_TIMESTAMP;
                    b.width = sizeof(SQL_TIMESTAMP_STRUCT);
                    break;
                }
                // MySQL's zero dates and dates with zero parts have no
                // structure but NULL in MariaDB's driver: read as the text.
                b.kind = Kind::DateText;
                b.cType = SQL_C_CHAR;
                b.width = 40;
                b.terminator = 1;
                break;
            case SQL_BIT: // read as readColumn reads it: any non-zero bit is true
            case SQL_TYPE_TIME: // a duration, taken apart from its text
            case SQL_TIME:
                b.kind = Kind::Unbound;
                break;
            default:
                text();
                break;
            }
        }
        if (b.kind == Kind::Unbound)
            m_anyUnbound = true;
        else
            rowWidth += b.width + SQLLEN(sizeof(SQLLEN));
    }
    m_rows = int(std::clamp<qsizetype>(
        m_options.bufferBytes / std::max<SQLLEN>(rowWidth, 1), 1, std::max(1, m_options.maxRows)));
    if (m_anyUnbound && !m_options.positionedReads)
        m_rows = 1;

    check(SQLSetStmtAttr(m_stmt, SQL_ATTR_ROW_BIND_TYPE,
              reinterpret_cast<SQLPOINTER>(SQLULEN(SQL_BIND_BY_COLUMN)), 0),
        SQL_HANDLE_STMT, m_stmt);
    check(SQLSetStmtAttr(
              m_stmt, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(SQLULEN(m_rows)), 0),
        SQL_HANDLE_STMT, m_stmt);
    m_status.assign(size_t(m_rows), SQL_ROW_NOROW);
    check(SQLSetStmtAttr(m_stmt, SQL_ATTR_ROW_STATUS_PTR, m_status.data(), 0), SQL_HANDLE_STMT,
        m_stmt);
    check(
        SQLSetStmtAttr(m_stmt, SQL_ATTR_ROWS_FETCHED_PTR, &m_fetched, 0), SQL_HANDLE_STMT, m_stmt);
    for (size_t c = 0; c < m_bound.size(); ++c) {
        Bound& b = m_bound[c];
        if (b.kind == Kind::Unbound)
            continue;
        b.data.resize(size_t(b.width * m_rows));
        b.indicators.resize(size_t(m_rows));
        check(SQLBindCol(m_stmt, SQLUSMALLINT(c + 1), b.cType, b.data.data(), b.width,
                  b.indicators.data()),
            SQL_HANDLE_STMT, m_stmt);
    }
}

void BlockReader::restart()
{
    m_fetched = 0;
    m_at = 0;
    m_positioned = -1;
    m_ended = false;
}

bool BlockReader::fetch()
{
    m_at = 0;
    m_positioned = -1;
    m_fetched = 0;
    const SQLRETURN rc = SQLFetch(m_stmt);
    if (rc == SQL_NO_DATA) {
        m_fetched = 0;
        m_ended = true;
        return false;
    }
    check(rc, SQL_HANDLE_STMT, m_stmt);
    // A row's error is in the fetch's diagnostics, which the next call on
    // the statement (a long value read from an earlier row) clears.
    m_rowError.reset();
    for (SQLULEN r = 0; r < m_fetched && !m_rowError; ++r) {
        if (m_status[size_t(r)] != SQL_ROW_ERROR)
            continue;
        try {
            check(SQL_ERROR, SQL_HANDLE_STMT, m_stmt);
        } catch (const DbError& e) {
            m_rowError = e;
        }
    }
    if (m_fetched == 0) {
        m_ended = true;
        return false;
    }
    return true;
}

void BlockReader::position(int rowInBlock)
{
    if (m_rows == 1 || m_positioned == rowInBlock)
        return;
    check(SQLSetPos(m_stmt, SQLSETPOSIROW(rowInBlock + 1), SQL_POSITION, SQL_LOCK_NO_CHANGE),
        SQL_HANDLE_STMT, m_stmt);
    m_positioned = rowInBlock;
}

// Narrow text of any length, in pieces.
Value BlockReader::readUtf8(int column)
{
    QByteArray text;
    char piece[8192];
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(
            m_stmt, SQLUSMALLINT(column + 1), SQL_C_CHAR, piece, sizeof piece, &indicator);
        if (rc == SQL_NO_DATA)
            break;
        check(rc, SQL_HANDLE_STMT, m_stmt);
        if (indicator == SQL_NULL_DATA)
            return Null();
        const bool more = indicator == SQL_NO_TOTAL || indicator >= SQLLEN(sizeof piece);
        if (indicator != SQL_NO_TOTAL && text.isEmpty())
            text.reserve(qsizetype(indicator));
        text.append(piece, more ? qsizetype(sizeof piece) - 1 : qsizetype(indicator));
        if (!more)
            break;
    }
    return QString::fromUtf8(text);
}

// A value read with SQLGetData, in pieces, as readColumn reads it (text as
// UTF-8 when the reader reads text so).
Value BlockReader::readWhole(int column, int rowInBlock)
{
    if (m_rows > 1 && !m_options.positionedReads)
        throw DbError(QStringLiteral("The value of column %1 is longer than the driver said "
                                     "its values are.")
                          .arg(m_columns[column].name));
    position(rowInBlock);
    const Bound& b = m_bound[size_t(column)];
    if (m_options.narrowText && b.cType == textType())
        return readUtf8(column);
    return readColumn(m_stmt, SQLUSMALLINT(column + 1), m_columns[column].info);
}

Value BlockReader::value(int column, int rowInBlock)
{
    const Bound& b = m_bound[size_t(column)];
    if (b.kind == Kind::Unbound)
        return readWhole(column, rowInBlock);
    const SQLLEN indicator = b.indicators[size_t(rowInBlock)];
    if (indicator == SQL_NULL_DATA)
        return Null();
    const char* data = b.data.data() + b.width * rowInBlock;
    const bool variable = b.kind == Kind::Text || b.kind == Kind::Binary || b.kind == Kind::Decimal;
    if (variable && (indicator == SQL_NO_TOTAL || indicator > b.width - b.terminator))
        return readWhole(column, rowInBlock);
    switch (b.kind) {
    case Kind::Signed:
        return qint64(*reinterpret_cast<const SQLBIGINT*>(data));
    case Kind::Unsigned:
        return quint64(*reinterpret_cast<const SQLUBIGINT*>(data));
    case Kind::Real:
        return float(*reinterpret_cast<const SQLREAL*>(data));
    case Kind::Double:
        return double(*reinterpret_cast<const SQLDOUBLE*>(data));
    case Kind::Decimal:
        return QString::fromLatin1(data, qsizetype(indicator));
    case Kind::Date:
    case Kind::Timestamp: {
        const auto& t = *reinterpret_cast<const SQL_TIMESTAMP_STRUCT*>(data);
        // A date read with its time of day, as readColumn does: at
        // midnight it is a date again.
        if (b.kind == Kind::Date && t.hour == 0 && t.minute == 0 && t.second == 0
            && t.fraction == 0)
            return QVariant::fromValue(SqlDate { t.year, t.month, t.day });
        return QVariant::fromValue(
            SqlTimestamp { t.year, t.month, t.day, t.hour, t.minute, t.second, t.fraction });
    }
    case Kind::DateText:
        return dateFromText(QByteArrayView(data, qsizetype(indicator)));
    case Kind::Text:
        if (b.cType == SQL_C_CHAR)
            return QString::fromUtf8(data, qsizetype(indicator));
        return QString::fromUtf16(reinterpret_cast<const char16_t*>(data),
            qsizetype(indicator) / qsizetype(sizeof(char16_t)));
    case Kind::Binary:
        return QByteArray(data, qsizetype(indicator));
    case Kind::Unbound:
        break;
    }
    return Null();
}

bool BlockReader::next(QList<Value>& row)
{
    if (m_ended)
        return false;
    if (m_at >= int(m_fetched) && !fetch())
        return false;
    const int r = m_at++;
    const SQLUSMALLINT status = m_status[size_t(r)];
    if (status == SQL_ROW_ERROR)
        throw m_rowError ? *m_rowError : DbError(QStringLiteral("The row could not be read."));
    row.resize(m_columns.size());
    for (qsizetype c = 0; c < m_columns.size(); ++c)
        row[c] = value(int(c), r);
    return true;
}

} // namespace tw::odbc

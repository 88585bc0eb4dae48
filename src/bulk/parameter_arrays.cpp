#include "bulk/parameter_arrays.h"

#include "odbc/error.h"
#include "odbc/handles.h"
#include "odbc/number_text.h"
#include "odbc/utf8.h"

#include <QDate>
#include <array>
#include <charconv>
#include <cstring>
#include <limits>

namespace tw::bulk {

namespace {

// What the driver never writes: a status still holding it was not set.
constexpr SQLUSMALLINT unset = 0xFFFF;

bool isVariable(SQLSMALLINT cType)
{
    return cType == SQL_C_CHAR || cType == SQL_C_WCHAR || cType == SQL_C_BINARY;
}

qsizetype fixedSizeOf(SQLSMALLINT cType)
{
    switch (cType) {
    case SQL_C_DOUBLE:
        return sizeof(SQLDOUBLE);
    case SQL_C_TYPE_TIMESTAMP:
        return sizeof(SQL_TIMESTAMP_STRUCT);
    default:
        return 0;
    }
}

[[noreturn]] void cannot(const odbc::Value& value, const char* what)
{
    throw odbc::DbError(QStringLiteral("A value of type %1 cannot be sent as %2.")
                            .arg(QLatin1String(value.typeName() ? value.typeName() : "unknown"),
                                QLatin1String(what)));
}

// The value held, read straight from the variant: QVariant's own
// conversions go through the meta-type system, a cost per value.
template <typename T> T held(const odbc::Value& value)
{
    return *static_cast<const T*>(value.constData());
}

qint64 heldSigned(const odbc::Value& value)
{
    switch (value.typeId()) {
    case QMetaType::LongLong:
        return held<qlonglong>(value);
    case QMetaType::Int:
        return held<int>(value);
    default:
        return value.toLongLong();
    }
}

quint64 heldUnsigned(const odbc::Value& value)
{
    return value.typeId() == QMetaType::ULongLong ? held<qulonglong>(value) : value.toULongLong();
}

bool isInteger(int type)
{
    return type == QMetaType::LongLong || type == QMetaType::Int || type == QMetaType::Long
        || type == QMetaType::Short || type == QMetaType::SChar;
}

bool isUnsigned(int type)
{
    return type == QMetaType::ULongLong || type == QMetaType::UInt || type == QMetaType::ULong
        || type == QMetaType::UShort || type == QMetaType::UChar;
}

SQLDOUBLE doubleOf(const odbc::Value& value)
{
    const int type = value.typeId();
    if (type == QMetaType::Double)
        return held<double>(value);
    if (type == QMetaType::Float)
        return double(held<float>(value));
    if (isInteger(type))
        return double(heldSigned(value));
    if (isUnsigned(type))
        return double(heldUnsigned(value));
    if (type == QMetaType::QString) {
        if (const auto v = odbc::doubleOf(*static_cast<const QString*>(value.constData())))
            return *v;
    }
    cannot(value, "a number");
}

// MySQL's zero dates and dates with a zero month or day are no date a
// driver may be handed: the row is refused, as their literal would be.
SQL_TIMESTAMP_STRUCT checkedDate(const SQL_TIMESTAMP_STRUCT& t)
{
    if (t.year == 0 || !QDate::isValid(t.year, t.month, t.day))
        throw odbc::DbError(QStringLiteral("%1-%2-%3 is no date of the calendar.")
                                .arg(t.year, 4, 10, QLatin1Char('0'))
                                .arg(t.month, 2, 10, QLatin1Char('0'))
                                .arg(t.day, 2, 10, QLatin1Char('0')));
    return t;
}

SQL_TIMESTAMP_STRUCT timestampOf(const odbc::Value& value)
{
    const int type = value.typeId();
    SQL_TIMESTAMP_STRUCT t {};
    if (type == qMetaTypeId<odbc::SqlTimestamp>()) {
        const auto& v = *static_cast<const odbc::SqlTimestamp*>(value.constData());
        t.year = SQLSMALLINT(v.year);
        t.month = SQLUSMALLINT(v.month);
        t.day = SQLUSMALLINT(v.day);
        t.hour = SQLUSMALLINT(v.hour);
        t.minute = SQLUSMALLINT(v.minute);
        t.second = SQLUSMALLINT(v.second);
        t.fraction = v.fraction;
        return checkedDate(t);
    }
    if (type == qMetaTypeId<odbc::SqlDate>()) {
        const auto& v = *static_cast<const odbc::SqlDate*>(value.constData());
        t.year = SQLSMALLINT(v.year);
        t.month = SQLUSMALLINT(v.month);
        t.day = SQLUSMALLINT(v.day);
        return checkedDate(t);
    }
    cannot(value, "a timestamp");
}

template <typename T> void put(std::vector<char>& out, qsizetype at, const T& value)
{
    std::memcpy(out.data() + at, &value, sizeof(T));
}

} // namespace

ParameterArrays::ParameterArrays(
    QList<ParameterBinding> bindings, int capacity, qsizetype byteBudget)
    : m_bindings(std::move(bindings))
    , m_capacity(std::max(1, capacity))
    , m_byteBudget(byteBudget)
{
    m_columns.resize(size_t(m_bindings.size()));
    for (qsizetype c = 0; c < m_bindings.size(); ++c) {
        Column& column = m_columns[size_t(c)];
        column.binding = m_bindings[c];
        column.variable = isVariable(column.binding.cType);
        column.fixedSize = fixedSizeOf(column.binding.cType);
        if (!column.variable && column.fixedSize == 0)
            throw odbc::DbError(
                QStringLiteral("Parameter %1: C type %2 is not one parameters are sent in.")
                    .arg(c + 1)
                    .arg(column.binding.cType));
        column.indicators.reserve(size_t(m_capacity));
        if (column.variable)
            column.offsets.reserve(size_t(m_capacity));
        else
            column.fixed.resize(size_t(column.fixedSize * m_capacity));
    }
}

void ParameterArrays::append(Column& column, const odbc::Value& value)
{
    if (odbc::isNull(value)) {
        if (column.variable)
            column.offsets.push_back(column.heap.size());
        column.indicators.push_back(SQL_NULL_DATA);
        return;
    }
    const qsizetype at = qsizetype(column.indicators.size()) * column.fixedSize;
    switch (column.binding.cType) {
    case SQL_C_WCHAR:
    case SQL_C_CHAR: {
        const qsizetype start = column.heap.size();
        if (value.typeId() == QMetaType::QString) {
            const QString& text = *static_cast<const QString*>(value.constData());
            if (column.binding.cType == SQL_C_WCHAR)
                column.heap.append(reinterpret_cast<const char*>(text.utf16()),
                    text.size() * qsizetype(sizeof(char16_t)));
            else
                odbc::appendUtf8(column.heap, text);
        } else if (value.typeId() == QMetaType::QByteArray && column.binding.cType == SQL_C_CHAR) {
            column.heap.append(*static_cast<const QByteArray*>(value.constData()));
        } else if (column.binding.cType == SQL_C_CHAR
            && (isInteger(value.typeId()) || isUnsigned(value.typeId()))) {
            // A whole number as its exact digits, for a driver that takes no
            // 64-bit integer C type.
            std::array<char, 24> digits {};
            const auto end = isInteger(value.typeId())
                ? std::to_chars(digits.data(), digits.data() + digits.size(), heldSigned(value)).ptr
                : std::to_chars(digits.data(), digits.data() + digits.size(), heldUnsigned(value))
                      .ptr;
            column.heap.append(digits.data(), end - digits.data());
        } else {
            cannot(value, "text");
        }
        column.offsets.push_back(start);
        column.indicators.push_back(SQLLEN(column.heap.size() - start));
        column.longest = std::max(column.longest, column.heap.size() - start);
        return;
    }
    case SQL_C_BINARY: {
        if (value.typeId() != QMetaType::QByteArray)
            cannot(value, "bytes");
        const QByteArray& bytes = *static_cast<const QByteArray*>(value.constData());
        column.offsets.push_back(column.heap.size());
        column.heap.append(bytes);
        column.indicators.push_back(SQLLEN(bytes.size()));
        column.longest = std::max(column.longest, bytes.size());
        return;
    }
    case SQL_C_DOUBLE:
        put(column.fixed, at, doubleOf(value));
        break;
    case SQL_C_TYPE_TIMESTAMP:
        put(column.fixed, at, timestampOf(value));
        break;
    }
    column.indicators.push_back(SQLLEN(column.fixedSize));
}

void ParameterArrays::dropLast(Column& column)
{
    if (column.indicators.size() <= size_t(m_rows))
        return;
    column.indicators.pop_back();
    if (!column.variable)
        return;
    column.heap.truncate(column.offsets.back());
    column.offsets.pop_back();
    // The longest value may have been this one: look again.
    column.longest = 0;
    for (size_t r = 0; r < column.indicators.size(); ++r)
        column.longest
            = std::max(column.longest, qsizetype(std::max<SQLLEN>(column.indicators[r], 0)));
}

qsizetype ParameterArrays::boundBytes(int rows) const
{
    qsizetype bytes = 0;
    for (const Column& column : m_columns)
        bytes
            += (column.variable ? std::max<qsizetype>(column.longest, 2) : column.fixedSize) * rows;
    return bytes;
}

ParameterArrays::Added ParameterArrays::add(const QList<odbc::Value>& row)
{
    if (full())
        return Added::Full;
    if (row.size() != m_bindings.size())
        throw odbc::DbError(QStringLiteral("A row of %1 values for %2 parameters.")
                                .arg(row.size())
                                .arg(m_bindings.size()));
    qsizetype c = 0;
    try {
        for (; c < m_bindings.size(); ++c)
            append(m_columns[size_t(c)], row[c]);
    } catch (const odbc::DbError& e) {
        for (Column& column : m_columns)
            dropLast(column);
        throw odbc::DbError(QStringLiteral("Parameter %1: %2").arg(c + 1).arg(e.description()));
    }
    if (m_rows > 0 && boundBytes(m_rows + 1) > m_byteBudget) {
        for (Column& column : m_columns)
            dropLast(column);
        return Added::Full;
    }
    ++m_rows;
    return Added::Yes;
}

void ParameterArrays::clear()
{
    for (Column& column : m_columns) {
        column.indicators.clear();
        column.offsets.clear();
        column.heap.resize(0);
        column.longest = 0;
    }
    m_rows = 0;
}

void ParameterArrays::bind(SQLHSTMT stmt, int first, int last)
{
    const int count = last - first;
    m_status.assign(size_t(count), unset);
    m_processed = 0;
    m_boundFirst = first;
    odbc::check(SQLSetStmtAttr(stmt, SQL_ATTR_PARAM_BIND_TYPE,
                    reinterpret_cast<SQLPOINTER>(SQLULEN(SQL_PARAM_BIND_BY_COLUMN)), 0),
        SQL_HANDLE_STMT, stmt);
    odbc::check(SQLSetStmtAttr(
                    stmt, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(SQLULEN(count)), 0),
        SQL_HANDLE_STMT, stmt);
    odbc::check(
        SQLSetStmtAttr(stmt, SQL_ATTR_PARAM_STATUS_PTR, m_status.data(), 0), SQL_HANDLE_STMT, stmt);
    odbc::check(SQLSetStmtAttr(stmt, SQL_ATTR_PARAMS_PROCESSED_PTR, &m_processed, 0),
        SQL_HANDLE_STMT, stmt);
    for (size_t c = 0; c < m_columns.size(); ++c) {
        Column& column = m_columns[c];
        SQLLEN* indicators = column.indicators.data() + first;
        SQLPOINTER data = nullptr;
        SQLLEN bufferLength = 0;
        SQLULEN columnSize = column.binding.columnSize;
        if (column.variable) {
            // Column-wise arrays hold every value at the same width: the
            // longest of the rows bound.
            const bool wide = column.binding.cType == SQL_C_WCHAR;
            qsizetype width = wide ? 2 : 1;
            for (int r = first; r < last; ++r)
                width = std::max<qsizetype>(width, column.indicators[size_t(r)]);
            column.laidOut.resize(size_t(width * count));
            for (int r = first; r < last; ++r) {
                const SQLLEN length = column.indicators[size_t(r)];
                if (length > 0)
                    std::memcpy(column.laidOut.data() + (r - first) * width,
                        column.heap.constData() + column.offsets[size_t(r)], size_t(length));
            }
            data = column.laidOut.data();
            bufferLength = SQLLEN(width);
            columnSize = std::max<SQLULEN>(columnSize, SQLULEN(wide ? width / 2 : width));
        } else {
            data = column.fixed.data() + first * column.fixedSize;
            bufferLength = SQLLEN(column.fixedSize);
        }
        odbc::check(SQLBindParameter(stmt, SQLUSMALLINT(c + 1), SQL_PARAM_INPUT,
                        column.binding.cType, column.binding.sqlType, columnSize,
                        column.binding.decimalDigits, data, bufferLength, indicators),
            SQL_HANDLE_STMT, stmt);
    }
}

} // namespace tw::bulk

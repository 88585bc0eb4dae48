#include "copy/exact/exact_bound.h"

#include "copy/exact/exact_literals.h"
#include "odbc/error.h"
#include "sql/value_text.h"

#include <QDate>
#include <cmath>
#include <sqlext.h>

namespace tw::copy {

namespace {

bool boundAsText(ValueForm form)
{
    switch (form) {
    case ValueForm::Integer:
    case ValueForm::Decimal:
    case ValueForm::NumberText:
    case ValueForm::Time:
    case ValueForm::Interval:
    case ValueForm::TimestampText:
        return true;
    default:
        return false;
    }
}

bulk::ParameterBinding parameterOf(const ExactColumn& column, bool narrowText)
{
    const bool oracle = column.server == sql::Server::Oracle;
    const ParameterType& p = column.parameter;
    switch (column.form) {
    case ValueForm::Integer:
    case ValueForm::Decimal:
        if (oracle)
            return { SQL_C_CHAR, SQL_DECIMAL, SQLULEN(p.columnSize), SQLSMALLINT(p.decimalDigits) };
        return { SQL_C_CHAR, SQL_VARCHAR, 0, 0 };
    case ValueForm::NumberText:
    case ValueForm::Time:
    case ValueForm::Interval:
    case ValueForm::TimestampText:
        return { SQL_C_CHAR, SQL_VARCHAR, 0, 0 };
    case ValueForm::Float32:
    case ValueForm::Float64:
        if (column.form == ValueForm::Float32)
            return { SQL_C_DOUBLE, SQL_REAL, 7, 0 };
        return { SQL_C_DOUBLE, SQL_DOUBLE, 15, 0 };
    case ValueForm::Date:
    case ValueForm::Timestamp:
        if (oracle)
            return { SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, SQLULEN(p.columnSize),
                SQLSMALLINT(p.decimalDigits) };
        return { SQL_C_CHAR, SQL_VARCHAR, 0, 0 };
    case ValueForm::Text:
        if (!oracle && narrowText)
            return { SQL_C_CHAR, SQLSMALLINT(column.isLong ? SQL_LONGVARCHAR : SQL_VARCHAR), 0, 0 };
        return { SQL_C_WCHAR, p.sqlType, SQLULEN(p.columnSize), 0 };
    case ValueForm::Binary:
        return { SQL_C_BINARY, p.sqlType, SQLULEN(p.columnSize), 0 };
    }
    return {};
}

// The text between a literal's quotes: '...' or INTERVAL '...' DAY(p) ...
QString quotedPart(const QString& literal)
{
    const qsizetype open = literal.indexOf(u'\'');
    if (open < 0)
        return literal;
    const qsizetype close = literal.indexOf(u'\'', open + 1);
    return literal.mid(open + 1, close - open - 1);
}

odbc::Value boundValue(const ExactColumn& column, const odbc::Value& value, const QString& literal)
{
    if (odbc::isNull(value))
        return odbc::Null();
    if (boundAsText(column.form))
        return quotedPart(literal);
    switch (column.form) {
    case ValueForm::Float32:
    case ValueForm::Float64:
        return *ieeeValue(value); // the literal's check took it as a number
    case ValueForm::Date:
    case ValueForm::Timestamp:
        if (column.server == sql::Server::Oracle)
            return value;
        return quotedPart(literal);
    case ValueForm::Text:
        if (value.typeId() == QMetaType::QString)
            return value;
        return sql::valueText(value);
    default:
        return value;
    }
}

[[noreturn]] void refuse(const ExactColumn& column, const QString& why)
{
    throw odbc::DbError(QStringLiteral("column %1: %2").arg(column.name, why));
}

// The value as its literal's check and text make it: for the values no
// faster check below takes.
odbc::Value viaLiteral(const ExactColumn& column, const odbc::Value& value)
{
    const ExactLiteral literal = exactLiteral(column, value);
    if (literal.carry == Carry::Refused)
        refuse(column, literal.reason);
    return boundValue(column, value, literal.text);
}

bool isWholeNumber(int type)
{
    switch (type) {
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
        return true;
    default:
        return false;
    }
}

// Plain decimal digits ("-12.50"): the digits after the point, trailing
// zeros not counted; -1 for any other text (an exponent, a blank), which
// the literal's check then reads.
int plainScale(QStringView text)
{
    qsizetype i = 0;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        ++i;
    qsizetype digits = 0;
    qsizetype point = -1;
    qsizetype lastNonZero = -1;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'.' && point < 0) {
            point = i;
        } else if (c >= u'0' && c <= u'9') {
            ++digits;
            if (point >= 0 && c != u'0')
                lastNonZero = i;
        } else {
            return -1;
        }
    }
    if (digits == 0)
        return -1;
    return point < 0 ? 0 : int(std::max<qsizetype>(0, lastNonZero - point));
}

odbc::Value boundNumber(const ExactColumn& column, const odbc::Value& value)
{
    // A whole number as read fits a column chosen to hold its type's range;
    // the parameter arrays write its digits.
    if (isWholeNumber(value.typeId()))
        return value;
    if (value.typeId() == QMetaType::QString) {
        const QString& text = *static_cast<const QString*>(value.constData());
        const int scale = plainScale(text);
        const bool fits = column.form == ValueForm::Integer
            ? scale == 0 && !text.contains(u'.')
            : scale >= 0 && scale <= column.parameter.decimalDigits;
        if (fits)
            return value;
    }
    return viaLiteral(column, value);
}

odbc::Value boundIeee(const ExactColumn& column, const odbc::Value& value)
{
    const int type = value.typeId();
    if (type != QMetaType::Double && type != QMetaType::Float)
        return viaLiteral(column, value);
    // A float's double is exactly the float.
    const double d = type == QMetaType::Double
        ? *static_cast<const double*>(value.constData())
        : double(*static_cast<const float*>(value.constData()));
    if (!std::isfinite(d) && column.server == sql::Server::MySQL)
        return viaLiteral(column, value); // refused, as its literal is
    return d;
}

// Whole fields that both servers keep, and no more fractional digits than
// the column does; anything else the literal's check words.
odbc::Value boundDateTime(const ExactColumn& column, const odbc::Value& value)
{
    const int type = value.typeId();
    odbc::SqlTimestamp t;
    if (type == qMetaTypeId<odbc::SqlTimestamp>())
        t = *static_cast<const odbc::SqlTimestamp*>(value.constData());
    else if (type == qMetaTypeId<odbc::SqlDate>()) {
        const auto& d = *static_cast<const odbc::SqlDate*>(value.constData());
        t = { d.year, d.month, d.day, 0, 0, 0, 0 };
    } else
        return viaLiteral(column, value);
    const bool oracle = column.server == sql::Server::Oracle;
    const int fraction = column.form == ValueForm::Date ? 0 : column.fractionDigits;
    quint32 kept = t.fraction;
    for (int i = fraction; i < 9; ++i)
        kept /= 10;
    for (int i = fraction; i < 9; ++i)
        kept *= 10;
    const bool plain = t.year >= (oracle ? 1 : 0) && t.year <= 9999
        && QDate::isValid(std::max(t.year, 1), t.month, t.day) && t.hour >= 0 && t.hour < 24
        && t.minute >= 0 && t.minute < 60 && t.second >= 0 && t.second < 60
        && t.fraction < 1000000000 && kept == t.fraction;
    if (!plain)
        return viaLiteral(column, value);
    if (oracle)
        return value;
    // MySQL reads the literal's text: 'YYYY-MM-DD hh:mm:ss[.f]'.
    QString text = sql::valueText(QVariant::fromValue(t));
    return text;
}

odbc::Value boundText(const ExactColumn& column, const odbc::Value& value)
{
    if (value.typeId() != QMetaType::QString)
        return viaLiteral(column, value);
    const QString& s = *static_cast<const QString*>(value.constData());
    // A bound parameter carries U+0000 and any length; Oracle keeps no
    // empty text.
    if ((s.isEmpty() && column.server == sql::Server::Oracle) || !QStringView(s).isValidUtf16())
        return viaLiteral(column, value);
    return value;
}

odbc::Value boundBinary(const ExactColumn& column, const odbc::Value& value)
{
    if (value.typeId() != QMetaType::QByteArray
        || (column.server == sql::Server::Oracle
            && static_cast<const QByteArray*>(value.constData())->isEmpty()))
        return viaLiteral(column, value);
    return value;
}

} // namespace

QList<bulk::ParameterBinding> exactParameters(const ExactTable& table, bool narrowText)
{
    QList<bulk::ParameterBinding> bindings;
    for (const ExactColumn& column : table.columns)
        bindings << parameterOf(column, narrowText);
    return bindings;
}

void exactBoundRow(
    const ExactTable& table, const QList<odbc::Value>& row, QList<odbc::Value>& bound)
{
    bound.resize(table.columns.size());
    for (qsizetype c = 0; c < table.columns.size(); ++c) {
        const ExactColumn& column = table.columns[c];
        const odbc::Value& value = row[c];
        if (odbc::isNull(value)) {
            bound[c] = odbc::Null();
            continue;
        }
        switch (column.form) {
        case ValueForm::Integer:
        case ValueForm::Decimal:
            bound[c] = boundNumber(column, value);
            break;
        case ValueForm::Float32:
        case ValueForm::Float64:
            bound[c] = boundIeee(column, value);
            break;
        case ValueForm::Date:
        case ValueForm::Timestamp:
            bound[c] = boundDateTime(column, value);
            break;
        case ValueForm::Text:
            bound[c] = boundText(column, value);
            break;
        case ValueForm::Binary:
            bound[c] = boundBinary(column, value);
            break;
        default:
            bound[c] = viaLiteral(column, value);
            break;
        }
    }
}

} // namespace tw::copy

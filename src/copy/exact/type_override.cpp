#include "copy/exact/type_override.h"

#include <QRegularExpression>
#include <sqlext.h>

namespace tw::copy {

namespace {

struct Written {
    QString word; // upper case, inner blanks single
    std::optional<qint64> size;
    int scale = 0;
    bool unsignedNumber = false;
};

std::optional<Written> read(const QString& type)
{
    static const QRegularExpression form(
        QStringLiteral("^\\s*([A-Za-z][A-Za-z_ "
                       "]*?)\\s*(?:\\(\\s*(\\d+)\\s*(?:,\\s*(-?\\d+)\\s*)?(?:BYTE|CHAR)?\\s*"
                       "\\))?\\s*(UNSIGNED)?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = form.match(type);
    if (!m.hasMatch())
        return std::nullopt;
    Written w;
    w.word = m.captured(1).toUpper().simplified();
    if (m.hasCaptured(2) && !m.captured(2).isEmpty())
        w.size = m.captured(2).toLongLong();
    w.scale = m.captured(3).toInt();
    w.unsignedNumber = !m.captured(4).isEmpty();
    return w;
}

void number(ExactColumn& c, qint64 precision, int scale)
{
    c.form = scale == 0 ? ValueForm::Integer : ValueForm::Decimal;
    c.parameter = { SQL_DECIMAL, precision, scale };
}

void text(ExactColumn& c, qint64 length, bool fixed)
{
    c.form = ValueForm::Text;
    c.length = length;
    c.parameter = { fixed ? SQLSMALLINT(SQL_WCHAR) : SQLSMALLINT(SQL_WVARCHAR), length, 0 };
}

void longText(ExactColumn& c)
{
    c.form = ValueForm::Text;
    c.isLong = true;
    c.parameter = { SQL_WLONGVARCHAR, 0, 0 };
}

void binary(ExactColumn& c, std::optional<qint64> bytes)
{
    c.form = ValueForm::Binary;
    c.isLong = !bytes;
    c.length = bytes.value_or(0);
    c.parameter = { bytes ? SQLSMALLINT(SQL_VARBINARY) : SQLSMALLINT(SQL_LONGVARBINARY),
        bytes.value_or(0), 0 };
}

void timestamp(ExactColumn& c, int fraction, bool date)
{
    c.form = date ? ValueForm::Date : ValueForm::Timestamp;
    c.fractionDigits = fraction;
    c.parameter = { SQL_TYPE_TIMESTAMP, fraction > 0 ? 20 + fraction : 19, fraction };
}

void ieee(ExactColumn& c, bool single)
{
    c.form = single ? ValueForm::Float32 : ValueForm::Float64;
    c.parameter = { single ? SQLSMALLINT(SQL_REAL) : SQLSMALLINT(SQL_DOUBLE), single ? 7 : 15, 0 };
}

bool oracle(ExactColumn& c, const Written& w)
{
    const QString& t = w.word;
    if (t == QLatin1String("NUMBER") || t == QLatin1String("DECIMAL")
        || t == QLatin1String("NUMERIC")) {
        if (!w.size)
            return false; // NUMBER without precision: a float's digits, not checked
        number(c, *w.size, w.scale);
    } else if (t == QLatin1String("INTEGER") || t == QLatin1String("INT")
        || t == QLatin1String("SMALLINT")) {
        number(c, 38, 0);
    } else if (t == QLatin1String("VARCHAR2") || t == QLatin1String("VARCHAR")
        || t == QLatin1String("NVARCHAR2") || t == QLatin1String("CHAR")
        || t == QLatin1String("NCHAR")) {
        text(c, w.size.value_or(1), t.endsWith(QLatin1String("CHAR")) && !t.contains(u'V'));
    } else if (t == QLatin1String("CLOB") || t == QLatin1String("NCLOB")) {
        longText(c);
    } else if (t == QLatin1String("RAW")) {
        if (!w.size)
            return false;
        binary(c, w.size);
    } else if (t == QLatin1String("BLOB")) {
        binary(c, std::nullopt);
    } else if (t == QLatin1String("DATE")) {
        timestamp(c, 0, true);
    } else if (t == QLatin1String("TIMESTAMP")) {
        timestamp(c, int(w.size.value_or(6)), false);
    } else if (t == QLatin1String("BINARY_FLOAT") || t == QLatin1String("BINARY_DOUBLE")) {
        ieee(c, t == QLatin1String("BINARY_FLOAT"));
    } else {
        return false;
    }
    return true;
}

bool mysql(ExactColumn& c, const Written& w)
{
    static const QStringList integers { QStringLiteral("TINYINT"), QStringLiteral("SMALLINT"),
        QStringLiteral("MEDIUMINT"), QStringLiteral("INT"), QStringLiteral("INTEGER"),
        QStringLiteral("BIGINT") };
    const QString& t = w.word;
    if (integers.contains(t)) {
        number(c, 20, 0);
    } else if (t == QLatin1String("DECIMAL") || t == QLatin1String("NUMERIC")) {
        number(c, w.size.value_or(10), w.scale);
    } else if (t == QLatin1String("VARCHAR") || t == QLatin1String("CHAR")) {
        if (!w.size)
            return false;
        text(c, *w.size, t == QLatin1String("CHAR"));
    } else if (t.endsWith(QLatin1String("TEXT"))) {
        longText(c);
    } else if (t == QLatin1String("VARBINARY") || t == QLatin1String("BINARY")) {
        if (!w.size)
            return false;
        binary(c, w.size);
    } else if (t.endsWith(QLatin1String("BLOB"))) {
        binary(c, std::nullopt);
    } else if (t == QLatin1String("DATETIME") || t == QLatin1String("TIMESTAMP")) {
        timestamp(c, int(w.size.value_or(0)), false);
        c.form = ValueForm::Timestamp;
    } else if (t == QLatin1String("DATE")) {
        timestamp(c, 0, false);
    } else if (t == QLatin1String("FLOAT") || t == QLatin1String("DOUBLE")) {
        ieee(c, t == QLatin1String("FLOAT"));
    } else {
        return false;
    }
    return true;
}

} // namespace

std::optional<ExactColumn> overrideColumn(
    sql::Server target, const QString& name, const QString& type, bool notNull)
{
    const std::optional<Written> w = read(type);
    if (!w)
        return std::nullopt;
    ExactColumn c;
    c.name = name;
    c.server = target;
    c.type = type.simplified();
    c.notNull = notNull;
    if (!(target == sql::Server::Oracle ? oracle(c, *w) : mysql(c, *w)))
        return std::nullopt;
    c.reason = QStringLiteral("chosen by the job");
    return c;
}

} // namespace tw::copy

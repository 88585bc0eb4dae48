#include "copy/plain/plain_definition.h"

#include "db/ado_types.h"
#include "db/value_helpers.h"
#include "odbc/error.h"
#include "odbc/number_text.h"
#include "sql/plain_statements.h"
#include "sql/value_text.h"

#include <QDate>
#include <cmath>
#include <sqlext.h>

namespace tw::copy {

namespace {

QString fragmentOf(const sql::Dialect& target, const SourceColumn& column)
{
    return target.plainColumnType(db::AdoTypeName(column.adoType).toLower());
}

bool isEmptyText(const odbc::Value& value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return static_cast<const QString*>(value.constData())->isEmpty();
    case QMetaType::QByteArray:
        return static_cast<const QByteArray*>(value.constData())->isEmpty();
    default:
        return false;
    }
}

// What a column of the window's types keeps: the server's own number and
// date types, a BLOB's bytes, or text.
Kept keptBy(sql::Server target, const QString& fragment)
{
    if (target == sql::Server::MySQL) {
        if (fragment == QLatin1String(" FLOAT,"))
            return Kept::Float32;
        return fragment == QLatin1String(" DATETIME,") ? Kept::Timestamp : Kept::Text;
    }
    if (fragment == QLatin1String(" INT,"))
        return Kept::Number;
    if (fragment == QLatin1String(" DATE,"))
        return Kept::Timestamp;
    if (fragment == QLatin1String(" FLOAT,"))
        return Kept::Float64;
    return fragment == QLatin1String(" BLOB,") ? Kept::Binary : Kept::Text;
}

} // namespace

PlainDefinition::PlainDefinition(sql::Server target, QList<SourceColumn> columns)
    : m_target(sql::dialect(target))
    , m_columns(std::move(columns))
{
    for (const SourceColumn& c : std::as_const(m_columns)) {
        const QString fragment = fragmentOf(m_target, c);
        const bool typed = target == sql::Server::Oracle
            ? fragment == QLatin1String(" INT,") || fragment == QLatin1String(" DATE,")
                || fragment == QLatin1String(" FLOAT,") || fragment == QLatin1String(" BLOB,")
            : fragment == QLatin1String(" FLOAT,");
        m_asText << !typed;
        m_kept << keptBy(target, fragment);
    }
}

void PlainDefinition::choose(const QList<std::pair<QString, QString>>& types)
{
    m_types.resize(m_columns.size());
    for (const auto& [name, type] : types) {
        qsizetype at = -1;
        for (qsizetype i = 0; i < m_columns.size() && at < 0; ++i) {
            if (m_columns[i].name == name)
                at = i;
        }
        if (at < 0)
            throw odbc::DbError(QStringLiteral("the table has no column %1").arg(name));
        m_types[at] = type.simplified();
    }
}

QString PlainDefinition::createStatement(const QString& table) const
{
    if (m_types.isEmpty()) {
        QList<QPair<QString, qint16>> columns;
        for (const SourceColumn& c : m_columns)
            columns.append({ c.name, c.adoType });
        return sql::plainCreateStatement(m_target, table, columns);
    }
    QString statement = m_target.createOpening(table);
    for (qsizetype i = 0; i < m_columns.size(); ++i)
        statement += m_types[i].isNull()
            ? m_target.plainColumnEntry(m_columns[i].name, m_columns[i].adoType)
            : m_target.quote(m_columns[i].name) + u' ' + m_types[i] + u',';
    sql::finishCreate(m_target, statement);
    return statement;
}

void PlainDefinition::beginLiteral(QString& statement, const QString& table) const
{
    // Every row's statement starts the same and is built in the same
    // buffer, which keeps the room the longest row needed.
    if (m_opening.isNull() || table != m_openingTable) {
        m_openingTable = table;
        m_opening = m_target.insertOpening(table);
    }
    statement.resize(0);
    statement += m_opening;
}

void PlainDefinition::appendLiteral(QString& statement, int, const odbc::Value& value) const
{
    static const odbc::Value empty = QStringLiteral("");
    sql::appendInsertValue(statement, db::NullDefault(value, empty));
}

bool PlainDefinition::finishLiteral(QString& statement, const QString&, const Row&) const
{
    sql::finishInsert(statement);
    return false;
}

QString PlainDefinition::markerInsert(const QString& table) const
{
    return m_target.markerInsert(table, int(m_columns.size()));
}

QList<bulk::ParameterBinding> PlainDefinition::parameters(bool narrowText) const
{
    const bool oracle = m_target.server() == sql::Server::Oracle;
    QList<bulk::ParameterBinding> bindings;
    for (const SourceColumn& c : m_columns) {
        const QString fragment = fragmentOf(m_target, c);
        if (fragment == QLatin1String(" INT,"))
            bindings.append({ SQL_C_CHAR, SQL_DECIMAL, 38, 0 });
        else if (fragment == QLatin1String(" DATE,"))
            bindings.append({ SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, 19, 0 });
        else if (fragment == QLatin1String(" FLOAT,"))
            bindings.append({ SQL_C_DOUBLE, SQL_DOUBLE, 15, 0 });
        else if (fragment == QLatin1String(" BLOB,"))
            bindings.append({ SQL_C_BINARY, SQL_LONGVARBINARY, 0, 0 });
        else if (!oracle && narrowText)
            bindings.append({ SQL_C_CHAR, SQL_VARCHAR, 0, 0 });
        else
            bindings.append({ SQL_C_WCHAR, SQL_WVARCHAR, 0, 0 });
    }
    return bindings;
}

void PlainDefinition::bind(const Row& row, Row& bound) const
{
    bound.resize(m_columns.size());
    for (qsizetype c = 0; c < m_columns.size(); ++c)
        bound[c] = sent(int(c), row[c]);
}

odbc::Value PlainDefinition::sent(int column, const odbc::Value& value) const
{
    // NULL wherever the window sends NULL: a Null value, empty text, no bytes.
    if (odbc::isNull(value) || isEmptyText(value))
        return odbc::Null();
    if (!m_asText[column] || value.typeId() == QMetaType::QString)
        return value; // text is its own value text
    QString text = sql::valueText(value);
    return text.isEmpty() ? odbc::Null() : odbc::Value(std::move(text));
}

QStringList PlainDefinition::shown(const Row& row) const
{
    QStringList values;
    for (const odbc::Value& v : row) {
        const QString text = sql::valueText(v);
        values << (text.isEmpty() ? QString() : text);
    }
    return values;
}

} // namespace tw::copy

namespace tw::copy {

const MappingRule PlainDefinition::emptyAsNull { QLatin1StringView("empty-as-null"),
    QLatin1StringView("an empty text or empty binary value is sent as NULL") };
const MappingRule PlainDefinition::binaryAsHex { QLatin1StringView("binary-as-hex"),
    QLatin1StringView("binary data in a text column arrives as hexadecimal text") };
const MappingRule PlainDefinition::singlePrecision { QLatin1StringView("single-precision"),
    QLatin1StringView("every number becomes a MySQL FLOAT, single precision") };
const MappingRule PlainDefinition::wholeSeconds { QLatin1StringView("whole-seconds"),
    QLatin1StringView("MySQL's DATETIME keeps whole seconds") };
const MappingRule PlainDefinition::belowOracleRange { QLatin1StringView("below-oracle-range"),
    QLatin1StringView("a number below Oracle's range (1e-130) arrives as 0") };

namespace {

// Oracle's NUMBER holds no magnitude below this but 0.
constexpr double oracleSmallest = 1e-130;

// A number as the server reads it into its FLOAT or DOUBLE column.
double doubleOf(const odbc::Value& value)
{
    if (value.typeId() == QMetaType::QString)
        return odbc::doubleOf(*static_cast<const QString*>(value.constData())).value_or(0);
    return value.toDouble();
}

// A timestamp without its fraction of a second: cut off, or rounded to the
// nearest second (which may be the next day).
odbc::SqlTimestamp wholeSecond(odbc::SqlTimestamp t, bool rounded)
{
    const bool up = rounded && t.fraction >= 500000000;
    t.fraction = 0;
    if (!up)
        return t;
    int seconds = (t.hour * 60 + t.minute) * 60 + t.second + 1;
    if (seconds == 24 * 60 * 60) {
        const QDate next = QDate(t.year, t.month, t.day).addDays(1);
        t.year = next.year();
        t.month = next.month();
        t.day = next.day();
        seconds = 0;
    }
    t.hour = seconds / 3600;
    t.minute = seconds / 60 % 60;
    t.second = seconds % 60;
    return t;
}

} // namespace

Kept PlainDefinition::kept(int column) const
{
    return m_kept.at(column);
}

Carried PlainDefinition::carried(int column, const odbc::Value& value) const
{
    Carried c;
    if (odbc::isNull(value) || isEmptyText(value)) {
        if (!odbc::isNull(value))
            c.rule = &emptyAsNull;
        return c;
    }
    switch (m_kept.at(column)) {
    case Kept::Text:
        if (value.typeId() == QMetaType::QByteArray) {
            c.value = sent(column, value);
            c.rule = &binaryAsHex;
            return c;
        }
        break;
    case Kept::Float32:
        // The server reads the value as a double, then keeps its float.
        c.value = float(doubleOf(value));
        c.rule = &singlePrecision;
        return c;
    case Kept::Float64:
        if (const double d = doubleOf(value); d != 0 && std::fabs(d) < oracleSmallest) {
            c.value = 0.0;
            c.rule = &belowOracleRange;
            return c;
        }
        break;
    case Kept::Timestamp:
        if (m_target.server() == sql::Server::MySQL
            && value.typeId() == qMetaTypeId<odbc::SqlTimestamp>()) {
            const auto& t = *static_cast<const odbc::SqlTimestamp*>(value.constData());
            if (t.fraction != 0) {
                c.value = QVariant::fromValue(wholeSecond(t, m_fractionsRounded));
                c.rule = &wholeSeconds;
                return c;
            }
        }
        break;
    case Kept::Number:
    case Kept::Duration:
    case Kept::Binary:
        break;
    }
    // A value a text column keeps as its value text stays as read: the
    // comparison reads it as that text.
    c.value = value;
    return c;
}

} // namespace tw::copy

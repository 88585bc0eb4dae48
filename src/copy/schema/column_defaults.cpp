#include "copy/schema/column_defaults.h"

#include "copy/exact/exact_values.h"
#include "odbc/value.h"

#include <QRegularExpression>

namespace tw::copy::schema {

namespace {

using catalog::ColumnDefault;
using odbc::Value;

// "YYYY-MM-DD[ HH:MM:SS[.f]]" as a date or a timestamp.
std::optional<Value> dateTimeValue(const QString& text)
{
    static const QRegularExpression form(
        QStringLiteral("^\\s*(-?\\d{1,4})-(\\d{1,2})-(\\d{1,2})(?:[ "
                       "T](\\d{1,2}):(\\d{1,2}):(\\d{1,2})(?:\\.(\\d{1,9}))?)?\\s*$"));
    const auto m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    if (m.captured(4).isEmpty())
        return QVariant::fromValue(
            odbc::SqlDate { m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt() });
    return QVariant::fromValue(odbc::SqlTimestamp { m.captured(1).toInt(), m.captured(2).toInt(),
        m.captured(3).toInt(), m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt(),
        m.captured(7).leftJustified(9, u'0').toUInt() });
}

// MySQL's "[-]HH:MM:SS[.f]" as a duration.
std::optional<Value> timeValue(const QString& text)
{
    static const QRegularExpression form(
        QStringLiteral("^\\s*(-)?(\\d{1,3}):(\\d{1,2}):(\\d{1,2})(?:\\.(\\d{1,9}))?\\s*$"));
    const auto m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    odbc::SqlTime t;
    t.negative = !m.captured(1).isEmpty();
    t.hour = m.captured(2).toInt();
    t.minute = m.captured(3).toInt();
    t.second = m.captured(4).toInt();
    t.fraction = m.captured(5).leftJustified(9, u'0').toUInt();
    return QVariant::fromValue(t);
}

// The constant as a value read from the source would be: the exact copy's
// check then takes it as it takes a row's value.
std::optional<Value> sourceValue(const QString& text, sql::Server from, const ExactColumn& target)
{
    switch (target.form) {
    case ValueForm::Date:
    case ValueForm::Timestamp:
    case ValueForm::TimestampText:
        return dateTimeValue(text);
    case ValueForm::Time:
        return from == sql::Server::MySQL ? timeValue(text) : Value(text);
    case ValueForm::Binary:
        if (from == sql::Server::Oracle)
            return Value(QByteArray::fromHex(text.toLatin1()));
        return Value(text.toUtf8());
    case ValueForm::Interval:
        if (from == sql::Server::MySQL)
            return timeValue(text);
        return Value(text);
    default:
        return Value(text);
    }
}

QString clockOf(const ExactColumn& target)
{
    if (target.server == sql::Server::Oracle) {
        if (target.form == ValueForm::Date)
            return QStringLiteral("SYSDATE");
        if (target.form == ValueForm::Timestamp)
            return QStringLiteral("SYSTIMESTAMP");
        return {};
    }
    if (target.form != ValueForm::Timestamp)
        return {};
    return target.fractionDigits == 0
        ? QStringLiteral("CURRENT_TIMESTAMP")
        : QStringLiteral("CURRENT_TIMESTAMP(%1)").arg(target.fractionDigits);
}

} // namespace

TargetDefault targetDefault(
    const ColumnDefault& source, sql::Server from, const ExactColumn& target)
{
    const QString written = source.text;
    switch (source.kind) {
    case ColumnDefault::Kind::Clock: {
        const QString clock = clockOf(target);
        if (clock.isEmpty())
            return { {},
                QStringLiteral("default %1 left out: %2 has no clock default")
                    .arg(written, target.type) };
        return { clock, {} };
    }
    case ColumnDefault::Kind::Expression:
        return { {},
            QStringLiteral("default %1 left out: only constants and the current time "
                           "are translated")
                .arg(written) };
    case ColumnDefault::Kind::Value:
        break;
    }
    const auto value = sourceValue(written, from, target);
    if (!value)
        return { {},
            QStringLiteral("default '%1' left out: not a value of %2").arg(written, target.type) };
    const ExactValue checked = checkValue(target, *value);
    if (checked.carry == Carry::Literal) {
        if (odbc::isNull(checked.value))
            return { {},
                QStringLiteral("default '%1' left out: Oracle keeps it as NULL").arg(written) };
        return { literalOf(target, checked), {} };
    }
    return { {}, QStringLiteral("default '%1' left out: %2").arg(written, checked.reason) };
}

} // namespace tw::copy::schema

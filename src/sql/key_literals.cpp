#include "sql/key_literals.h"

#include <QRegularExpression>

namespace tw::sql {

bool wellFormed(const KeyValue& value)
{
    static const QRegularExpression number(
        QStringLiteral("^[+-]?(\\d+(\\.\\d*)?|\\.\\d+)([eE][+-]?\\d+)?$"));
    static const QRegularExpression timestamp(
        QStringLiteral("^-?\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d(\\.\\d{1,9})?$"));
    static const QRegularExpression hex(QStringLiteral("^([0-9A-Fa-f]{2})*$"));
    switch (value.kind) {
    case KeyValue::Kind::Number:
        return number.match(value.text).hasMatch();
    case KeyValue::Kind::Timestamp:
        return timestamp.match(value.text).hasMatch();
    case KeyValue::Kind::Binary:
        return hex.match(value.text).hasMatch();
    case KeyValue::Kind::Text:
        return true;
    }
    return false;
}

} // namespace tw::sql

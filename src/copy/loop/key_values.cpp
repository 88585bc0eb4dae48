#include "copy/loop/key_values.h"

#include "odbc/value.h"
#include "sql/key_literals.h"
#include "sql/value_text.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>

namespace tw::copy {

using sql::KeyValue;

namespace {

constexpr char kinds[] = { 'n', 's', 't', 'b' };

KeyValue valueOf(const odbc::Value& v, bool numeric)
{
    const QString text = sql::valueText(v);
    switch (v.typeId()) {
    case QMetaType::QString: {
        KeyValue number { KeyValue::Kind::Number, text.trimmed() };
        if (numeric && sql::wellFormed(number))
            return number;
        return { KeyValue::Kind::Text, text };
    }
    case QMetaType::QByteArray:
        return { KeyValue::Kind::Binary, text };
    default:
        break;
    }
    if (v.typeId() == qMetaTypeId<odbc::SqlTimestamp>())
        return { KeyValue::Kind::Timestamp, text };
    if (v.typeId() == qMetaTypeId<odbc::SqlDate>())
        return { KeyValue::Kind::Timestamp, text + QStringLiteral(" 00:00:00") };
    KeyValue number { KeyValue::Kind::Number, text };
    return sql::wellFormed(number) ? number : KeyValue { KeyValue::Kind::Text, text };
}

} // namespace

QList<KeyValue> keyOf(const Row& row, const KeyColumns& key)
{
    QList<KeyValue> values;
    for (qsizetype i = 0; i < key.positions.size(); ++i)
        values << valueOf(row.at(key.positions[i]), key.numeric.value(i));
    return values;
}

QString keyText(const QList<KeyValue>& key)
{
    QJsonArray array;
    for (const KeyValue& v : key)
        array.append(QJsonArray { QString(QLatin1Char(kinds[int(v.kind)])), v.text });
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

std::optional<QList<KeyValue>> keyFromText(const QString& text)
{
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8());
    if (!doc.isArray())
        return std::nullopt;
    QList<KeyValue> key;
    for (const QJsonValue& item : doc.array()) {
        const QJsonArray pair = item.toArray();
        const QString kind = pair.at(0).toString();
        const char* found
            = kind.size() == 1 ? std::find(kinds, kinds + 4, kind.at(0).toLatin1()) : kinds + 4;
        const qsizetype k = found - kinds;
        if (pair.size() != 2 || k >= 4 || !pair.at(1).isString())
            return std::nullopt;
        key << KeyValue { KeyValue::Kind(k), pair.at(1).toString() };
    }
    return key;
}

} // namespace tw::copy

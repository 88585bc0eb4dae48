#include "compare/rows.h"

#include <QHash>
#include <cstring>

namespace tw::compare {

namespace {

template <typename T> void put(QByteArray& out, qsizetype at, T value)
{
    std::memcpy(out.data() + at, &value, sizeof value);
}

template <typename T> T get(const char* at)
{
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

} // namespace

RowEncoder::RowEncoder(QList<copy::Kept> kept, QList<int> key)
    : m_kept(std::move(kept))
    , m_key(std::move(key))
    , m_ends(m_kept.size())
{ }

int RowEncoder::ruleNumber(const copy::MappingRule* rule)
{
    for (std::size_t i = 0; i < rules.size(); ++i) {
        if (rules[i] == rule)
            return int(i + 1);
    }
    rules.push_back(rule);
    return int(rules.size());
}

void RowEncoder::encode(const copy::RowSource& row, QByteArray& record)
{
    const int width = int(m_kept.size());
    const bool keyless = m_key.isEmpty();
    record.resize(headerBytes);
    // Without a key the fields are the key, and go there at once.
    QByteArray& fields = keyless ? record : m_carried;
    // (Qt makes a new array for each resize of one never filled.)
    if (!m_carried.isEmpty())
        m_carried.resize(0);
    m_tail.resize(1);
    m_tail[0] = 0;
    QString refusal;
    for (int c = 0; c < width; ++c) {
        const qsizetype from = fields.size();
        if (!m_unchanged.isEmpty())
            m_unchanged.resize(0);
        const copy::MappingRule* rule = this->fields(c, row.value(c), fields, m_unchanged, refusal);
        m_ends[c] = fields.size();
        // A rule that left the value as it was changed nothing.
        if (rule && QByteArrayView(fields).sliced(from) == QByteArrayView(m_unchanged))
            rule = nullptr;
        m_tail.append(char(rule ? ruleNumber(rule) : 0));
        if (rule)
            m_tail.append(m_unchanged);
        if (!keyless)
            m_tail.append(fields.constData() + from, fields.size() - from);
    }
    if (!keyless) {
        for (const int c : std::as_const(m_key)) {
            const qsizetype from = c == 0 ? 0 : m_ends[c - 1];
            record.append(m_carried.constData() + from, m_ends[c] - from);
        }
    }
    if (!refusal.isEmpty()) {
        m_tail[0] = 1;
        QByteArray why;
        appendTextField(why, refusal);
        m_tail.insert(1, why);
    }
    const auto keySize = quint32(record.size() - headerBytes);
    record.append(m_tail);
    put(record, 0, quint32(record.size() - 4));
    put(record, 4, quint64(qHashBits(record.constData() + headerBytes, keySize, 0x5f3759df)));
    put(record, 12, keySize);
}

quint64 RowEncoder::hashOf(const QByteArray& record)
{
    return get<quint64>(record.constData() + 4);
}

SourceRows::SourceRows(const copy::TableDefinition& definition, int width, QList<int> key)
    : RowEncoder(
        [&] {
            QList<copy::Kept> kept;
            for (int c = 0; c < width; ++c)
                kept << definition.kept(c);
            return kept;
        }(),
        std::move(key))
    , m_definition(definition)
{ }

const copy::MappingRule* SourceRows::fields(int column, const odbc::Value& value,
    QByteArray& carried, QByteArray& unchanged, QString& refusal)
{
    const copy::Carried c = m_definition.carried(column, value);
    const copy::Kept kept = m_kept[column];
    appendField(carried, kept, c.value);
    if (!c.refusal.isEmpty() && refusal.isEmpty())
        refusal = c.refusal;
    if (c.rule)
        appendField(unchanged, unchangedKept(kept), value);
    return c.rule;
}

const copy::MappingRule* TargetRows::fields(
    int column, const odbc::Value& value, QByteArray& carried, QByteArray&, QString&)
{
    appendField(carried, m_kept[column], value);
    return nullptr;
}

qsizetype Record::sizeAt(const char* at)
{
    return 4 + qsizetype(get<quint32>(at));
}

void Record::read(const char* at, int width, bool keyless)
{
    hash = get<quint64>(at + 4);
    const auto keySize = get<quint32>(at + 12);
    const char* p = at + RowEncoder::headerBytes;
    key = QByteArrayView(p, keySize);
    const char* fromKey = p;
    p += keySize;
    refusal.clear();
    if (*p++) {
        const Field why = readField(p);
        refusal = QString::fromUtf8(why.bytes);
    }
    carried.resize(width);
    unchanged.resize(width);
    rule.resize(width);
    for (int c = 0; c < width; ++c) {
        rule[c] = static_cast<unsigned char>(*p++);
        Field before;
        if (rule[c])
            before = readField(p);
        carried[c] = readField(keyless ? fromKey : p);
        unchanged[c] = rule[c] ? before : carried[c];
    }
}

} // namespace tw::compare

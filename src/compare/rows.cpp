#include "compare/rows.h"

#include <QHash>
#include <array>
#include <cstring>

namespace tw::compare {

namespace {

template <typename T> void put(QByteArray& out, qsizetype at, T value)
{
    std::memcpy(out.data() + at, &value, sizeof value);
}

// One resize and a copy: QByteArray::append of bytes goes through insert's
// checks, a cost paid for every value of every row.
void appendRaw(QByteArray& out, QByteArrayView bytes)
{
    const qsizetype at = out.size();
    out.resize(at + bytes.size());
    if (!bytes.isEmpty())
        std::memcpy(out.data() + at, bytes.data(), bytes.size());
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
    , m_starts(m_kept.size())
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
    m_tail.resize(1);
    m_tail[0] = 0;
    QString refusal;
    for (int c = 0; c < width; ++c) {
        // (Qt makes a new array for each resize of one never filled.)
        if (!keyless && !m_carried.isEmpty())
            m_carried.resize(0);
        if (!m_unchanged.isEmpty())
            m_unchanged.resize(0);
        const qsizetype from = fields.size();
        const copy::MappingRule* rule = this->fields(c, row.value(c), fields, m_unchanged, refusal);
        const QByteArrayView carried = QByteArrayView(fields).sliced(from);
        // A rule that left the value as it was changed nothing.
        if (rule && carried == QByteArrayView(m_unchanged))
            rule = nullptr;
        m_tail.append(char(rule ? ruleNumber(rule) : 0));
        if (rule)
            appendRaw(m_tail, m_unchanged);
        if (!keyless) {
            m_ends[c] = m_tail.size() + carried.size();
            appendRaw(m_tail, carried);
            m_starts[c] = m_ends[c] - carried.size();
        }
    }
    if (!keyless) {
        for (const int c : std::as_const(m_key))
            appendRaw(record, QByteArrayView(m_tail).sliced(m_starts[c], m_ends[c] - m_starts[c]));
    }
    if (!refusal.isEmpty()) {
        m_tail[0] = 1;
        QByteArray why;
        appendTextField(why, refusal);
        m_tail.insert(1, why);
    }
    const auto keySize = quint32(record.size() - headerBytes);
    appendRaw(record, m_tail);
    put(record, 0, quint32(record.size() - 4));
    put(record, 4, hashOf(QByteArrayView(record).sliced(headerBytes, keySize)));
    put(record, 12, keySize);
}

quint64 RowEncoder::hashOf(QByteArrayView key)
{
    constexpr std::size_t seed = 0x5f3759df;
    if (key.size() >= 16)
        return qHashBits(key.data(), key.size(), seed);
    // Qt 6.4 hashes fewer than 16 bytes ten times slower than more: a short
    // key is hashed padded, with its size.
    std::array<char, 16> padded {};
    std::memcpy(padded.data(), key.data(), key.size());
    return qHashBits(padded.data(), padded.size(), seed + std::size_t(key.size()));
}

quint64 RowEncoder::hashIn(const QByteArray& record)
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
        appendUnchangedField(unchanged, kept, value);
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

#include "compare/matcher.h"

#include <algorithm>
#include <cstring>

namespace tw::compare {

namespace {

QByteArrayView keyAt(const char* record)
{
    quint32 size = 0;
    std::memcpy(&size, record + 12, sizeof size);
    return QByteArrayView(record + RowEncoder::headerBytes, size);
}

QString rows(qint64 n)
{
    return n == 1 ? QStringLiteral("1 time") : QStringLiteral("%1 times").arg(n);
}

} // namespace

Matcher::Matcher(const Table& table, Comparison& counts, ComparisonObserver& observer)
    : m_table(table)
    , m_counts(counts)
    , m_observer(observer)
{ }

QJsonObject Matcher::keyOf(const Record& row, bool source) const
{
    QJsonObject key;
    for (const int c : m_table.key)
        key.insert(m_table.columns[c], shownField(source ? row.unchanged[c] : row.carried[c]));
    return key;
}

QJsonObject Matcher::rowOf(const Record& row, bool source) const
{
    QJsonObject values;
    for (qsizetype c = 0; c < m_table.columns.size(); ++c)
        values.insert(m_table.columns[c], shownField(source ? row.unchanged[c] : row.carried[c]));
    return values;
}

bool Matcher::sameRow(const Record& source, const Record& target)
{
    for (std::size_t c = 0; c < source.carried.size(); ++c) {
        if (!(source.carried[c] == target.carried[c]))
            return false;
    }
    return true;
}

void Matcher::only(const Record& row, bool source, const QString& reason)
{
    if (!source && m_table.targetSubset)
        return;
    ++(source ? m_counts.onlyInSource : m_counts.onlyInTarget);
    if (!m_observer.wantsDifference())
        return;
    Difference d;
    d.kind = source ? Difference::Kind::OnlyInSource : Difference::Kind::OnlyInTarget;
    d.key = keyOf(row, source);
    d.row = rowOf(row, source);
    d.reason = reason;
    m_observer.difference(m_table.name, d);
}

void Matcher::pair(const Record& source, const Record& target, qint64 rows)
{
    bool changed = false;
    for (std::size_t c = 0; c < source.carried.size(); ++c) {
        const Field& is = target.carried[c];
        if (is == source.unchanged[c])
            continue;
        const int rule = source.rule[c];
        if (rule && is == source.carried[c]) {
            if (m_declared.size() < std::size_t(rule))
                m_declared.resize(rule);
            m_declared[rule - 1] += rows;
            continue;
        }
        changed = true;
        ++m_counts.changedValues;
        if (!m_observer.wantsDifference())
            continue;
        Difference d;
        d.kind = Difference::Kind::Changed;
        d.key = keyOf(source, true);
        d.column = m_table.columns[int(c)];
        d.source = shownField(source.unchanged[c]);
        d.target = shownField(is);
        if (rule)
            d.reason = QStringLiteral("changed, and not as the mapping declares: its rule %1 (%2) "
                                      "makes the value %3")
                           .arg(m_table.rules[rule - 1]->name, m_table.rules[rule - 1]->what,
                               shownField(source.carried[c]).toString(QStringLiteral("NULL")));
        else if (m_table.exact)
            d.reason = QStringLiteral("changed, and an exact copy changes no value");
        else
            d.reason
                = QStringLiteral("changed, and no rule of the plain mapping changes this value");
        m_observer.difference(m_table.name, d);
    }
    if (changed)
        ++m_counts.changedRows;
}

void Matcher::match(const QByteArray& source, const QByteArray& target)
{
    const char* base[2] = { source.constData(), target.constData() };
    m_entries.clear();
    for (quint32 side : { 0u, 1u }) {
        const QByteArray& bytes = side == 0 ? source : target;
        for (qsizetype at = 0; at < bytes.size(); at += Record::sizeAt(bytes.constData() + at)) {
            quint64 hash = 0;
            std::memcpy(&hash, bytes.constData() + at + 4, sizeof hash);
            m_entries.push_back({ hash, quint32(at), side });
        }
    }
    auto keyOfEntry = [&](const Entry& e) { return keyAt(base[e.side] + e.offset); };
    std::sort(m_entries.begin(), m_entries.end(), [&](const Entry& a, const Entry& b) {
        if (a.hash != b.hash)
            return a.hash < b.hash;
        const int order = keyOfEntry(a).compare(keyOfEntry(b));
        if (order != 0)
            return order < 0;
        return a.side != b.side ? a.side < b.side : a.offset < b.offset;
    });

    const int width = int(m_table.columns.size());
    const bool keyless = m_table.key.isEmpty();
    std::vector<Record> sources;
    std::vector<Record> targets;
    for (std::size_t i = 0; i < m_entries.size();) {
        std::size_t j = i + 1;
        while (j < m_entries.size() && m_entries[j].hash == m_entries[i].hash
            && keyOfEntry(m_entries[j]) == keyOfEntry(m_entries[i]))
            ++j;
        std::size_t s = 0;
        std::size_t t = 0;
        for (std::size_t k = i; k < j; ++k)
            ++(m_entries[k].side == 0 ? s : t);
        // A source row without a rule's change or a refusal whose record
        // after the key is the target's, byte for byte, is that row.
        bool alike = s == 1 && t == 1 && [&] {
            const char* a = base[0] + m_entries[i].offset;
            const char* b = base[1] + m_entries[i + 1].offset;
            const qsizetype size = Record::sizeAt(a);
            return size == Record::sizeAt(b) && std::memcmp(a + 12, b + 12, size - 12) == 0;
        }();
        // Without a key, rows of equal keys are equal rows: the rules that
        // changed the source's on the way count as many times as both have it.
        if (!alike && keyless && s == t) {
            countRules(base[0] + m_entries[i].offset, qint64(s));
            alike = true;
        }
        // A pair whose every value is the source's as the copy carries it.
        if (!alike && !keyless && s == 1 && t == 1)
            alike = carriedAlike(base[0] + m_entries[i].offset, base[1] + m_entries[i + 1].offset);
        for (std::size_t k = i, n[2] = { 0, 0 }; k < j && !alike; ++k) {
            const Entry& e = m_entries[k];
            std::vector<Record>& into = e.side == 0 ? sources : targets;
            if (into.size() <= n[e.side])
                into.resize(n[e.side] + 1);
            // Rows alike in a table without a key are read once.
            if (!(keyless && n[e.side] > 0))
                into[n[e.side]].read(base[e.side] + e.offset, width, keyless);
            ++n[e.side];
        }
        i = j;
        if (alike)
            continue;

        if (s == 1 && t == 1) {
            pair(sources[0], targets[0]);
        } else if (keyless) {
            const qint64 both = qint64(std::min(s, t));
            if (both > 0)
                pair(sources[0], targets[0], both);
            const QString why = s == 0 ? QStringLiteral("the source has no such row")
                : t == 0               ? QStringLiteral("the target has no such row")
                         : QStringLiteral("the source holds this row %1, the target %2")
                               .arg(rows(qint64(s)), rows(qint64(t)));
            for (std::size_t k = both; k < s; ++k)
                only(sources[0], true,
                    sources[0].refusal.isEmpty()
                        ? why
                        : QStringLiteral("the copy refuses this row: ") + sources[0].refusal);
            for (std::size_t k = both; k < t; ++k)
                only(targets[0], false, why);
        } else if (t == 0) {
            for (std::size_t k = 0; k < s; ++k)
                only(sources[k], true,
                    sources[k].refusal.isEmpty()
                        ? QStringLiteral("the target has no row with this key")
                        : QStringLiteral("the copy refuses this row: ") + sources[k].refusal);
        } else if (s == 0) {
            for (std::size_t k = 0; k < t; ++k)
                only(targets[k], false, QStringLiteral("the source has no row with this key"));
        } else {
            // Several rows of a key: those of the same values pair off.
            std::vector<bool> taken(t, false);
            const QString why
                = QStringLiteral("%1 rows of the source and %2 of the target have this key, and "
                                 "none of the other side holds this row's values")
                      .arg(s)
                      .arg(t);
            for (std::size_t a = 0; a < s; ++a) {
                std::size_t b = 0;
                while (b < t && (taken[b] || !sameRow(sources[a], targets[b])))
                    ++b;
                if (b < t) {
                    taken[b] = true;
                    pair(sources[a], targets[b]);
                } else {
                    only(sources[a], true, why);
                }
            }
            for (std::size_t b = 0; b < t; ++b) {
                if (!taken[b])
                    only(targets[b], false, why);
            }
        }
    }
}

bool Matcher::carriedAlike(const char* source, const char* target)
{
    auto tail = [](const char* record) {
        quint32 keySize = 0;
        std::memcpy(&keySize, record + 12, sizeof keySize);
        const char* p = record + RowEncoder::headerBytes + keySize;
        if (*p++)
            readField(p);
        return p;
    };
    const char* s = tail(source);
    const char* t = tail(target);
    m_rules.clear();
    for (qsizetype c = 0; c < m_table.columns.size(); ++c) {
        const int rule = static_cast<unsigned char>(*s++);
        ++t; // a target's value has no rule
        if (rule) {
            readField(s);
            m_rules.push_back(rule);
        }
        if (!(readField(s) == readField(t)))
            return false;
    }
    for (const int rule : m_rules) {
        if (m_declared.size() < std::size_t(rule))
            m_declared.resize(rule);
        ++m_declared[rule - 1];
    }
    return true;
}

void Matcher::countRules(const char* record, qint64 rows)
{
    quint32 keySize = 0;
    std::memcpy(&keySize, record + 12, sizeof keySize);
    const char* p = record + RowEncoder::headerBytes + keySize;
    if (*p++)
        readField(p);
    for (qsizetype c = 0; c < m_table.columns.size(); ++c) {
        const int rule = static_cast<unsigned char>(*p++);
        if (!rule)
            continue;
        readField(p);
        if (m_declared.size() < std::size_t(rule))
            m_declared.resize(rule);
        m_declared[rule - 1] += rows;
    }
}

void Matcher::finish()
{
    m_counts.declared.clear();
    for (std::size_t r = 0; r < m_declared.size() && r < m_table.rules.size(); ++r) {
        if (m_declared[r] > 0)
            m_counts.declared.append({ QString(m_table.rules[r]->name), m_declared[r] });
    }
}

} // namespace tw::compare

#pragma once

#include "compare/comparison.h"
#include "compare/rows.h"

#include <QByteArray>
#include <vector>

namespace tw::compare {

// Matches the two sides' records of one partition by their key and tells
// what differs. A key that one row of each side holds is a pair, compared
// value by value: alike, changed by the rule the mapping applied to that
// value, or changed otherwise. A key that several rows hold (whole rows of
// a table without a key, or keys the mapping made collide) is compared as
// a multiset: rows of equal values pair off, the rest stand on one side.
class Matcher {
public:
    struct Table {
        QString name;
        QStringList columns; // the source's names
        QList<int> key; // the key's columns, in key order; empty: whole rows
        bool exact = false; // an exact copy, which changes no value
        std::vector<const copy::MappingRule*> rules; // by number - 1
        bool targetSubset = false; // rows only in the target are not counted
    };
    Matcher(const Table& table, Comparison& counts, ComparisonObserver& observer);

    void match(const QByteArray& source, const QByteArray& target);
    // The rules' counts, into the comparison.
    void finish();

private:
    struct Entry {
        quint64 hash;
        quint32 offset;
        quint32 side; // 0 source, 1 target
    };
    void pair(const Record& source, const Record& target, qint64 rows = 1);
    // The rules that changed a row of a table without a key, `rows` times.
    void countRules(const char* record, qint64 rows);
    // Whether every value of a keyed pair is the source's as the copy
    // carries it; then the rules that changed them are counted.
    bool carriedAlike(const char* source, const char* target);
    void only(const Record& row, bool source, const QString& reason);
    QJsonObject keyOf(const Record& row, bool source) const;
    QJsonObject rowOf(const Record& row, bool source) const;
    static bool sameRow(const Record& source, const Record& target);

    const Table& m_table;
    Comparison& m_counts;
    ComparisonObserver& m_observer;
    std::vector<qint64> m_declared; // by rule number - 1
    std::vector<Entry> m_entries;
    std::vector<int> m_rules;
};

} // namespace tw::compare

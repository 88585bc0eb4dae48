#pragma once

#include "compare/canonical.h"
#include "copy/loop/row_source.h"
#include "copy/loop/table_definition.h"

#include <QByteArray>
#include <vector>

namespace tw::compare {

// A row of either side as one record of bytes, by which the two sides are
// spilled, matched and compared:
//
//   u32 size of what follows | u64 hash of the key | u32 key size | key |
//   u8 1 when the copy refuses the row, then why (a text field) |
//   per column: u8 rule (0: none, else its number + 1), the unchanged value's
//   field when there is a rule, then (keyed tables only) the value's field
//
// The key is the fields of the key columns in key order, or of every column
// in a table compared as a multiset of whole rows (whose fields then stand
// only there). A source row's fields hold its values as the copy carries
// them into the target (TableDefinition::carried); a target row's, its
// values as read. Both in what each target column keeps (copy::Kept).
class RowEncoder {
public:
    // `key`: the key's columns (from 0) in key order; empty: every column.
    RowEncoder(QList<copy::Kept> kept, QList<int> key);
    virtual ~RowEncoder() = default;

    // The record of the row `row` stands on, made anew in `record`. Throws
    // what reading a value throws.
    void encode(const copy::RowSource& row, QByteArray& record);

    // The hash a record holds, and the hash of a key.
    static quint64 hashIn(const QByteArray& record);
    static quint64 hashOf(QByteArrayView key);
    static constexpr qsizetype headerBytes = 4 + 8 + 4;

    // The rules met, in the order of their numbers.
    std::vector<const copy::MappingRule*> rules;

protected:
    // One value's fields: its carried field into `carried`; the rule that
    // changed it, and its unchanged field into `unchanged` when one did.
    virtual const copy::MappingRule* fields(int column, const odbc::Value& value,
        QByteArray& carried, QByteArray& unchanged, QString& refusal)
        = 0;

    QList<copy::Kept> m_kept;

private:
    // The number (from 1) of a rule in rules().
    int ruleNumber(const copy::MappingRule* rule);

    QList<int> m_key;
    QByteArray m_carried; // a column's field, before it goes into the tail
    // Where each column's field starts and ends in the tail (keyed tables).
    std::vector<qsizetype> m_starts;
    std::vector<qsizetype> m_ends;
    QByteArray m_unchanged;
    QByteArray m_tail;
};

// The source's rows, as the copy carries them.
class SourceRows : public RowEncoder {
public:
    SourceRows(const copy::TableDefinition& definition, int width, QList<int> key);

protected:
    const copy::MappingRule* fields(int column, const odbc::Value& value, QByteArray& carried,
        QByteArray& unchanged, QString& refusal) override;

private:
    const copy::TableDefinition& m_definition;
};

// The target's rows, as read.
class TargetRows : public RowEncoder {
public:
    using RowEncoder::RowEncoder;

protected:
    const copy::MappingRule* fields(int column, const odbc::Value& value, QByteArray& carried,
        QByteArray& unchanged, QString& refusal) override;
};

// A record read back.
struct Record {
    quint64 hash = 0;
    QByteArrayView key;
    QString refusal; // why the copy refuses the row; empty when it does not
    std::vector<Field> carried; // each column's value
    std::vector<Field> unchanged; // before a rule changed it: the same otherwise
    std::vector<int> rule; // the rule's number, 0 for none

    // Reads the record at `at` of a table of `width` columns; `keyless`:
    // its fields stand in the key.
    void read(const char* at, int width, bool keyless);
    // The size of the record at `at`, its size field included.
    static qsizetype sizeAt(const char* at);
};

} // namespace tw::compare

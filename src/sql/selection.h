#pragma once

#include <QString>
#include <QStringList>

namespace tw::sql {

// One value of a key as a statement writes it: what kind of literal it
// becomes and its text (numbers as their digits, a date and time as
// YYYY-MM-DD HH:MM:SS[.fffffffff], binary data as hex, text as it is).
struct KeyValue {
    enum class Kind { Number, Text, Timestamp, Binary };
    Kind kind = Kind::Text;
    QString text;
    bool operator==(const KeyValue&) const = default;
};

// Which rows of a source table a copy reads, and in what order: the
// columns (all when none are named), the rows a condition in the source's
// own SQL keeps, one part of the rows split by a hash of the key, and the
// rows after a key, in key order. Every part is a condition of its own, so
// that any of them may be left out.
struct RowSelection {
    QString table;
    QStringList columns; // in this order; empty: every column
    QString where; // as the user wrote it, sent as written
    QStringList key; // the key's columns; required by what follows
    bool ordered = false; // ORDER BY the key
    QList<KeyValue> after; // only rows whose key sorts after this one
    int part = 0; // from 1, with `parts`
    int parts = 0; // 0: no split

    bool wholeTable() const
    {
        return columns.isEmpty() && where.isEmpty() && parts == 0 && !ordered;
    }
};

} // namespace tw::sql

#pragma once

#include "copy/loop/row_source.h"
#include "sql/selection.h"

#include <QList>
#include <QString>

namespace tw::copy {

// Where a table's key stands among the columns read, and which of its
// columns are numbers (a number read as its digits is still compared as a
// number).
struct KeyColumns {
    QList<int> positions;
    QList<bool> numeric;
    bool isEmpty() const { return positions.isEmpty(); }
};

// The key of a row read, as statements write it.
QList<sql::KeyValue> keyOf(const Row& row, const KeyColumns& key);

// A key as one line of JSON, and back: [["n","42"],["s","abc"]]. Answers
// nothing for text that is no such line.
QString keyText(const QList<sql::KeyValue>& key);
std::optional<QList<sql::KeyValue>> keyFromText(const QString& text);

} // namespace tw::copy

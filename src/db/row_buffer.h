#pragma once

#include "odbc/value.h"

#include <QByteArray>
#include <QList>
#include <deque>

namespace tw::db {

// Rows read ahead, packed tightly: text as UTF-8, numbers and dates as their
// bytes. A result read ahead to learn its row count costs about the size of
// its data rather than a QVariant and a UTF-16 string per value, and the
// memory goes back block by block as the rows are taken.
class RowBuffer {
public:
    // Rows are packed into blocks of about this many bytes.
    explicit RowBuffer(qsizetype blockBytes = 1 << 20)
        : m_blockBytes(blockBytes)
    { }
    void append(const QList<odbc::Value>& row);
    // Takes the oldest row; false when none is left.
    bool takeFront(QList<odbc::Value>& row, qsizetype columns);
    qint64 size() const { return m_rows; }
    void clear();

private:
    qsizetype m_blockBytes;
    std::deque<QByteArray> m_blocks;
    qsizetype m_readOffset = 0;
    qint64 m_rows = 0;
};

} // namespace tw::db

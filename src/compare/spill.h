#pragma once

#include "copy/loop/function_ref.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <array>
#include <memory>

namespace tw::compare {

// One side's records spread over `fanout` partitions by six bits of their
// key's hash (bits 6 × level up), so that the rows of one key land in the
// same partition on both sides and a partition of each can be compared
// alone. A partition is held in memory up to `bufferBytes`, then goes on
// in a file of its own, `path` and its number: memory stays bounded
// however many rows come.
class Spill {
public:
    static constexpr int fanout = 64;
    static constexpr int levels = 10; // of six bits each, of the 64-bit hash

    Spill(QString path, int level, qint64 bufferBytes);
    ~Spill();
    Spill(const Spill&) = delete;
    Spill& operator=(const Spill&) = delete;

    int level() const { return m_level; }
    qint64 bufferBytes() const { return m_bufferBytes; }
    // Takes a record (see rows.h) into its partition. Throws DbError when its
    // file cannot be written.
    void add(const QByteArray& record);
    qint64 bytes(int partition) const;
    qint64 records(int partition) const { return m_parts[partition].records; }

    // The partition's records, all in memory, and then nothing of it kept.
    QByteArray take(int partition);
    // Each record of the partition in turn, a piece of its file at a time;
    // then nothing of it kept.
    void drain(int partition, copy::FunctionRef<void(const QByteArray& record)> each);

private:
    struct Part {
        QByteArray buffer;
        std::unique_ptr<QFile> file;
        qint64 fileBytes = 0;
        qint64 records = 0;
    };
    void flush(Part& part, int partition);
    void drop(Part& part);

    QString m_path;
    int m_level;
    qint64 m_bufferBytes;
    std::array<Part, fanout> m_parts;
};

} // namespace tw::compare

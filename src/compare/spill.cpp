#include "compare/spill.h"

#include "compare/rows.h"
#include "odbc/error.h"

#include <cstring>

namespace tw::compare {

namespace {

// A drained file is read in pieces of about this many bytes.
constexpr qint64 pieceBytes = 1 << 20;

[[noreturn]] void fail(const QFile& file, const char* doing)
{
    throw odbc::DbError(QStringLiteral("Could not %1 the comparison's file %2: %3")
                            .arg(QLatin1String(doing), file.fileName(), file.errorString()));
}

} // namespace

Spill::Spill(QString path, int level, qint64 bufferBytes)
    : m_path(std::move(path))
    , m_level(level)
    , m_bufferBytes(bufferBytes)
{ }

Spill::~Spill()
{
    for (Part& part : m_parts)
        drop(part);
}

void Spill::add(const QByteArray& record)
{
    const int partition = int(RowEncoder::hashIn(record) >> (6 * m_level)) & (fanout - 1);
    Part& part = m_parts[partition];
    const qsizetype at = part.buffer.size();
    part.buffer.resize(at + record.size());
    std::memcpy(part.buffer.data() + at, record.constData(), record.size());
    ++part.records;
    if (part.buffer.size() >= m_bufferBytes)
        flush(part, partition);
}

void Spill::flush(Part& part, int partition)
{
    if (!part.file) {
        part.file = std::make_unique<QFile>(m_path + QStringLiteral("-%1").arg(partition));
        if (!part.file->open(QIODevice::ReadWrite | QIODevice::Truncate | QIODevice::Unbuffered))
            fail(*part.file, "make");
    }
    if (part.file->write(part.buffer) != part.buffer.size())
        fail(*part.file, "write");
    part.fileBytes += part.buffer.size();
    part.buffer.resize(0);
}

void Spill::drop(Part& part)
{
    if (part.file) {
        part.file->close();
        part.file->remove();
        part.file.reset();
    }
    part.buffer = QByteArray();
    part.fileBytes = 0;
    part.records = 0;
}

qint64 Spill::bytes(int partition) const
{
    return m_parts[partition].fileBytes + m_parts[partition].buffer.size();
}

QByteArray Spill::take(int partition)
{
    Part& part = m_parts[partition];
    QByteArray all;
    if (part.file) {
        all.reserve(bytes(partition));
        part.file->seek(0);
        all = part.file->read(part.fileBytes);
        if (all.size() != part.fileBytes)
            fail(*part.file, "read");
        all.append(part.buffer);
    } else {
        all = std::move(part.buffer);
    }
    drop(part);
    return all;
}

void Spill::drain(int partition, copy::FunctionRef<void(const QByteArray& record)> each)
{
    Part& part = m_parts[partition];
    QByteArray piece;
    QByteArray record;
    auto records = [&](const QByteArray& bytes, qsizetype& at) {
        while (bytes.size() - at >= 4) {
            const qsizetype size = Record::sizeAt(bytes.constData() + at);
            if (bytes.size() - at < size)
                break;
            record = bytes.mid(at, size);
            each(record);
            at += size;
        }
    };
    if (part.file) {
        part.file->seek(0);
        qint64 left = part.fileBytes;
        while (left > 0) {
            const QByteArray read = part.file->read(std::min(left, pieceBytes));
            if (read.isEmpty())
                fail(*part.file, "read");
            left -= read.size();
            piece.append(read);
            qsizetype at = 0;
            records(piece, at);
            piece.remove(0, at);
        }
    }
    piece.append(part.buffer);
    qsizetype at = 0;
    records(piece, at);
    drop(part);
}

} // namespace tw::compare

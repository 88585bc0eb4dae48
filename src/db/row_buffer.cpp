#include "db/row_buffer.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <cstring>
#include <stdexcept>

namespace tw::db {

namespace {
enum Tag : char {
    TNull,
    TBool,
    TInt,
    TUInt,
    TFloat,
    TDouble,
    TText,
    TBytes,
    TDate,
    TTime,
    TStamp,
    TText16 // text that UTF-8 cannot carry (a lone surrogate), as it came
};

template <typename T> void put(QByteArray& out, const T& v)
{
    out.append(reinterpret_cast<const char*>(&v), sizeof v);
}

template <typename T> T get(const char*& p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    p += sizeof v;
    return v;
}

void putBytes(QByteArray& out, Tag tag, const QByteArray& bytes)
{
    out.append(char(tag));
    put(out, qint64(bytes.size()));
    out.append(bytes);
}

void encode(QByteArray& out, const odbc::Value& v)
{
    switch (v.typeId()) {
    case QMetaType::UnknownType:
        out.append(char(TNull));
        return;
    case QMetaType::Bool:
        out.append(char(TBool));
        out.append(char(v.toBool()));
        return;
    case QMetaType::LongLong:
        out.append(char(TInt));
        put(out, v.toLongLong());
        return;
    case QMetaType::ULongLong:
        out.append(char(TUInt));
        put(out, v.toULongLong());
        return;
    case QMetaType::Float:
        out.append(char(TFloat));
        put(out, v.toFloat());
        return;
    case QMetaType::Double:
        out.append(char(TDouble));
        put(out, v.toDouble());
        return;
    case QMetaType::QString: {
        // Encoded straight into the block, with no string of its own.
        const QString& text = *static_cast<const QString*>(v.constData());
        QStringEncoder utf8(QStringEncoder::Utf8, QStringConverter::Flag::Stateless);
        out.append(char(TText));
        const qsizetype lengthAt = out.size();
        put(out, qint64(0));
        const qsizetype at = out.size();
        out.resize(at + utf8.requiredSpace(text.size()));
        const char* end = utf8.appendToBuffer(out.data() + at, text);
        if (utf8.hasError()) {
            out.resize(lengthAt - 1);
            putBytes(out, TText16,
                QByteArray(reinterpret_cast<const char*>(text.utf16()),
                    text.size() * qsizetype(sizeof(char16_t))));
            return;
        }
        const qint64 length = end - (out.constData() + at);
        std::memcpy(out.data() + lengthAt, &length, sizeof length);
        out.resize(at + qsizetype(length));
        return;
    }
    case QMetaType::QByteArray:
        putBytes(out, TBytes, v.toByteArray());
        return;
    default:
        break;
    }
    if (v.metaType() == QMetaType::fromType<odbc::SqlDate>()) {
        out.append(char(TDate));
        put(out, v.value<odbc::SqlDate>());
    } else if (v.metaType() == QMetaType::fromType<odbc::SqlTime>()) {
        out.append(char(TTime));
        put(out, v.value<odbc::SqlTime>());
    } else if (v.metaType() == QMetaType::fromType<odbc::SqlTimestamp>()) {
        out.append(char(TStamp));
        put(out, v.value<odbc::SqlTimestamp>());
    } else {
        throw std::logic_error("a value of a type the data access layer does not make");
    }
}

odbc::Value decode(const char*& p)
{
    const Tag tag = Tag(*p++);
    switch (tag) {
    case TNull:
        return odbc::Null();
    case TBool:
        return bool(*p++);
    case TInt:
        return get<qint64>(p);
    case TUInt:
        return get<quint64>(p);
    case TFloat:
        return get<float>(p);
    case TDouble:
        return get<double>(p);
    case TText: {
        const qint64 n = get<qint64>(p);
        // fromUtf8 would drop a leading U+FEFF as a byte order mark.
        QStringDecoder utf8(QStringDecoder::Utf8,
            QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
        const QString s = utf8(QByteArrayView(p, qsizetype(n)));
        p += n;
        return s;
    }
    case TText16: {
        const qint64 n = get<qint64>(p);
        QString s(qsizetype(n) / qsizetype(sizeof(char16_t)), Qt::Uninitialized);
        std::memcpy(s.data(), p, size_t(n));
        p += n;
        return s;
    }
    case TBytes: {
        const qint64 n = get<qint64>(p);
        const QByteArray b(p, qsizetype(n));
        p += n;
        return b;
    }
    case TDate:
        return QVariant::fromValue(get<odbc::SqlDate>(p));
    case TTime:
        return QVariant::fromValue(get<odbc::SqlTime>(p));
    case TStamp:
        return QVariant::fromValue(get<odbc::SqlTimestamp>(p));
    }
    throw std::logic_error("corrupt row buffer");
}
} // namespace

void RowBuffer::append(const QList<odbc::Value>& row)
{
    if (m_blocks.empty() || m_blocks.back().size() >= m_blockBytes) {
        m_blocks.emplace_back();
        m_blocks.back().reserve(m_blockBytes + 4096);
    }
    for (const odbc::Value& v : row)
        encode(m_blocks.back(), v);
    ++m_rows;
}

bool RowBuffer::takeFront(QList<odbc::Value>& row, qsizetype columns)
{
    if (m_rows == 0)
        return false;
    const QByteArray& block = m_blocks.front();
    const char* p = block.constData() + m_readOffset;
    row.clear();
    row.reserve(columns);
    for (qsizetype c = 0; c < columns; ++c)
        row.append(decode(p));
    m_readOffset = p - block.constData();
    --m_rows;
    if (m_readOffset >= block.size()) {
        m_blocks.pop_front();
        m_readOffset = 0;
    }
    return true;
}

void RowBuffer::clear()
{
    m_blocks.clear();
    m_readOffset = 0;
    m_rows = 0;
}

} // namespace tw::db

#pragma once
// Little-endian reading of metafile bytes, the one place where their bounds are checked: every
// read, skip and sub-range is tested against the range it reads from, and a count of items is
// tested against the bytes that remain before anything is allocated for it. A failed test
// throws EMetafileRecordError, which ends the record being played (the player skips it).

#include <QByteArray>
#include <QPointF>
#include <QPolygonF>
#include <cstdint>
#include <cstring>
#include <stdexcept>

class EMetafileRecordError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A view of bytes owned elsewhere; copies are cheap and share the bytes.
class TByteReader
{
public:
    TByteReader() = default;
    TByteReader(const char *data, qint64 size) : m_data(data), m_size(size) {}
    explicit TByteReader(const QByteArray &bytes) : TByteReader(bytes.constData(), bytes.size()) {}

    qint64 Size() const { return m_size; }
    qint64 Position() const { return m_position; }
    qint64 Remaining() const { return m_size - m_position; }
    bool AtEnd() const { return m_position >= m_size; }

    void Seek(qint64 position);
    void Skip(qint64 count);

    quint8 U8() { return Read<quint8>(); }
    quint16 U16() { return Read<quint16>(); }
    qint16 S16() { return Read<qint16>(); }
    quint32 U32() { return Read<quint32>(); }
    qint32 S32() { return Read<qint32>(); }
    float F32() { return Read<float>(); }

    // The next `length` bytes as a reader of their own; this reader moves past them.
    TByteReader Take(qint64 length);
    // `length` bytes at `offset` from the start of this reader; the position stays.
    TByteReader At(qint64 offset, qint64 length) const;
    // `count` items of `itemBytes` each, all of which must fit in what remains.
    qint64 Count(qint64 count, qint64 itemBytes) const;

    // The viewed bytes, copied.
    QByteArray Bytes() const { return QByteArray(m_data, static_cast<qsizetype>(m_size)); }

    // Points as the formats store them: pairs of 16-bit or of 32-bit signed coordinates.
    QPolygonF Points16(qint64 count);
    QPolygonF Points32(qint64 count);

private:
    void Require(qint64 bytes) const;

    template <typename TCoordinate> QPolygonF Points(qint64 count);

    template <typename T> T Read()
    {
        Require(sizeof(T));
        T value;
        std::memcpy(&value, m_data + m_position, sizeof(T));
        m_position += sizeof(T);
        return value;
    }

    const char *m_data = nullptr;
    qint64 m_size = 0;
    qint64 m_position = 0;
};

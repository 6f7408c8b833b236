#include "engine/picture/MetafileBytes.h"

// Values are copied as they lie in memory: the formats are little-endian, and so are the
// machines the program runs on.
static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "metafiles are read on little-endian machines");

void TByteReader::Require(qint64 bytes) const
{
    if (bytes < 0 || bytes > Remaining())
        throw EMetafileRecordError("a metafile record is shorter than its contents claim");
}

void TByteReader::Seek(qint64 position)
{
    if (position < 0 || position > m_size)
        throw EMetafileRecordError("a metafile offset points outside its record");
    m_position = position;
}

void TByteReader::Skip(qint64 count)
{
    Require(count);
    m_position += count;
}

TByteReader TByteReader::Take(qint64 length)
{
    Require(length);
    const TByteReader part(m_data + m_position, length);
    m_position += length;
    return part;
}

TByteReader TByteReader::At(qint64 offset, qint64 length) const
{
    if (offset < 0 || length < 0 || offset > m_size || length > m_size - offset)
        throw EMetafileRecordError("a metafile offset points outside its record");
    return TByteReader(m_data + offset, length);
}

qint64 TByteReader::Count(qint64 count, qint64 itemBytes) const
{
    if (count < 0 || itemBytes <= 0 || count > Remaining() / itemBytes)
        throw EMetafileRecordError("a metafile record counts more items than it holds");
    return count;
}

template <typename TCoordinate> QPolygonF TByteReader::Points(qint64 count)
{
    QPolygonF points;
    points.reserve(Count(count, 2 * sizeof(TCoordinate)));
    for (qint64 i = 0; i < count; ++i) {
        const TCoordinate x = Read<TCoordinate>();
        points.append(QPointF(x, Read<TCoordinate>()));
    }
    return points;
}

QPolygonF TByteReader::Points16(qint64 count)
{
    return Points<qint16>(count);
}

QPolygonF TByteReader::Points32(qint64 count)
{
    return Points<qint32>(count);
}

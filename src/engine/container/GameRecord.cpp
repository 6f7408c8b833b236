#include "engine/container/GameRecord.h"

#include "engine/container/PuzzleDocumentLimits.h"
#include "platform/Platform.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace
{

const QByteArray Magic = QByteArrayLiteral("TESSALUNE-GAME-RECORD 1\n");
const QByteArray ChecksumKey = QByteArrayLiteral("sha256 ");
constexpr qsizetype HashHexBytes = 64;
// "sha256 " + the hash + "\n".
constexpr qsizetype ChecksumLineBytes = 7 + HashHexBytes + 1;
// Room for the header's lines: a path of a few thousand characters percent-encoded.
constexpr qsizetype MaxHeaderBytes = 64 * 1024;
const QString NewestSuffix = QStringLiteral(".game");
const QString FallbackSuffix = QStringLiteral(".game.prev");

QByteArray Sha256Hex(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

// The value of the header line "key value" at pos, leaving pos after its line feed; null when
// the line is not that key's.
std::optional<QByteArray> HeaderValue(const QByteArray &bytes, qsizetype &pos, const char *key)
{
    const QByteArray prefix = QByteArray(key) + ' ';
    const qsizetype end = bytes.indexOf('\n', pos);
    if (end < 0 || end - pos > MaxHeaderBytes || !bytes.mid(pos, end - pos).startsWith(prefix))
        return std::nullopt;
    const QByteArray value = bytes.mid(pos + prefix.size(), end - pos - prefix.size());
    pos = end + 1;
    return value;
}

std::optional<qint64> HeaderNumber(const QByteArray &bytes, qsizetype &pos, const char *key)
{
    const std::optional<QByteArray> text = HeaderValue(bytes, pos, key);
    bool ok = false;
    const qint64 value = text ? text->toLongLong(&ok) : 0;
    if (!ok || value < 0)
        return std::nullopt;
    return value;
}

// The header of a record without its checksum checked: enough to tell its puzzle.
std::optional<TGameRecord> DecodeHeader(const QByteArray &bytes, qsizetype &pos)
{
    if (!bytes.startsWith(Magic))
        return std::nullopt;
    pos = Magic.size();
    TGameRecord record;
    const std::optional<QByteArray> path = HeaderValue(bytes, pos, "puzzle");
    const std::optional<QByteArray> started = HeaderValue(bytes, pos, "started");
    const std::optional<qint64> move = HeaderNumber(bytes, pos, "move");
    if (!path || !started || started->size() != HashHexBytes || !move)
        return std::nullopt;
    record.puzzlePath = QString::fromUtf8(QByteArray::fromPercentEncoding(*path));
    record.startedFrom = *started;
    record.move = *move;
    return record;
}

std::optional<QByteArray> ReadRecordFile(const QString &path)
{
    try {
        return Platform::ReadFileWithin(path, MaxGameRecordBytes());
    } catch (const std::runtime_error &) {
        return std::nullopt;
    }
}

} // namespace

qsizetype MaxGameRecordBytes()
{
    return MaxDocumentBytes + MaxHeaderBytes;
}

QByteArray DocumentHash(const QByteArray &document)
{
    return Sha256Hex(document);
}

QByteArray EncodeGameRecord(const TGameRecord &record)
{
    QByteArray bytes = Magic;
    bytes += "puzzle " + record.puzzlePath.toUtf8().toPercentEncoding("/") + '\n';
    bytes += "started " + record.startedFrom + '\n';
    bytes += "move " + QByteArray::number(record.move) + '\n';
    bytes += "document " + QByteArray::number(record.document.size()) + '\n';
    bytes += record.document;
    bytes += ChecksumKey + Sha256Hex(bytes) + '\n';
    return bytes;
}

std::optional<TGameRecord> DecodeGameRecord(const QByteArray &bytes)
{
    if (bytes.size() > MaxGameRecordBytes() || bytes.size() < Magic.size() + ChecksumLineBytes)
        return std::nullopt;
    const qsizetype bodyBytes = bytes.size() - ChecksumLineBytes;
    const QByteArrayView checksumLine = QByteArrayView(bytes).sliced(bodyBytes);
    if (checksumLine != ChecksumKey + Sha256Hex(QByteArrayView(bytes).first(bodyBytes)) + '\n')
        return std::nullopt;
    qsizetype pos = 0;
    std::optional<TGameRecord> record = DecodeHeader(bytes, pos);
    const std::optional<qint64> documentBytes =
        record ? HeaderNumber(bytes, pos, "document") : std::nullopt;
    if (!documentBytes || *documentBytes != bodyBytes - pos)
        return std::nullopt;
    record->document = bytes.mid(pos, *documentBytes);
    return record;
}

QString GameRecordName(const QString &puzzlePath, const QByteArray &picture)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QFileInfo(puzzlePath).absoluteFilePath().toUtf8());
    hash.addData(QByteArrayView("\0", 1));
    hash.addData(picture);
    return QString::fromLatin1(hash.result().toHex().left(32));
}

TGameRecordStore::TGameRecordStore(const QString &folder, const QString &name)
    : m_folder(folder), m_newest(folder + u'/' + name + NewestSuffix),
      m_fallback(folder + u'/' + name + FallbackSuffix)
{
}

void TGameRecordStore::Write(const TGameRecord &record) const
{
    if (!QDir().mkpath(m_folder))
        throw Platform::FileError("create folder", m_folder, QStringLiteral("It cannot be made."));
    // The newest becomes the fallback by a rename, so one intact record stands at every moment.
    if (QFileInfo::exists(m_newest))
        std::rename(QFile::encodeName(m_newest).constData(),
                    QFile::encodeName(m_fallback).constData());
    Platform::WritePrivateFile(EncodeGameRecord(record), m_newest);
}

std::optional<TGameRecord> TGameRecordStore::Read() const
{
    for (const QString &path : {m_newest, m_fallback})
        if (const std::optional<QByteArray> bytes = ReadRecordFile(path))
            if (std::optional<TGameRecord> record = DecodeGameRecord(*bytes))
                return record;
    return std::nullopt;
}

void TGameRecordStore::Remove() const
{
    QFile::remove(m_newest);
    QFile::remove(m_fallback);
}

void RemoveStaleGameRecords(const QString &folder, const QDateTime &now, int maxAgeDays,
                            int maxRecords)
{
    const QDir dir(folder);
    QFileInfoList kept;
    for (const QFileInfo &file : dir.entryInfoList(
             {QStringLiteral("*") + NewestSuffix, QStringLiteral("*") + FallbackSuffix},
             QDir::Files, QDir::Time)) {
        QFile reading(file.filePath());
        qsizetype pos = 0;
        const std::optional<TGameRecord> header =
            reading.open(QIODevice::ReadOnly) ? DecodeHeader(reading.read(MaxHeaderBytes), pos)
                                              : std::nullopt;
        const bool stale = !header || !QFileInfo::exists(header->puzzlePath) ||
                           file.lastModified().daysTo(now) > maxAgeDays ||
                           kept.size() >= maxRecords;
        if (stale)
            QFile::remove(file.filePath());
        else
            kept << file;
    }
}

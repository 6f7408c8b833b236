#pragma once
// A record of a game as it is played, kept in the user's state folder apart from the puzzle, so
// that a crash, a kill or a lost display costs at most the moves since it was last written.
//
// A record holds the game as a puzzle document and the hash of the document the game started
// from: it belongs to the puzzle only while the puzzle still holds that document. Its bytes end
// in a SHA-256 of everything before, so a record cut short or damaged is known as such; the
// store keeps the record before the newest one for that case.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>

struct TGameRecord {
    // The puzzle file the game is played from (absolute), for the housekeeping.
    QString puzzlePath;
    // DocumentHash of the puzzle document the game started from.
    QByteArray startedFrom;
    // How many changes of this run the record has taken.
    qint64 move = 0;
    // The game as the puzzle document's text.
    QByteArray document;
};

// The largest record read or written: the largest puzzle document with room for its header.
qsizetype MaxGameRecordBytes();

// The hash that ties a record to the document its game started from (SHA-256, hexadecimal).
QByteArray DocumentHash(const QByteArray &document);

QByteArray EncodeGameRecord(const TGameRecord &record);
// Null for bytes that are not a whole, intact record of this program (torn, damaged, too large
// or of another format).
std::optional<TGameRecord> DecodeGameRecord(const QByteArray &bytes);

// The file name of a puzzle's record: from the puzzle file's path and its picture, so that two
// copies of one puzzle keep their own games and another puzzle at the same path does not take
// the game of the one before.
QString GameRecordName(const QString &puzzlePath, const QByteArray &picture);

// The records of one puzzle in a folder: the newest and the one before it.
class TGameRecordStore
{
public:
    TGameRecordStore(const QString &folder, const QString &name);

    // Makes the record the newest, durably (synced before this returns); the newest before it is
    // kept as the fallback. Throws std::runtime_error naming the file when it cannot be written.
    void Write(const TGameRecord &record) const;
    // The newest intact record, else the one before it, else null.
    std::optional<TGameRecord> Read() const;
    // Removes both; a record that is not there is no failure.
    void Remove() const;

    QString NewestPath() const { return m_newest; }
    QString FallbackPath() const { return m_fallback; }

private:
    QString m_folder;
    QString m_newest;
    QString m_fallback;
};

// Removes from the folder the records whose puzzle file is gone, that are older than maxAgeDays
// at `now`, or that cannot be read, and the oldest beyond maxRecords, so that the folder stays
// small whatever was played.
void RemoveStaleGameRecords(const QString &folder, const QDateTime &now, int maxAgeDays = 90,
                            int maxRecords = 200);

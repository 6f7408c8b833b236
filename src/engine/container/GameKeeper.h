#pragma once
// Keeps the record of one game as it is played (see GameRecord.h): a change is written at most
// RecordDelayMs later, the file work runs off the main thread, and what is not yet written is
// written at once when the process is asked to end, or ends through exit() (the last keeper
// made is the one written then).
//
// Only a copy of the game is taken on the main thread; the document is written from it, on the
// puzzle's starting document, off the main thread, so that even a game of 10,000 pieces costs
// the player no more than a drag step.
//
// Ownership: the keeper owns its store and the write in flight; gameOfNow is called on the main
// thread and must stay callable for the keeper's life.

#include "engine/container/GameRecord.h"
#include "engine/jigsaw/PuzzleGame.h"

#include <QElapsedTimer>
#include <QFuture>
#include <QFutureWatcher>
#include <QObject>
#include <QTimer>
#include <functional>

class TGameKeeper : public QObject
{
    Q_OBJECT

public:
    // Changes within this time after a write share the next one.
    static constexpr int RecordDelayMs = 500;

    // startingDocument: the puzzle's document as it was read at the start; it must be one the
    // codec reads.
    TGameKeeper(const QString &stateFolder, const QString &puzzlePath, const QByteArray &picture,
                const QByteArray &startingDocument, std::function<TPuzzleGame()> gameOfNow,
                QObject *parent = nullptr);
    ~TGameKeeper() override;

    // The game (as a document) of the record left by an earlier run that ended without keeping
    // it, when the puzzle still holds the starting document and the game differs from it; null
    // otherwise. A record the puzzle has taken in (its document is the record's game) or that
    // belongs to another document is removed.
    std::optional<QByteArray> GameToRestore();

    // The game changed: it is recorded within RecordDelayMs.
    void GameChanged();
    // Writes what is not yet recorded now, and waits for it: before the process ends.
    void WriteNow();
    // The player let the changes go, or there were none: the record goes.
    void Discard();

    // How many changes have been recorded in this run.
    qint64 RecordedMoves() const { return m_recordedMove; }

signals:
    // A record holding the changes up to `move` stands on disk.
    void Recorded(qint64 move);
    // A record could not be written; the message names the file and why.
    void RecordFailed(const QString &message);

private:
    // Runs off the main thread on a copy of the game.
    static QString WriteRecord(const TGameRecordStore &store, TGameRecord record,
                               const QByteArray &startingDocument, const TPuzzleGame &game);
    void Write(bool offMainThread);
    void StartWrite();
    void WriteFinished();
    // Reports the last write once, however its end was learnt.
    void HandleWriteResult();
    // Waits for the write in flight, if any, and reports it.
    void FinishWriteInFlight();

    TGameRecordStore m_store;
    QString m_puzzlePath;
    QByteArray m_startingDocument;
    QByteArray m_startedFrom;
    std::function<TPuzzleGame()> m_gameOfNow;
    QTimer m_delay;
    qint64 m_move = 0;
    qint64 m_recordedMove = 0;
    bool m_discarded = false;
    // The write in flight: its move and its failure message, empty on success.
    qint64 m_writingMove = 0;
    QFuture<QString> m_writing;
    QFutureWatcher<QString> m_watcher;
    bool m_resultHandled = true;
    QElapsedTimer m_sinceWrite;
};

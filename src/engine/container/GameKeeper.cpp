#include "engine/container/GameKeeper.h"

#include "engine/container/PuzzleDocumentCodec.h"

#include <QLoggingCategory>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>
#include <cstdlib>

// QT_LOGGING_RULES="tessalune.record.debug=true" shows each record as it stands on disk.
Q_LOGGING_CATEGORY(gameRecordLog, "tessalune.record", QtWarningMsg)

namespace
{

// The keeper whose game is written when the process ends through exit(), as Qt ends it when the
// display's connection is lost; null when none.
TGameKeeper *keeperAtExit = nullptr;

void WriteGameAtExit()
{
    if (keeperAtExit != nullptr && QThread::currentThread() == keeperAtExit->thread())
        keeperAtExit->WriteNow();
}

} // namespace

TGameKeeper::TGameKeeper(const QString &stateFolder, const QString &puzzlePath,
                         const QByteArray &picture, const QByteArray &startingDocument,
                         std::function<TPuzzleGame()> gameOfNow, QObject *parent)
    : QObject(parent), m_store(stateFolder, GameRecordName(puzzlePath, picture)),
      m_puzzlePath(puzzlePath), m_startingDocument(startingDocument),
      m_startedFrom(DocumentHash(startingDocument)), m_gameOfNow(std::move(gameOfNow))
{
    m_delay.setSingleShot(true);
    m_delay.setInterval(RecordDelayMs);
    connect(&m_delay, &QTimer::timeout, this, &TGameKeeper::StartWrite);
    connect(&m_watcher, &QFutureWatcher<QString>::finished, this, &TGameKeeper::WriteFinished);
    static const bool registered = std::atexit(WriteGameAtExit) == 0;
    if (registered)
        keeperAtExit = this;
}

TGameKeeper::~TGameKeeper()
{
    if (keeperAtExit == this)
        keeperAtExit = nullptr;
    // No thread may go on writing into a store that is gone.
    m_writing.waitForFinished();
}

std::optional<QByteArray> TGameKeeper::GameToRestore()
{
    const std::optional<TGameRecord> record = m_store.Read();
    if (!record)
        return std::nullopt;
    if (record->startedFrom == m_startedFrom && record->document != m_startingDocument)
        return record->document;
    // The puzzle took the game in, or holds another document than the game started from.
    m_store.Remove();
    return std::nullopt;
}

void TGameKeeper::GameChanged()
{
    ++m_move;
    m_discarded = false;
    // The first change after a quiet spell is written at once; those that follow share a write.
    if (!m_delay.isActive() && !m_writing.isRunning())
        m_delay.start(m_sinceWrite.isValid() && m_sinceWrite.elapsed() < RecordDelayMs
                          ? RecordDelayMs - static_cast<int>(m_sinceWrite.elapsed())
                          : 0);
}

QString TGameKeeper::WriteRecord(const TGameRecordStore &store, TGameRecord record,
                                 const QByteArray &startingDocument, const TPuzzleGame &game)
{
    try {
        // The starting document carries what the program does not know; the game the rest.
        TPuzzleDocument document(startingDocument);
        document.Game() = game;
        record.document = document.Text();
        store.Write(record);
        return QString();
    } catch (const std::exception &error) {
        return QString::fromUtf8(error.what());
    }
}

void TGameKeeper::Write(bool offMainThread)
{
    m_writingMove = m_move;
    m_resultHandled = false;
    const TGameRecord record{m_puzzlePath, m_startedFrom, m_move, QByteArray()};
    if (!offMainThread) {
        m_writing = QtFuture::makeReadyFuture(
            WriteRecord(m_store, record, m_startingDocument, m_gameOfNow()));
        HandleWriteResult();
        return;
    }
    m_sinceWrite.start();
    m_writing = QtConcurrent::run(WriteRecord, m_store, record, m_startingDocument, m_gameOfNow());
    m_watcher.setFuture(m_writing);
}

void TGameKeeper::StartWrite()
{
    if (m_discarded || m_move == m_recordedMove || m_writing.isRunning())
        return;
    Write(true);
}

void TGameKeeper::HandleWriteResult()
{
    if (m_resultHandled)
        return;
    m_resultHandled = true;
    const QString failure = m_writing.result();
    if (!failure.isEmpty()) {
        emit RecordFailed(failure);
        return;
    }
    m_recordedMove = m_writingMove;
    qCDebug(gameRecordLog, "game record holds move %lld", static_cast<long long>(m_recordedMove));
    emit Recorded(m_recordedMove);
}

void TGameKeeper::WriteFinished()
{
    HandleWriteResult();
    if (!m_discarded && m_move != m_recordedMove && !m_delay.isActive())
        m_delay.start(RecordDelayMs);
}

void TGameKeeper::FinishWriteInFlight()
{
    if (!m_writing.isValid())
        return;
    m_writing.waitForFinished();
    HandleWriteResult();
}

void TGameKeeper::WriteNow()
{
    m_delay.stop();
    FinishWriteInFlight();
    if (!m_discarded && m_move != m_recordedMove)
        Write(false);
}

void TGameKeeper::Discard()
{
    m_delay.stop();
    FinishWriteInFlight();
    m_discarded = true;
    m_store.Remove();
}

#include "windows/common/PlayerSession.h"

#include "engine/container/GameKeeper.h"
#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/picture/JpegPicture.h"
#include "platform/Platform.h"
#include "windows/common/MakerSession.h"

#include <QDateTime>
#include <QLoggingCategory>
#include <algorithm>

Q_DECLARE_LOGGING_CATEGORY(gameRecordLog)

namespace
{

// While the game has changes, the clock's time reaches the record at least this often.
constexpr int TicksBetweenClockRecords = 15;

} // namespace

TPlayerSession::TPlayerSession()
{
    Reset();
}

TPlayerSession::~TPlayerSession() = default;

void TPlayerSession::Reset()
{
    m_keeper.reset();
    changed = false;
    m_document = std::make_unique<TPuzzleDocument>();
    m_sourcePicture = BlankPicture();
    m_alternativePicture = BlankPicture();
    m_joinGrid = {};
}

void TPlayerSession::NotePieceMoved()
{
    // Every drop counts, also one back onto the palette or onto the same place.
    changed = true;
    if (m_keeper)
        m_keeper->GameChanged();
    emit PieceMoved();
    if (IsSolved(m_joinGrid, m_document->Game().pieces))
        emit Solved();
}

void TPlayerSession::ResetGame()
{
    emit GameReset();
    if (m_keeper)
        m_keeper->GameChanged();
}

void TPlayerSession::NoteTimePlayed()
{
    if (!changed || !m_keeper || ++m_ticksSinceRecord < TicksBetweenClockRecords)
        return;
    m_ticksSinceRecord = 0;
    m_keeper->GameChanged();
}

bool TPlayerSession::KeepGameRecord(const QString &puzzlePath)
{
    const QString folder = Platform::StateFolder();
    RemoveStaleGameRecords(folder, QDateTime::currentDateTime());
    m_keeper =
        std::make_unique<TGameKeeper>(folder, puzzlePath, m_sourcePicture->Data(),
                                      m_document->Text(), [this] { return m_document->Game(); });
    const std::optional<QByteArray> kept = m_keeper->GameToRestore();
    if (!kept)
        return false;
    try {
        *m_document = TPuzzleDocument(*kept);
    } catch (const std::exception &) {
        return false; // a record this program cannot read again: the puzzle's own game is played
    }
    changed = true;
    const auto &pieces = m_document->Game().pieces;
    qCDebug(gameRecordLog, "game restored from its record, %d pieces laid",
            static_cast<int>(std::count_if(pieces.begin(), pieces.end(),
                                           [](const TPiece &piece) { return piece.position; })));
    return true;
}

void TPlayerSession::WriteGameRecordNow()
{
    if (m_keeper)
        m_keeper->WriteNow();
}

void TPlayerSession::DiscardGameRecord()
{
    if (m_keeper)
        m_keeper->Discard();
}

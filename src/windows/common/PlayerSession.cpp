#include "windows/common/PlayerSession.h"

#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/picture/JpegPicture.h"
#include "windows/common/MakerSession.h"

TPlayerSession::TPlayerSession()
{
    Reset();
}

TPlayerSession::~TPlayerSession() = default;

void TPlayerSession::Reset()
{
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
    emit PieceMoved();
    if (IsSolved(m_joinGrid, m_document->Game().pieces))
        emit Solved();
}

void TPlayerSession::ResetGame()
{
    emit GameReset();
}

// The sessions: what a player session tells the windows when a piece moves, the puzzle is solved
// or the game is reset, and what a new maker session holds.
#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/jigsaw/PuzzleMaking.h"
#include "engine/picture/JpegPicture.h"
#include "windows/common/MakerSession.h"
#include "windows/common/PlayerSession.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace
{

// A 2 × 2 game on cells of 80 × 60, no piece placed.
class PlayerSession : public ::testing::Test
{
protected:
    PlayerSession()
    {
        TRandomGenerator random(7);
        m_session.Document() = TPuzzleDocument(MakePuzzleGame({2, 2, true, "P", "", ""}, random));
        m_session.SetJoinGrid({2, 2, 80, 60});
    }

    void PlaceAll()
    {
        for (TPiece &piece : m_session.Document().Game().pieces)
            piece.position = QPoint(200 + piece.col * 80, 100 + piece.row * 60);
    }

    TPlayerSession m_session;
    QSignalSpy m_moved{&m_session, &TPlayerSession::PieceMoved};
    QSignalSpy m_solved{&m_session, &TPlayerSession::Solved};
    QSignalSpy m_reset{&m_session, &TPlayerSession::GameReset};
};

} // namespace

TEST_F(PlayerSession, EveryMoveChangesTheGameAndOnlyTheLastOneSolvesIt)
{
    EXPECT_FALSE(m_session.changed);
    m_session.NotePieceMoved();
    EXPECT_TRUE(m_session.changed);
    EXPECT_EQ(m_moved.count(), 1);
    EXPECT_EQ(m_solved.count(), 0);
    PlaceAll();
    m_session.NotePieceMoved();
    EXPECT_EQ(m_moved.count(), 2);
    EXPECT_EQ(m_solved.count(), 1);
    EXPECT_EQ(m_reset.count(), 0);
}

TEST_F(PlayerSession, AResetIsAskedForAndLeavesTheGameAsItIs)
{
    PlaceAll();
    const TPuzzleGame before = m_session.Document().Game();
    m_session.ResetGame();
    EXPECT_EQ(m_reset.count(), 1);
    EXPECT_FALSE(m_session.changed) << "a reset alone is no change";
    EXPECT_EQ(m_session.Document().Game(), before) << "the playing window lays the pieces out";
    EXPECT_EQ(m_moved.count() + m_solved.count(), 0);
}

TEST(Sessions, NewSessionsHoldBlankPicturesAndNoDocument)
{
    TMakerSession maker;
    maker.step = 3;
    maker.sourceChosen = true;
    maker.Reset();
    EXPECT_EQ(maker.step, 1);
    EXPECT_FALSE(maker.sourceChosen);
    EXPECT_EQ(maker.sourcePicture->Width(), 1);
    EXPECT_EQ(maker.alternativePicture->Height(), 1);
    EXPECT_TRUE(maker.document->IsEmpty());

    TPlayerSession player;
    player.changed = true;
    player.Reset();
    EXPECT_FALSE(player.changed);
    EXPECT_EQ(player.SourcePicture().Width(), 1);
    EXPECT_TRUE(player.Document().IsEmpty());
}

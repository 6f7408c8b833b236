// From the game to the file: a puzzle executable played in this process with the mouse, then
// saved through the hand-over, whose later steps run as real copies of the built program; the
// next start continues the saved game. Answering NO, or playing without a drop, leaves the
// file as it was.
#include "engine/container/DocumentValues.h"
#include "engine/container/ExecutablePayload.h"
#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleSchema.h"
#include "support/PlayWindowFixture.h"
#include "support/PlayerFixture.h"
#include "windows/desktop/PuzzleDesktop.h"
#include "windows/main/ApplicationWindows.h"
#include "windows/main/MainWindow.h"
#include "windows/play/JigsawPlayWindow.h"
#include "windows/play/ToolsWindow.h"

#include <QDir>
#include <QFileInfo>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <map>

using namespace PuzzleSchema;

namespace
{

// Long enough for a game in this process or for the hand-over's processes to finish.
constexpr int FinishesWithinMs = 60000;

// Where the game left a piece: the index of its record and its desktop position.
using TPlacedPieces = std::map<int, QPoint>;

bool SavePageShown(const TMainWindow &main)
{
    return main.m_pages->currentWidget() == main.m_saveQuestionPage;
}

// Drops the first palette piece three times onto the desktop, cells apart; what was dropped
// where is read back from the game.
TPlacedPieces DropThreePieces(TJigsawPlayWindow &play)
{
    TPuzzleDesktop &desktop = *play.m_desktop;
    const QPoint origin = SolvedOrigin(play);
    const int cellWidth = play.Geometry().cellWidth;
    const int cellHeight = play.Geometry().cellHeight;
    TPlacedPieces placed;
    for (int k = 0; k < 3; ++k) {
        const int piece = desktop.PalettePieces().first();
        DragPiece(desktop, desktop.ImageOfPiece(piece),
                  origin + QPoint(2 * k * cellWidth + 3, (k + 1) * cellHeight - 2));
        placed[piece] =
            desktop.Pieces()[static_cast<std::size_t>(piece)].position.value_or(QPoint(-1, -1));
    }
    return placed;
}

TPlacedPieces PiecesOnTheDesktop(const TJigsawPlayWindow &play)
{
    const TPuzzleDesktop &desktop = *play.m_desktop;
    TPlacedPieces placed;
    for (std::size_t index = 0; index < desktop.Images().size(); ++index) {
        const TPieceImage *image = desktop.Images()[index].get();
        if (!image->m_onPalette)
            placed[static_cast<int>(index)] = desktop.DesktopPosition(image);
    }
    return placed;
}

} // namespace

class GameToFile : public TExecutableFolderTest
{
protected:
    void SetUp() override
    {
        TExecutableFolderTest::SetUp();
        m_puzzle = PathOf("tulips.exe");
        ASSERT_TRUE(MakePuzzle(m_puzzle, m_picture));
    }

    // Starts the puzzle executable in this process as the start-up step leaves it (working
    // folder, image) and lets its first activation start player mode, which runs the game with
    // action and ends it through the tools window. Returns once the game is over.
    void PlayOnce(TPlayerWindows &windows, const std::function<void()> &action)
    {
        ASSERT_TRUE(Platform::SetWorkingFolder(m_folder.path()));
        ExeImage() = ReadBytes(m_puzzle);
        const auto driver = DriveGame(*windows.play, action, ExitThroughTools);
        TMainWindow &main = *windows.main;
        main.show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return SavePageShown(main) || !main.isVisible(); },
                                    FinishesWithinMs));
        EXPECT_TRUE(driver->ran);
        EXPECT_FALSE(driver->timedOut);
    }

    QString HandOverCopy() const { return PathOf("tmp.exe"); }

    const QImage m_picture = PhotoLikePicture({280, 210});
    QString m_puzzle;
};

TEST_F(GameToFile, ChangedGameSavedWithYesIsRewrittenAndTheNextStartContinuesIt)
{
    const QByteArray before = ReadBytes(m_puzzle);
    TPlacedPieces dropped;
    {
        TPlayerWindows windows(m_puzzle);
        PlayOnce(windows, [&] {
            dropped = DropThreePieces(*windows.play);
            ProgramWindows().toolsWindow->move(50, 60);
        });
        ASSERT_TRUE(SavePageShown(*windows.main));
        QTest::mouseClick(windows.main->m_saveYesButton, Qt::LeftButton);
        EXPECT_FALSE(windows.main->isVisible());
    }
    ASSERT_EQ(dropped.size(), 3u);

    // "tmp.exe" writes the puzzle back and restarts it; the restarted puzzle deletes "tmp.exe".
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !QFileInfo::exists(HandOverCopy()) && ReadBytes(m_puzzle) != before; },
        FinishesWithinMs));
    const QByteArray saved = ReadBytes(m_puzzle);
    EXPECT_TRUE(QFileInfo(m_puzzle).isExecutable());
    ExeImage() = saved;
    EXPECT_TRUE(ReadSection(SectionFileName).isEmpty());

    TPlacedPieces restored;
    QPoint toolsPlace;
    {
        TPlayerWindows windows(m_puzzle);
        PlayOnce(windows, [&] {
            restored = PiecesOnTheDesktop(*windows.play);
            toolsPlace = ProgramWindows().toolsWindow->pos();
        });
        // Nothing was dropped: the program ends without asking.
        EXPECT_FALSE(windows.main->isVisible());
    }
    EXPECT_EQ(restored, dropped);
    EXPECT_EQ(toolsPlace, QPoint(50, 60));
    EXPECT_EQ(ReadBytes(m_puzzle), saved);
    EXPECT_FALSE(QFileInfo::exists(HandOverCopy()));
}

TEST_F(GameToFile, AnsweringNoOrPlayingWithoutDropsLeavesTheFileAsItWas)
{
    const QByteArray before = ReadBytes(m_puzzle);
    {
        TPlayerWindows windows(m_puzzle);
        PlayOnce(windows, [&] { DropThreePieces(*windows.play); });
        ASSERT_TRUE(SavePageShown(*windows.main));
        QTest::mouseClick(windows.main->m_saveNoButton, Qt::LeftButton);
        EXPECT_FALSE(windows.main->isVisible());
    }
    EXPECT_EQ(ReadBytes(m_puzzle), before);
    {
        TPlayerWindows windows(m_puzzle);
        PlayOnce(windows, [&] { ProgramWindows().toolsWindow->move(70, 80); });
        EXPECT_FALSE(windows.main->isVisible());
    }
    EXPECT_EQ(ReadBytes(m_puzzle), before);
    EXPECT_EQ(QDir(m_folder.path()).entryList({"*.exe"}, QDir::Files), QStringList{"tulips.exe"});
}

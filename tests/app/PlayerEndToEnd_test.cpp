// From the game to the file: a puzzle executable played in this process with the mouse, then
// saved through the hand-over, whose later steps run as real copies of the built program; the
// next start continues the saved game. Answering NO, or playing without a drop, leaves the
// file as it was.
#include "engine/container/DocumentValues.h"
#include "engine/container/ExecutablePayload.h"
#include "engine/container/KelPigger.h"
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

bool SavePageShown(const TFmain &main)
{
    return main.PageControl1->currentWidget() == main.TabSheet_save;
}

// Drops the first palette piece three times onto the desktop, cells apart; what was dropped
// where is read back from the records.
TPlacedPieces DropThreePieces(TD_puzzle_js &play)
{
    TO_pd &desktop = *play.Odesktop;
    const QPoint origin = SolvedOrigin(play);
    const int cellWidth = play.Geometry().cellWidth;
    const int cellHeight = play.Geometry().cellHeight;
    TPlacedPieces placed;
    for (int k = 0; k < 3; ++k) {
        TKelPigger *record = desktop.PaletteRecords().first();
        DragPiece(desktop, desktop.ImageOfRecord(record),
                  origin + QPoint(2 * k * cellWidth + 3, (k + 1) * cellHeight - 2));
        placed[static_cast<int>(desktop.Records().indexOf(record))] =
            QPoint(TextToIntDef(record->GetAttr(KeyPieceLeft), -1),
                   TextToIntDef(record->GetAttr(KeyPieceTop), -1));
    }
    return placed;
}

TPlacedPieces PiecesOnTheDesktop(const TD_puzzle_js &play)
{
    const TO_pd &desktop = *play.Odesktop;
    TPlacedPieces placed;
    for (std::size_t index = 0; index < desktop.Images().size(); ++index) {
        const TPieceImage *image = desktop.Images()[index].get();
        if (!image->onPalette)
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
        puzzle = PathOf("tulips.exe");
        ASSERT_TRUE(MakePuzzle(puzzle, picture));
    }

    // Starts the puzzle executable in this process as the start-up step leaves it (working
    // folder, image) and lets its first activation start player mode, which runs the game with
    // action and ends it through the tools window. Returns once the game is over.
    void PlayOnce(TPlayerWindows &windows, const std::function<void()> &action)
    {
        ASSERT_TRUE(Platform::SetWorkingFolder(folder.path()));
        ExeImage() = ReadBytes(puzzle);
        const auto driver = DriveGame(*windows.play, action, ExitThroughTools);
        TFmain &main = *windows.main;
        main.show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return SavePageShown(main) || !main.isVisible(); },
                                    FinishesWithinMs));
        EXPECT_TRUE(driver->ran);
        EXPECT_FALSE(driver->timedOut);
    }

    QString HandOverCopy() const { return PathOf("tmp.exe"); }

    const QImage picture = PhotoLikePicture({280, 210});
    QString puzzle;
};

TEST_F(GameToFile, ChangedGameSavedWithYesIsRewrittenAndTheNextStartContinuesIt)
{
    const QByteArray before = ReadBytes(puzzle);
    TPlacedPieces dropped;
    {
        TPlayerWindows windows(puzzle);
        PlayOnce(windows, [&] {
            dropped = DropThreePieces(*windows.play);
            F_tools->move(50, 60);
        });
        ASSERT_TRUE(SavePageShown(*windows.main));
        QTest::mouseClick(windows.main->SB_save_ok, Qt::LeftButton);
        EXPECT_FALSE(windows.main->isVisible());
    }
    ASSERT_EQ(dropped.size(), 3u);

    // "tmp.exe" writes the puzzle back and restarts it; the restarted puzzle deletes "tmp.exe".
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !QFileInfo::exists(HandOverCopy()) && ReadBytes(puzzle) != before; },
        FinishesWithinMs));
    const QByteArray saved = ReadBytes(puzzle);
    EXPECT_TRUE(QFileInfo(puzzle).isExecutable());
    ExeImage() = saved;
    EXPECT_TRUE(ReadSection(SectionFileName).isEmpty());

    TPlacedPieces restored;
    QPoint toolsPlace;
    {
        TPlayerWindows windows(puzzle);
        PlayOnce(windows, [&] {
            restored = PiecesOnTheDesktop(*windows.play);
            toolsPlace = F_tools->pos();
        });
        // Nothing was dropped: the program ends without asking.
        EXPECT_FALSE(windows.main->isVisible());
    }
    EXPECT_EQ(restored, dropped);
    EXPECT_EQ(toolsPlace, QPoint(50, 60));
    EXPECT_EQ(ReadBytes(puzzle), saved);
    EXPECT_FALSE(QFileInfo::exists(HandOverCopy()));
}

TEST_F(GameToFile, AnsweringNoOrPlayingWithoutDropsLeavesTheFileAsItWas)
{
    const QByteArray before = ReadBytes(puzzle);
    {
        TPlayerWindows windows(puzzle);
        PlayOnce(windows, [&] { DropThreePieces(*windows.play); });
        ASSERT_TRUE(SavePageShown(*windows.main));
        QTest::mouseClick(windows.main->SB_save_cancel, Qt::LeftButton);
        EXPECT_FALSE(windows.main->isVisible());
    }
    EXPECT_EQ(ReadBytes(puzzle), before);
    {
        TPlayerWindows windows(puzzle);
        PlayOnce(windows, [&] { F_tools->move(70, 80); });
        EXPECT_FALSE(windows.main->isVisible());
    }
    EXPECT_EQ(ReadBytes(puzzle), before);
    EXPECT_EQ(QDir(folder.path()).entryList({"*.exe"}, QDir::Files), QStringList{"tulips.exe"});
}

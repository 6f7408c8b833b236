// The largest grid the maker offers, 100 × 100, played in the play window on a small picture:
// laid out from the tools window, solved, and the game kept as a document that reads back
// solved.

#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/jigsaw/Joining.h"
#include "engine/jigsaw/PlayProgress.h"
#include "engine/jigsaw/PuzzleMaking.h"
#include "engine/picture/JpegPicture.h"
#include "support/JpegBytes.h"
#include "support/PlayWindowFixture.h"
#include "windows/common/PlayerSession.h"
#include "windows/common/ProgramWindows.h"
#include "windows/desktop/PuzzleDesktop.h"
#include "windows/play/JigsawPlayWindow.h"
#include "windows/play/ToolsWindow.h"

#include <QLabel>
#include <QLocale>
#include <QToolButton>
#include <gtest/gtest.h>

TEST(BigPuzzlePlay, HundredByHundredIsLaidOutSolvedAndSaved)
{
    constexpr int Size = MakerMaxGridSize;
    TPlayerSession session;
    TPuzzleDocument &played = session.Document();
    MakeTestDocument(played, Size, Size);
    // Cells of 12 × 10 pixels keep 10,000 pieces quick.
    session.SourcePicture().SetData(JpegBytesOf(PhotoLikePicture({12 * Size, 10 * Size})));
    TJigsawPlayWindow window;
    int laid = 0;
    QString note;
    bool solved = false;
    const auto driver = DriveGame(window, [&] {
        TPuzzleDesktop &desktop = *window.m_desktop;
        ASSERT_EQ(desktop.Images().size(), std::size_t{Size * Size});
        auto &tools = ProgramWindows().toolsWindow;
        tools->m_layOutButton->click();
        laid = desktop.Progress().onDesktop;
        note = tools->m_layOutNote->text();

        // Every piece to its place but one, which the mouse brings home.
        const TPieceGeometry &geometry = window.Geometry();
        const QPoint origin = SolvedOrigin(window);
        const auto target = [&](int piece) {
            const TPiece &cell = desktop.Pieces()[static_cast<std::size_t>(piece)];
            return origin + QPoint(cell.col * geometry.cellWidth, cell.row * geometry.cellHeight);
        };
        for (int piece = 1; piece < Size * Size; ++piece) {
            desktop.PlacePiece(desktop.ImageOfPiece(piece), target(piece).x(), target(piece).y());
            played.Game().pieces[static_cast<std::size_t>(piece)].position = target(piece);
        }
        desktop.PlacePiece(desktop.ImageOfPiece(0), 40 * geometry.cellWidth,
                           120 * geometry.cellHeight);
        DragPiece(desktop, desktop.ImageOfPiece(0), target(0));
        solved = desktop.IsSolved() && desktop.Progress().joins == PossibleJoins(Size, Size);
    });
    window.RunGame(session, {});
    EXPECT_TRUE(driver->ran);
    EXPECT_GT(laid, 0);
    EXPECT_LT(laid, Size * Size);
    EXPECT_TRUE(note.contains(QLocale().toString(Size * Size - laid))) << note.toStdString();
    EXPECT_TRUE(solved);

    const TPuzzleDocument kept(played.Text());
    ASSERT_EQ(kept.Game().pieces.size(), std::size_t{Size * Size});
    EXPECT_TRUE(IsSolved({Size, Size, window.Geometry().cellWidth, window.Geometry().cellHeight},
                         kept.Game().pieces));
}

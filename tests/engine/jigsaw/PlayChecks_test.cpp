// What a puzzle must pass before it is cut: piece records, and a cut within the memory budget.
#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/jigsaw/PlayChecks.h"
#include "engine/picture/JpegPicture.h"
#include "engine/picture/MemoryBudget.h"
#include "support/JpegBytes.h"

#include <cmath>
#include <gtest/gtest.h>

namespace
{

const TPuzzleDocument &Document(const QByteArray &text)
{
    static TPuzzleDocument document;
    document = TPuzzleDocument(text);
    return document;
}

const TPuzzleGame &Game(const QByteArray &text)
{
    return Document(text).Game();
}

QByteArray Grid(int cols, int rows)
{
    return "<PUZZLE_DATA COLS=\"" + QByteArray::number(cols) + "\" ROWS=\"" +
           QByteArray::number(rows) + "\"><PIECES><PIECE/></PIECES></PUZZLE_DATA>";
}

} // namespace

TEST(PlayChecks, DocumentsWithoutPieceRecordsAreRefused)
{
    for (const QByteArray &text :
         {QByteArray(), QByteArray("<PUZZLE_DATA COLS=\"7\"/>"),
          QByteArray("<PUZZLE_DATA><PIECES/></PUZZLE_DATA>"),
          QByteArray("<PUZZLE_DATA><PIECES><OTHER/></PIECES><PIECE/></PUZZLE_DATA>")}) {
        SCOPED_TRACE(text.constData());
        EXPECT_THROW(RequirePieceRecords(Document(text)), EPuzzleRefused);
    }
    EXPECT_NO_THROW(RequirePieceRecords(Document(Grid(7, 7))));
}

TEST(PlayChecks, TheNeedCountsThePictureTheWorkBitmapAndEveryPiece)
{
    const TPuzzleGrid grid{3, 2, true};
    const TPieceGeometry geometry{10, 10, 10, 30, 30, 0};
    // Rows padded to 4 bytes: 7 × 3 = 21 → 24, 30 × 3 = 90 → 92.
    EXPECT_EQ(CutMemoryNeed(7, 5, 1000, grid, geometry), 24 * 5 + 1000 + 92 * 30 + 6 * 30 * 30 * 4);
}

// Every picture the JPEG limit lets through can be cut on the maker's largest grid, and the
// player's largest grid on a large picture is refused.
TEST(PlayChecks, TheBudgetHoldsTheMakersGridsAndRefusesTheLargest)
{
    const int side = static_cast<int>(std::sqrt(static_cast<double>(JpegPixelLimit)));
    EXPECT_LE(JpegPixelLimit * JpegDecodingBytesPerPixel, MemoryBudget);
    // Held beside the cut: a portable program's image with two large photographs in it.
    constexpr std::int64_t Held = std::int64_t{64} << 20;
    for (const QByteArray &grid : {Grid(7, 7), Grid(15, 15)})
        EXPECT_NO_THROW(RequireCutWithinBudget(side, side, 0, Game(grid), Held));
    EXPECT_THROW(RequireCutWithinBudget(9000, 9000, 0, Game(Grid(100, 100)), 0), EPuzzleRefused);
    EXPECT_NO_THROW(RequireCutWithinBudget(900, 900, 0, Game(Grid(100, 100)), 0));
    // So does what the game holds beside the cut: its file and its document.
    EXPECT_THROW(RequireCutWithinBudget(900, 900, 0, Game(Grid(100, 100)), MemoryBudget - 1),
                 EPuzzleRefused);
    // The decoder's buffers of a progressive file count too.
    EXPECT_THROW(RequireCutWithinBudget(900, 900, MemoryBudget, Game(Grid(100, 100)), 0),
                 EPuzzleRefused);
    EXPECT_NO_THROW(RequireCutWithinBudget(5, 5, 0, Game(Grid(100, 100)), 0))
        << "a grid the picture cannot hold is left to the cut";
}

// Showing the solved puzzle decodes both pictures while the game's pieces are held; an
// alternative picture too large for what the pieces leave of the budget is refused by name.
TEST(PlayChecks, TheSolvedDisplayCountsBothPicturesBesideThePieces)
{
    // Rows padded to 4 bytes: 7 × 3 = 21 → 24.
    EXPECT_EQ(SolvedDisplayNeed(7, 5, 100, 2, 1, 10), 24 * 5 + 100 + 28 * 5 + 8 + 10 + 8);
    const auto picture = [](int width, int height) {
        QByteArray bytes = JpegBytesOf(QImage(16, 16, QImage::Format_RGB888));
        const qsizetype sof = bytes.indexOf("\xFF\xC0");
        bytes[sof + 5] = char(height >> 8);
        bytes[sof + 6] = char(height & 255);
        bytes[sof + 7] = char(width >> 8);
        bytes[sof + 8] = char(width & 255);
        auto jpeg = std::make_unique<TJpegPicture>();
        jpeg->SetData(bytes);
        return jpeg;
    };
    const auto source = picture(6000, 6000);
    const TPuzzleGame &document = Game(Grid(15, 15));
    EXPECT_NO_THROW(RequireSolvedDisplayWithinBudget(*source, *picture(6000, 6000), document, 0));
    EXPECT_THROW(
        RequireSolvedDisplayWithinBudget(*source, *picture(6000, 6000), document, MemoryBudget / 2),
        EPuzzleRefused)
        << "what the game holds beside its pieces counts too";
    try {
        RequireSolvedDisplayWithinBudget(*source, *picture(12000, 12000), document, 0);
        ADD_FAILURE() << "no refusal";
    } catch (const EPuzzleRefused &refused) {
        EXPECT_TRUE(std::string(refused.what()).starts_with("The alternative picture is too large"))
            << refused.what();
    }
}

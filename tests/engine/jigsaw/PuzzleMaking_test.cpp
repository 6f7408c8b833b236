#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/jigsaw/PuzzleMaking.h"
#include "engine/jigsaw/Random.h"

#include <QDateTime>
#include <QTime>
#include <gtest/gtest.h>
#include <memory>

namespace
{

QList<QByteArray> Keys(const TKeyedNode &node)
{
    return node.AttrNames();
}

int MillisecondsSinceMidnightUtc()
{
    return QDateTime::currentDateTimeUtc().time().msecsSinceStartOfDay();
}

TKeyedNode &Pieces(TKeyedNode &document)
{
    return *document.FindChild("PIECES");
}

// The stored form of a new puzzle, as the maker writes it.
std::unique_ptr<TKeyedNode> MadeDocument(const TPuzzleProperties &properties, std::uint32_t seed)
{
    TRandomGenerator random(seed);
    auto document = std::make_unique<TKeyedNode>();
    document->LoadFromText(TPuzzleDocument(MakePuzzleGame(properties, random)).StoredText());
    return document;
}

} // namespace

TEST(RandomGenerator, LinearCongruentialStepAndHighWordScaling)
{
    TRandomGenerator random(0);
    EXPECT_EQ(random.Random(10), 0);
    EXPECT_EQ(random.State(), 1u);
    random.Random(10);
    EXPECT_EQ(random.State(), 134775814u);
    random.SetState(0xFFFFFFFFu);
    EXPECT_EQ(random.Random(1 << 30), static_cast<int>(4160191484u >> 2))
        << "state wraps modulo 2^32 and the result is the product's high word";
    for (int n : {1, 7, 10, 225}) {
        for (int i = 0; i < 1000; ++i) {
            const int value = random.Random(n);
            ASSERT_GE(value, 0);
            ASSERT_LT(value, n);
        }
    }
    EXPECT_EQ(random.Random(0), 0);
}

TEST(RandomGenerator, SeedsFromTheUtcTimeOfDay)
{
    const int before = MillisecondsSinceMidnightUtc();
    TRandomGenerator random;
    random.Randomize();
    const int after = MillisecondsSinceMidnightUtc();
    if (after < before)
        GTEST_SKIP() << "midnight passed during the test";
    EXPECT_GE(random.State(), static_cast<unsigned>(before));
    EXPECT_LE(random.State(), static_cast<unsigned>(after));
}

TEST(RandomEdge, HoleForZeroToFiveTabForSixToNine)
{
    int holes = 0;
    TRandomGenerator random(99);
    for (int i = 0; i < 10000; ++i) {
        TRandomGenerator probe(random.State());
        const int draw = probe.Random(10);
        const int edge = RandomEdge(random);
        ASSERT_EQ(edge, draw <= 5 ? -1 : 1) << "draw " << draw;
        holes += edge == -1;
    }
    EXPECT_NEAR(holes, 6000, 300);
}

TEST(MakePuzzleGame, HeaderOfANewSevenBySevenPuzzle)
{
    const auto made = MadeDocument({7, 7, true, "Puzzle", "", ""}, 5);
    TKeyedNode &document = *made;
    EXPECT_EQ(document.Name(), "PUZZLE_DATA");
    EXPECT_EQ(Keys(document), (QList<QByteArray>{"PNAME", "COLS", "ROWS"}));
    EXPECT_EQ(document.GetAttr("COLS"), "7");
    ASSERT_EQ(document.ChildCount(), 1);
    EXPECT_EQ(Pieces(document).ChildCount(), 49);
    EXPECT_TRUE(Pieces(document).AttrNames().isEmpty());
}

TEST(MakePuzzleGame, AllHeaderValuesInOrderAndBordersOff)
{
    const auto made = MadeDocument({9, 15, false, "Name", "Me", "http://x"}, 5);
    TKeyedNode &document = *made;
    EXPECT_EQ(Keys(document),
              (QList<QByteArray>{"PNAME", "AUTHOR", "WEBSITE", "COLS", "ROWS", "BRDRS"}));
    EXPECT_EQ(document.GetAttr("COLS"), "15");
    EXPECT_EQ(document.GetAttr("ROWS"), "9");
    EXPECT_EQ(document.GetAttr("BRDRS"), "N");
    EXPECT_EQ(Pieces(document).ChildCount(), 135);
}

static void ExpectDocumentInvariants(int rows, int cols)
{
    const auto made = MadeDocument({rows, cols, true, "", "", ""}, 777);
    TKeyedNode &pieces = Pieces(*made);
    ASSERT_EQ(pieces.ChildCount(), rows * cols);
    for (int row = 0; row < rows; ++row) {
        for (int col = 0; col < cols; ++col) {
            const TKeyedNode &piece = *pieces.Child(row * cols + col);
            SCOPED_TRACE(::testing::Message() << row << "," << col);
            ASSERT_EQ(piece.Name(), "PIECE");
            EXPECT_EQ(piece.AttrNames(),
                      (QList<QByteArray>{"ROW", "COL", "R", "B", "RO", "T", "L"}));
            EXPECT_EQ(piece.GetAttr("ROW").toInt(), row);
            EXPECT_EQ(piece.GetAttr("COL").toInt(), col);
            const int ro = piece.GetAttr("RO").toInt();
            EXPECT_TRUE(ro >= 0 && ro < rows * cols);
            for (const char *key : {"R", "B"}) {
                const QByteArray edge = piece.GetAttr(key);
                EXPECT_TRUE(edge == "1" || edge == "-1" || edge == "0")
                    << key << " " << edge.data();
            }
            EXPECT_EQ(piece.GetAttr("R") == "0", col == cols - 1);
            EXPECT_EQ(piece.GetAttr("B") == "0", row == rows - 1);
            if (row == 0)
                EXPECT_EQ(piece.GetAttr("T"), "0");
            else
                EXPECT_EQ(piece.GetAttr("T").toInt(),
                          -pieces.Child((row - 1) * cols + col)->GetAttr("B").toInt());
            if (col == 0)
                EXPECT_EQ(piece.GetAttr("L"), "0");
            else
                EXPECT_EQ(piece.GetAttr("L").toInt(),
                          -pieces.Child(row * cols + col - 1)->GetAttr("R").toInt());
        }
    }
}

TEST(MakePieces, DocumentInvariants)
{
    for (const auto &[rows, cols] : {std::pair{8, 11},
                                     {MakerMinGridSize, MakerMinGridSize},
                                     {MakerMaxGridSize, MakerMaxGridSize}})
        ExpectDocumentInvariants(rows, cols);
}

TEST(MakePieces, DrawsBottomRightThenOrderKeyPerPiece)
{
    const int rows = 3, cols = 4;
    TRandomGenerator random(4242);
    TRandomGenerator expected(4242);
    const std::vector<TPiece> pieces = MakePieces(rows, cols, random);
    ASSERT_EQ(pieces.size(), 12u);
    for (int i = 0; i < rows * cols; ++i) {
        const TPiece &piece = pieces[static_cast<std::size_t>(i)];
        const int row = i / cols, col = i % cols;
        const int bottom = row < rows - 1 ? RandomEdge(expected) : 0;
        const int right = col < cols - 1 ? RandomEdge(expected) : 0;
        EXPECT_EQ(piece.edges.bottom, bottom) << i;
        EXPECT_EQ(piece.edges.right, right) << i;
        EXPECT_EQ(piece.randomOrder, expected.Random(rows * cols)) << i;
    }
    EXPECT_EQ(random.State(), expected.State());
}

TEST(MakePieces, SameStateGivesTheSameDocument)
{
    auto make = [](std::uint32_t state) {
        return MadeDocument({12, 13, true, "A", "B", "C"}, state)->SaveToText();
    };
    EXPECT_EQ(make(31337), make(31337));
    EXPECT_NE(make(31337), make(31338));
}

// A game written into a document that has pieces already fills them in place.
TEST(MakePieces, FillsAnExistingPiecesNodeInPlace)
{
    TKeyedNode document;
    auto *other = new TKeyedNode(&document);
    other->SetName("FIRST");
    auto *pieces = new TKeyedNode(&document);
    pieces->SetName("PIECES");
    TRandomGenerator random(1);
    TPuzzleGame game;
    game.pieces = MakePieces(2, 2, random);
    WritePuzzleGame(game, document);
    ASSERT_EQ(document.ChildCount(), 2);
    EXPECT_EQ(document.Child(1), pieces);
    EXPECT_EQ(pieces->ChildCount(), 4);
    EXPECT_EQ(ReadPuzzleGame(document).pieces, game.pieces);
}

TEST(MakePieces, OneColumnHasNoLeftNeighbours)
{
    TRandomGenerator random(3);
    for (const TPiece &piece : MakePieces(4, 1, random))
        EXPECT_EQ(piece.edges.left, 0);
}

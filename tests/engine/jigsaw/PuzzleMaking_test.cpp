#include "engine/container/KeyedNode.h"
#include "engine/jigsaw/PuzzleMaking.h"
#include "engine/jigsaw/Random.h"

#include <QDateTime>
#include <QTime>
#include <gtest/gtest.h>

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

TEST(FindOrAddChild, FindsOrAppendsANamedChild)
{
    TKeyedNode root;
    EXPECT_EQ(FindOrAddChild(nullptr, "X"), nullptr);
    auto *first = new TKeyedNode(&root);
    first->SetName("FIRST");
    EXPECT_EQ(FindOrAddChild(&root, "first"), first);
    TKeyedNode *added = FindOrAddChild(&root, "PIECES");
    ASSERT_EQ(root.ChildCount(), 2);
    EXPECT_EQ(root.Child(1), added);
    EXPECT_EQ(added->Name(), "PIECES");
}

TEST(MakePuzzleDocument, HeaderOfANewSevenBySevenPuzzle)
{
    TKeyedNode document;
    document.SetName("OLD");
    document.SetAttr("COLOR", "#FFFFFF");
    (new TKeyedNode(&document))->SetName("STALE");
    TRandomGenerator random(5);
    EXPECT_TRUE(MakePuzzleDocument(document, {7, 7, true, "Puzzle", "", ""}, random));
    EXPECT_EQ(document.Name(), "PUZZLE_DATA");
    EXPECT_EQ(Keys(document), (QList<QByteArray>{"PNAME", "COLS", "ROWS"}));
    EXPECT_EQ(document.GetAttr("COLS"), "7");
    ASSERT_EQ(document.ChildCount(), 1) << "old children go";
    EXPECT_EQ(Pieces(document).ChildCount(), 49);
    EXPECT_TRUE(Pieces(document).AttrNames().isEmpty());
}

TEST(MakePuzzleDocument, AllHeaderValuesInOrderAndBordersOff)
{
    TKeyedNode document;
    TRandomGenerator random(5);
    MakePuzzleDocument(document, {9, 15, false, "Name", "Me", "http://x"}, random);
    EXPECT_EQ(Keys(document),
              (QList<QByteArray>{"PNAME", "AUTHOR", "WEBSITE", "COLS", "ROWS", "BRDRS"}));
    EXPECT_EQ(document.GetAttr("COLS"), "15");
    EXPECT_EQ(document.GetAttr("ROWS"), "9");
    EXPECT_EQ(document.GetAttr("BRDRS"), "N");
    EXPECT_EQ(Pieces(document).ChildCount(), 135);
}

static void ExpectDocumentInvariants(int rows, int cols)
{
    TKeyedNode document;
    TRandomGenerator random(777);
    MakePieces(document, rows, cols, random);
    TKeyedNode &pieces = Pieces(document);
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
    TKeyedNode document;
    TRandomGenerator random(4242);
    TRandomGenerator expected(4242);
    MakePieces(document, rows, cols, random);
    for (int i = 0; i < rows * cols; ++i) {
        const TKeyedNode &piece = *Pieces(document).Child(i);
        const int row = i / cols, col = i % cols;
        const int bottom = row < rows - 1 ? RandomEdge(expected) : 0;
        const int right = col < cols - 1 ? RandomEdge(expected) : 0;
        EXPECT_EQ(piece.GetAttr("B").toInt(), bottom) << i;
        EXPECT_EQ(piece.GetAttr("R").toInt(), right) << i;
        EXPECT_EQ(piece.GetAttr("RO").toInt(), expected.Random(rows * cols)) << i;
    }
    EXPECT_EQ(random.State(), expected.State());
}

TEST(MakePieces, SameStateGivesTheSameDocument)
{
    auto make = [](std::uint32_t state) {
        TKeyedNode document;
        TRandomGenerator random(state);
        MakePuzzleDocument(document, {12, 13, true, "A", "B", "C"}, random);
        return document.SaveToText();
    };
    EXPECT_EQ(make(31337), make(31337));
    EXPECT_NE(make(31337), make(31338));
}

TEST(MakePieces, ReplacesAnExistingPiecesNodeInPlace)
{
    TKeyedNode document;
    auto *other = new TKeyedNode(&document);
    other->SetName("FIRST");
    TKeyedNode *pieces = FindOrAddChild(&document, "PIECES");
    pieces->SetAttr("JUNK", "1");
    TRandomGenerator random(1);
    MakePieces(document, 2, 2, random);
    ASSERT_EQ(document.ChildCount(), 2);
    EXPECT_EQ(document.Child(1), pieces);
    EXPECT_EQ(pieces->ChildCount(), 4);
    EXPECT_TRUE(pieces->AttrNames().isEmpty());
}

TEST(MakePieces, OneColumnHasNoLeftNeighbours)
{
    TKeyedNode document;
    TRandomGenerator random(3);
    MakePieces(document, 4, 1, random);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Pieces(document).Child(i)->GetAttr("L"), "0");
}

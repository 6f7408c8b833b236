#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleSchema.h"
#include "engine/jigsaw/Cutting.h"
#include "engine/jigsaw/PieceTurns.h"
#include "engine/jigsaw/PuzzleMaking.h"

#include <QRandomGenerator>
#include <QSet>
#include <gtest/gtest.h>
#include <memory>

using namespace PuzzleSchema;

namespace
{

QImage NoisePicture(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB888);
    QRandomGenerator random(width * 7 + height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width * 3; ++x)
            picture.scanLine(y)[x] = static_cast<uchar>(random.bounded(256));
    return picture;
}

std::unique_ptr<TKeyedNode> MakeDocument(bool turned, quint32 seed)
{
    auto document = std::make_unique<TKeyedNode>();
    TPuzzleProperties properties;
    properties.cols = 5;
    properties.rows = 4;
    properties.turned = turned;
    TRandomGenerator random(seed);
    MakePuzzleDocument(*document, properties, random);
    return document;
}

} // namespace

TEST(PieceTurns, TurnsMovePixelsExactlyAndFourGiveThePieceBack)
{
    // A real shaped piece, transparent outside its outline, with an odd and unequal size.
    const auto document = MakeDocument(false, 11);
    const auto cut = CutPuzzle(NoisePicture(451, 283), *document, 1);
    ASSERT_TRUE(cut);
    const QImage upright = cut->pieces[6].image;
    ASSERT_NE(upright.width(), upright.height());
    QImage turned = upright;
    for (int turn = 1; turn <= 4; ++turn) {
        turned = TurnedImage(turned, 1);
        EXPECT_EQ(turned, TurnedImage(upright, turn));
        const QSize size = turn % 2 ? upright.size().transposed() : upright.size();
        ASSERT_EQ(turned.size(), size);
        // A quarter turn clockwise takes pixel (x, y) to (h - 1 - y, x).
        if (turn == 1) {
            for (const QPoint p : {QPoint(0, 0), QPoint(30, 17), QPoint(upright.width() - 1, 5)})
                EXPECT_EQ(turned.pixel(upright.height() - 1 - p.y(), p.x()), upright.pixel(p));
        }
    }
    EXPECT_EQ(turned.format(), upright.format());
    EXPECT_EQ(turned, upright);
}

TEST(PieceTurns, ShownPointsMapBackToTheUprightPiece)
{
    const QSize size(120, 80);
    // Turned clockwise, the upright top-left corner is shown at the top-right of the turned
    // image, which lies centred on the upright one.
    EXPECT_EQ(TurnedImageOffset(size, 1), QPoint(20, -20));
    EXPECT_EQ(TurnedImageOffset(size, 2), QPoint(0, 0));
    EXPECT_EQ(UprightPoint(QPoint(20 + 79, -20), size, 1), QPoint(0, 0));
    EXPECT_EQ(UprightPoint(QPoint(119, 79), size, 2), QPoint(0, 0));
    EXPECT_EQ(UprightPoint(QPoint(60, 40), size, 3), QPoint(59, 40));
    for (const QPoint p : {QPoint(5, 9), QPoint(70, 33)})
        EXPECT_EQ(UprightPoint(p, size, 0), p);
}

TEST(PieceTurns, TurnedPuzzleKeepsTheShapesAndStoresTurnsUnderItsOwnNode)
{
    const auto uprightDocument = MakeDocument(false, 99);
    const auto turnedDocument = MakeDocument(true, 99);
    const TKeyedNode &upright = *uprightDocument;
    const TKeyedNode &turned = *turnedDocument;
    EXPECT_FALSE(HasTurnedPieces(upright));
    ASSERT_TRUE(HasTurnedPieces(turned));
    EXPECT_EQ(turned.FindChild(PiecesNode), nullptr) << "older players find no pieces";
    const TKeyedNode *pieces = PiecesNodeOf(turned);
    ASSERT_EQ(pieces->ChildCount(), 20);
    int upstanding = 0;
    QSet<int> seen;
    for (int i = 0; i < pieces->ChildCount(); ++i) {
        const TKeyedNode *record = pieces->Child(i);
        for (const char *key :
             {KeyRow, KeyCol, KeyRight, KeyBottom, KeyRandomOrder, KeyTop, KeyLeft})
            EXPECT_EQ(record->GetAttr(key), PiecesNodeOf(upright)->Child(i)->GetAttr(key));
        seen.insert(TurnOf(*record));
        upstanding += IsUpright(*record);
    }
    EXPECT_EQ(seen.size(), 4) << "every quarter turn is drawn";
    EXPECT_LT(upstanding, 20);

    // Turns and positions survive the text form.
    TKeyedNode copy;
    copy.LoadFromText(turned.SaveToText());
    ASSERT_TRUE(HasTurnedPieces(copy));
    for (int i = 0; i < pieces->ChildCount(); ++i)
        EXPECT_EQ(TurnOf(*PiecesNodeOf(copy)->Child(i)), TurnOf(*pieces->Child(i)));
}

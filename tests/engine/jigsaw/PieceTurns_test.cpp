#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/jigsaw/Cutting.h"
#include "engine/jigsaw/PieceTurns.h"
#include "engine/jigsaw/PuzzleMaking.h"

#include <QRandomGenerator>
#include <QSet>
#include <gtest/gtest.h>
#include <memory>

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

TPuzzleGame MakeGame(bool turned, quint32 seed)
{
    TPuzzleProperties properties;
    properties.cols = 5;
    properties.rows = 4;
    properties.turned = turned;
    TRandomGenerator random(seed);
    return MakePuzzleGame(properties, random);
}

} // namespace

TEST(PieceTurns, TurnsMovePixelsExactlyAndFourGiveThePieceBack)
{
    // A real shaped piece, transparent outside its outline, with an odd and unequal size.
    const TPuzzleGame document = MakeGame(false, 11);
    const auto cut = CutPuzzle(NoisePicture(451, 283), document, 1);
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
    const TPuzzleGame upright = MakeGame(false, 99);
    const TPuzzleGame turned = MakeGame(true, 99);
    EXPECT_FALSE(upright.turnedPieces);
    ASSERT_TRUE(turned.turnedPieces);
    ASSERT_EQ(turned.pieces.size(), 20u);
    int upstanding = 0;
    QSet<int> seen;
    for (std::size_t i = 0; i < turned.pieces.size(); ++i) {
        TPiece shape = turned.pieces[i];
        shape.turn = 0;
        EXPECT_EQ(shape, upright.pieces[i]);
        seen.insert(turned.pieces[i].turn);
        upstanding += turned.pieces[i].turn == 0;
    }
    EXPECT_EQ(seen.size(), 4) << "every quarter turn is drawn";
    EXPECT_LT(upstanding, 20);

    // Turns survive the stored form, where older players find no pieces.
    const QByteArray text = TPuzzleDocument(turned).StoredText();
    EXPECT_TRUE(text.contains("<TURNED_PIECES"));
    EXPECT_FALSE(text.contains("<PIECES"));
    EXPECT_EQ(TPuzzleDocument(text).Game(), turned);
}

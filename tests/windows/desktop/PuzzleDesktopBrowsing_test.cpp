// Big puzzles on the desktop: the palette browsed by wheel and keys and shown smaller, nothing
// left under the strip, progress counted through undo and reset, every palette piece laid out
// in one step, and pieces kept no larger than their outline yet shown exactly as before.

#include "engine/jigsaw/PieceShape.h"
#include "engine/jigsaw/PieceTurns.h"
#include "support/DesktopFixture.h"

#include <QApplication>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace
{

// Pieces 120 × 90 with a margin of 20, cells 80 × 50; a frame 600 high shows 5 palette pieces.
constexpr int Cols = 10;
constexpr int Rows = 12;
constexpr int StripLeft = 21;

class DesktopBrowsing : public ::testing::Test
{
protected:
    void Wheel(QPoint at, int delta)
    {
        QWheelEvent wheel(at, game.desktop.Canvas()->mapToGlobal(at), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        // Sent where the scroll area's view receives it: a sent wheel event does not propagate.
        QApplication::sendEvent(game.desktop.m_scrollArea->viewport(), &wheel);
    }
    int PalettePosition() const { return game.desktop.m_paletteScrollBar->value(); }
    // The view x right of the strip, and a piece's cell body's left edge in the view.
    int StripRight() const
    {
        return game.desktop.m_paletteStrip->Bounds().right() + 1 -
               game.desktop.ScrollPosition().x();
    }
    int BodyLeft(const TPieceImage *image) const
    {
        const double zoom = game.desktop.Zoom();
        return game.desktop.Canvas()->WidgetBounds(*image).left() -
               game.desktop.ScrollPosition().x() + static_cast<int>(game.geometry.margin * zoom);
    }

    TDesktopGame game{Cols, Rows, QSize(800, 600), QSize(1000, 600)};
};

} // namespace

TEST_F(DesktopBrowsing, WheelOverTheStripAndPageKeysBrowseThePalette)
{
    ASSERT_EQ(game.desktop.PaletteSlots(), 5);
    Wheel(QPoint(StripLeft + 40, 300), -120);
    EXPECT_EQ(PalettePosition(), QApplication::wheelScrollLines());
    Wheel(QPoint(StripLeft + 40, 300), 120);
    EXPECT_EQ(PalettePosition(), 0);
    Wheel(QPoint(600, 300), -120);
    EXPECT_EQ(PalettePosition(), 0) << "over the desktop the wheel scrolls the desktop";

    game.desktop.setFocus();
    QTest::keyClick(&game.desktop, Qt::Key_PageDown);
    EXPECT_EQ(PalettePosition(), 5);
    QTest::keyClick(&game.desktop, Qt::Key_End);
    EXPECT_EQ(PalettePosition(), game.desktop.m_paletteScrollBar->maximum());
    EXPECT_EQ(PalettePosition(), Cols * Rows - 5);
    QTest::keyClick(&game.desktop, Qt::Key_PageUp);
    EXPECT_EQ(PalettePosition(), Cols * Rows - 10);
    game.WaitForTick();
    EXPECT_TRUE(
        game.desktop.ImageOfPiece(game.desktop.PalettePieces()[PalettePosition()])->IsVisible());
    EXPECT_FALSE(game.desktop.ImageOfPiece(game.desktop.PalettePieces()[0])->IsVisible());
    QTest::keyClick(&game.desktop, Qt::Key_Home);
    EXPECT_EQ(PalettePosition(), 0);
}

TEST_F(DesktopBrowsing, SmallPiecesFitTwiceAsManyAndGrowWhenDropped)
{
    game.desktop.SetSmallPalettePieces(true);
    EXPECT_EQ(game.desktop.PaletteSlots(), 10);
    EXPECT_EQ(game.desktop.m_paletteStrip->Bounds().width(), 60 + 10);
    game.WaitForTick();
    TPieceImage *first = game.desktop.ImageOfPiece(game.desktop.PalettePieces().first());
    EXPECT_EQ(game.desktop.Canvas()->WidgetBounds(*first).size(), QSize(60, 45));
    // Grabbed by the middle of its small body, it follows the mouse and lands full size.
    game.Drag(first, QPoint(30, 22), QPoint(400, 200));
    EXPECT_FALSE(first->m_onPalette);
    EXPECT_EQ(game.desktop.ViewPosition(first), QPoint(400, 200));
    EXPECT_EQ(game.desktop.Canvas()->WidgetBounds(*first).size(), QSize(120, 90));
}

TEST_F(DesktopBrowsing, NothingLiesUnderTheStripAfterFitOrADrop)
{
    game.desktop.PlacePiece(game.Image(0), 0, 100);
    game.desktop.PlacePiece(game.Image(1), 2400, 900);
    game.desktop.ZoomToFit();
    const QRect view = game.desktop.m_scrollArea->viewport()->rect();
    for (const int piece : {0, 1}) {
        EXPECT_GE(BodyLeft(game.Image(piece)), StripRight()) << piece;
        EXPECT_TRUE(view.contains(game.desktop.Canvas()->WidgetBounds(*game.Image(piece))))
            << piece;
    }
    EXPECT_EQ(game.Image(1)->Position() - game.Image(0)->Position(), QPoint(2400, 800))
        << "the desktop's pieces moved together";
    EXPECT_EQ(game.Piece(0).position, game.Image(0)->Position());

    // Dropped just past the threshold at half size: it snaps under the strip and comes out.
    game.desktop.SetZoom(0.5, QPoint(0, 0));
    game.WaitForTick();
    const int dropped = game.desktop.PalettePieces().first();
    game.DragTo(game.Image(dropped), QPoint(StripLeft + 102, 300));
    ASSERT_FALSE(game.Image(dropped)->m_onPalette);
    EXPECT_GE(BodyLeft(game.Image(dropped)), StripRight());
    EXPECT_EQ(game.Piece(dropped).position->x() % 80, 0);
}

TEST_F(DesktopBrowsing, ProgressCountsRightAfterUndoAndReset)
{
    QSignalSpy changed(&game.desktop, &TPuzzleDesktop::ProgressChanged);
    const QPoint origin(400, 100);
    for (const int piece : {0, 1, Cols}) {
        game.desktop.m_paletteScrollBar->setValue(
            static_cast<int>(game.desktop.PalettePieces().indexOf(piece)));
        game.desktop.LayoutPalette();
        game.DragTo(game.Image(piece), origin + QPoint(piece % Cols * 80, piece / Cols * 50));
    }
    const int possible = 2 * Cols * Rows - Cols - Rows;
    EXPECT_EQ(game.desktop.Progress(), (TPlayProgress{3, 120, 2, possible}));
    EXPECT_EQ(changed.count(), 3);
    ASSERT_TRUE(game.desktop.Undo());
    EXPECT_EQ(game.desktop.Progress(), (TPlayProgress{2, 120, 1, possible}));
    EXPECT_EQ(changed.count(), 4);
    game.desktop.ResetGame();
    EXPECT_EQ(game.desktop.Progress(), (TPlayProgress{0, 120, 0, possible}));
    EXPECT_EQ(changed.count(), 5);
}

TEST_F(DesktopBrowsing, LayingOutIsOneStepInThePalettesOrder)
{
    const QList<int> order = game.desktop.PalettePieces();
    const int stayed = game.desktop.LayOutPalettePieces();
    const int laid = Cols * Rows - stayed;
    ASSERT_GT(laid, 0);
    ASSERT_GT(stayed, 0) << "a 1000 × 600 view holds fewer than 120 pieces apart";
    EXPECT_EQ(game.desktop.PalettePieces(), order.mid(laid));
    EXPECT_EQ(game.desktop.Progress().joins, 0) << "laid pieces lie apart";
    const QRect view = game.desktop.m_scrollArea->viewport()->rect();
    QList<std::optional<QPoint>> places;
    for (int k = 0; k < laid; ++k) {
        const TPieceImage *image = game.desktop.ImageOfPiece(order[k]);
        EXPECT_TRUE(view.contains(game.desktop.Canvas()->WidgetBounds(*image))) << k;
        EXPECT_GE(BodyLeft(image), StripRight()) << k;
        places.append(game.Piece(order[k]).position);
    }
    EXPECT_LT(places[0]->x() + places[0]->y(), places[laid - 1]->x() + places[laid - 1]->y());

    ASSERT_TRUE(game.desktop.Undo());
    EXPECT_EQ(game.desktop.PalettePieces().size(), Cols * Rows);
    EXPECT_FALSE(game.desktop.Undo());
    ASSERT_TRUE(game.desktop.Redo());
    for (int k = 0; k < laid; ++k)
        EXPECT_EQ(game.Piece(order[k]).position, places[k]);
}

// Each piece keeps only its outline's bounding box, yet paints exactly what its whole image
// showed, upright and turned, with and without borders.
TEST(PieceStorage, StoredPieceIsShownPixelForPixel)
{
    const TPieceOutline outline(120, 90, 20);
    QImage source(400, 300, QImage::Format_RGB888);
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
            source.setPixelColor(x, y, QColor(x % 256, y % 256, (x * y) % 256));
    QImage work;
    for (const bool borders : {true, false})
        for (const int tb : {-1, 0, 1})
            for (const int rl : {-1, 0, 1}) {
                const TPieceEdges edges{tb, rl, -tb, -rl == 0 ? 1 : -rl};
                const QImage whole =
                    ShapedPieceImage(source, 130, 70, edges, outline, borders, work);
                TPieceImage piece(whole);
                const int kept = piece.StoredPicture().width() * piece.StoredPicture().height();
                EXPECT_LE(kept, whole.width() * whole.height());
                if (tb != 0 || rl != 0) {
                    EXPECT_LT(kept, whole.width() * whole.height()) << "a hole's band goes";
                }
                for (int turn = 0; turn < 4; ++turn) {
                    if (turn > 0)
                        piece.TurnBy(1);
                    const QImage turned = TurnedImage(whole, turn);
                    EXPECT_EQ(piece.Picture(), turned);
                    QImage shown(200, 200, QImage::Format_ARGB32_Premultiplied);
                    shown.fill(Qt::transparent);
                    QImage expected = shown;
                    piece.MoveTo(QPoint(40, 40));
                    QPainter painter(&shown);
                    piece.Paint(painter);
                    QPainter reference(&expected);
                    reference.drawImage(QPoint(40, 40) + TurnedImageOffset(whole.size(), turn),
                                        turned);
                    painter.end();
                    reference.end();
                    EXPECT_EQ(shown, expected) << borders << tb << rl << turn;
                }
            }
}

// The hit test is the whole piece's, though a hole's band is not kept: the body picks the piece
// up from its first pixel, the band beside it does not.
TEST_F(DesktopBrowsing, PickingStopsAtTheBodysEdgeOfACroppedPiece)
{
    int index = 0;
    while (game.Piece(index).edges.top != -1 || game.Piece(index).edges.left != -1)
        ++index;
    TPieceImage *image = game.Image(index);
    ASSERT_GT(image->StoredPicture().size().height(), 0);
    ASSERT_LT(image->StoredPicture().height(), game.geometry.pieceHeight - game.geometry.margin);
    game.desktop.PlacePiece(image, 400, 200);
    const int m = game.geometry.margin;
    game.Drag(image, QPoint(m, m + 10), QPoint(480, 300));
    EXPECT_EQ(image->Position(), QPoint(400, 200)) << "the band beside the body";
    game.Drag(image, QPoint(m + 1, m + 1), QPoint(480, 300));
    EXPECT_EQ(image->Position(), QPoint(480, 300));
}

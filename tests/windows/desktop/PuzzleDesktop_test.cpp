// The desktop frame driven through its mouse events: palette numbers, dropping, snapping,
// sorting, reset, backgrounds and the cursor. Pieces are 120 × 90 with a margin of 20 (a 10 ×
// 12 grid over 800 × 600), cells 80 × 50.

#include "engine/jigsaw/PaletteOrder.h"
#include "support/DesktopFixture.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>

namespace
{

const QSize Picture(800, 600);
constexpr int Cols = 10;
constexpr int Rows = 12;
// The strip starts 5 pixels right of the 16-pixel palette scroll bar's width.
constexpr int StripLeft = 21;
constexpr int PaletteLeft = StripLeft + 5;

// The piece's stored left and top; none on the palette.
std::optional<int> Left(const TPiece &piece)
{
    return piece.position ? std::optional<int>(piece.position->x()) : std::nullopt;
}

std::optional<int> Top(const TPiece &piece)
{
    return piece.position ? std::optional<int>(piece.position->y()) : std::nullopt;
}

QList<TPieceImage *> VisiblePalettePieces(const TDesktopGame &game)
{
    QList<TPieceImage *> visible;
    for (const int piece : game.desktop.PalettePieces()) {
        TPieceImage *image = game.desktop.ImageOfPiece(piece);
        if (image->IsVisible())
            visible.append(image);
    }
    return visible;
}

} // namespace

TEST(DesktopPalette, SlotsPadAndPositionsInAFrameSixHundredHigh)
{
    TDesktopGame game(Cols, Rows, Picture, QSize(1000, 600), 3);
    ASSERT_EQ(game.geometry.pieceHeight, 90);
    EXPECT_EQ(game.desktop.PaletteSlots(), 5);
    EXPECT_EQ(game.desktop.PaletteTopPad(), 42);
    EXPECT_EQ(game.desktop.m_paletteStrip->Bounds().left(), StripLeft);
    EXPECT_EQ(game.desktop.m_paletteStrip->Bounds().width(), 130);
    const QList<TPieceImage *> shown = VisiblePalettePieces(game);
    ASSERT_EQ(shown.size(), 3);
    EXPECT_EQ(game.desktop.ViewPosition(shown[0]), QPoint(PaletteLeft, 55));
    EXPECT_EQ(game.desktop.ViewPosition(shown[1]), QPoint(PaletteLeft, 150));
    EXPECT_EQ(game.desktop.ViewPosition(shown[2]), QPoint(PaletteLeft, 245));
}

TEST(DesktopPalette, FrameTooLowStillShowsOnePiece)
{
    TDesktopGame game(Cols, Rows, Picture, QSize(1000, 60), 3);
    EXPECT_EQ(game.desktop.PaletteSlots(), 1);
    EXPECT_EQ(VisiblePalettePieces(game).size(), 1);
}

TEST(DesktopPalette, ResizingTheFrameRecountsTheSlots)
{
    TDesktopGame game(Cols, Rows, Picture, QSize(1000, 600), 8);
    game.desktop.resize(1000, 816);
    EXPECT_EQ(game.desktop.PaletteSlots(), 8);
    EXPECT_EQ(VisiblePalettePieces(game).size(), 8);
}

TEST(DesktopPalette, NewPiecesWaitHiddenOnThePalette)
{
    TDesktopGame game(Cols, Rows, Picture, QSize(1000, 600), 0);
    QImage work(120, 90, QImage::Format_RGB888);
    work.fill(Qt::gray);
    TPieceImage *first = game.desktop.AddPiece(work);
    TPieceImage *second = game.desktop.AddPiece(work);
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(first->IsVisible());
    EXPECT_TRUE(first->m_onPalette);
    EXPECT_EQ(game.desktop.ViewPosition(first).x(), PaletteLeft);
    EXPECT_EQ(game.desktop.ViewPosition(second),
              game.desktop.ViewPosition(first) + QPoint(0, 90 + 5));
    EXPECT_EQ(first->Picture().size(), QSize(120, 90));
    EXPECT_EQ(first->Picture().format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(qAlpha(first->Picture().pixel(0, 89)), 0) << "the bottom-left pixel is see-through";
    EXPECT_EQ(game.desktop.PieceOfImage(second), 1);
    EXPECT_EQ(game.desktop.ImageOfPiece(1), second);
}

TEST(DesktopPalette, NoPieceBeyondTheGamesPieces)
{
    TDesktopGame game(Cols, Rows, Picture, QSize(1000, 600), 2);
    QImage work(120, 90, QImage::Format_RGB888);
    game.game.pieces.resize(3);
    EXPECT_NE(game.desktop.AddPiece(work), nullptr);
    EXPECT_EQ(game.desktop.AddPiece(work), nullptr);
    EXPECT_EQ(game.desktop.Images().size(), 3u);
    EXPECT_EQ(game.desktop.Pieces().size(), 3u);
    EXPECT_EQ(game.desktop.ImageOfPiece(5), nullptr);
    EXPECT_EQ(game.desktop.PieceOfImage(nullptr), -1);
}

TEST(DesktopPalette, ScrollMaximumWithNoneOneAndThreePieces)
{
    for (const int count : {0, 1, 3}) {
        TDesktopGame game(Cols, Rows, Picture, QSize(1000, 600), count);
        EXPECT_EQ(game.desktop.m_paletteScrollBar->maximum(), 1) << count << " pieces";
        EXPECT_EQ(game.desktop.m_paletteScrollBar->minimum(), 0);
    }
    TDesktopGame game(Cols, Rows, Picture, QSize(1000, 600), 3);
    game.desktop.m_paletteScrollBar->setValue(1);
    game.WaitForTick();
    const QList<TPieceImage *> shown = VisiblePalettePieces(game);
    ASSERT_EQ(shown.size(), 2);
    EXPECT_FALSE(game.desktop.ImageOfPiece(game.desktop.PalettePieces()[0])->IsVisible());
    EXPECT_EQ(game.desktop.ViewPosition(shown[0]).y(), 55);
}

TEST(DesktopPalette, ScrollingMovesTheWindowByWholePieces)
{
    TDesktopGame game(Cols, Rows, Picture, QSize(1000, 600), 12);
    EXPECT_EQ(game.desktop.m_paletteScrollBar->maximum(), 7);
    game.desktop.m_paletteScrollBar->setValue(7);
    game.WaitForTick();
    const QList<TPieceImage *> shown = VisiblePalettePieces(game);
    ASSERT_EQ(shown.size(), 5);
    EXPECT_EQ(shown[0], game.desktop.ImageOfPiece(game.desktop.PalettePieces()[7]));
    // Fewer pieces lower the maximum and the position with it.
    for (int i = 0; i < 9; ++i)
        game.DragTo(VisiblePalettePieces(game).first(), QPoint(400, 100));
    EXPECT_EQ(game.desktop.m_paletteScrollBar->maximum(), 1);
    EXPECT_EQ(game.desktop.m_paletteScrollBar->value(), 1);
}

TEST(DesktopDrop, ThresholdAtThreeQuartersOfTheStrip)
{
    TDesktopGame game(Cols, Rows, Picture, QSize(1000, 600), 3);
    QSignalSpy dropped(&game.desktop, &TPuzzleDesktop::OnPieceDropped);
    TPieceImage *image = game.Image(0);
    game.DragTo(image, QPoint(StripLeft + 101, 300));
    EXPECT_TRUE(image->m_onPalette);
    EXPECT_FALSE(Left(game.Piece(0)));
    EXPECT_FALSE(Top(game.Piece(0)));
    EXPECT_EQ(game.desktop.ViewPosition(image).x(), PaletteLeft) << "laid out on the palette";
    ASSERT_EQ(dropped.count(), 1);
    EXPECT_EQ(dropped[0][0].value<TPuzzleDesktop *>(), &game.desktop);

    game.DragTo(image, QPoint(StripLeft + 102, 300));
    EXPECT_FALSE(image->m_onPalette);
    EXPECT_TRUE(image->IsVisible());
    EXPECT_EQ(Left(game.Piece(0)), 160);
    EXPECT_EQ(Top(game.Piece(0)), 300);
    EXPECT_EQ(dropped.count(), 2);

    // Back onto the palette: the stored position goes.
    game.DragTo(image, QPoint(30, 300));
    EXPECT_TRUE(image->m_onPalette);
    EXPECT_FALSE(Left(game.Piece(0)).has_value());
    EXPECT_FALSE(Top(game.Piece(0)).has_value());
}

TEST(DesktopDrop, SnapsToTheCellGrid)
{
    TDesktopGame game(Cols, Rows, Picture, QSize(1000, 600), 3);
    TPieceImage *image = game.Image(1);
    const std::pair<int, int> cases[] = {{239, 240}, {200, 240}, {199, 160}};
    for (const auto &[x, snapped] : cases) {
        game.DragTo(image, QPoint(x, 124));
        EXPECT_EQ(Left(game.Piece(1)), snapped) << "dropped at " << x;
        EXPECT_EQ(Top(game.Piece(1)), 100) << "124 is 24 past 100";
        EXPECT_EQ(game.desktop.ViewPosition(image), QPoint(snapped, 100));
    }
    game.DragTo(image, QPoint(300, 125));
    EXPECT_EQ(Top(game.Piece(1)), 150);
}

TEST(DesktopDrop, AboveTheTopLandsAtZero)
{
    TDesktopGame game(Cols, Rows, Picture, QSize(1000, 600), 3);
    game.DragTo(game.Image(0), QPoint(400, -30));
    EXPECT_EQ(Top(game.Piece(0)), 0);
    EXPECT_EQ(Left(game.Piece(0)), 400);
}

TEST(DesktopDrop, GridAndStoredPositionsAreInDesktopCoordinates)
{
    // Narrower than the desktop's extent, so it scrolls.
    TDesktopGame game(Cols, Rows, Picture, QSize(700, 600), 3);
    EXPECT_EQ(game.desktop.m_extentCorner.topLeft(), QPoint(960, 700));
    EXPECT_GE(game.desktop.Canvas()->width(), 960 + 65);
    game.ScrollTo(100, 0);
    ASSERT_EQ(game.desktop.ScrollPosition(), QPoint(100, 0));
    game.WaitForTick();
    // The strip and its pieces keep their place in the view.
    EXPECT_EQ(game.desktop.m_paletteStrip->Bounds().left() - 100, StripLeft);
    EXPECT_EQ(game.desktop.ViewPosition(VisiblePalettePieces(game).first()).x(), PaletteLeft);

    TPieceImage *image = game.Image(2);
    game.DragTo(image, QPoint(139, 100));
    EXPECT_EQ(Left(game.Piece(2)), 240);
    EXPECT_EQ(game.desktop.ViewPosition(image).x(), 140);
    game.ScrollTo(0, 0);
    EXPECT_EQ(game.desktop.ViewPosition(image).x(), 240) << "desktop pieces scroll along";
}

TEST(DesktopDrop, DesktopScrollsAsFarAsItsFarthestPiece)
{
    TDesktopGame game(Cols, Rows, Picture, QSize(700, 600), 3);
    game.ScrollTo(10000, 10000);
    game.WaitForTick();
    const QPoint far = game.desktop.ScrollPosition();
    ASSERT_GT(far.x(), 0);
    ASSERT_GT(far.y(), 0);
    game.DragTo(game.Image(0), QPoint(600, 500));
    const QPoint stored = *game.Piece(0).position;
    EXPECT_EQ(stored.x() % 80, 0);
    EXPECT_EQ(stored.y() % 50, 0);
    EXPECT_LE((stored - (far + QPoint(600, 500))).manhattanLength(), 40 + 25);
    EXPECT_GT(stored.x() + 120, 960 + 65) << "beyond the extent shape";
    EXPECT_GE(game.desktop.Canvas()->width(), stored.x() + 120);
    EXPECT_GE(game.desktop.Canvas()->height(), stored.y() + 90);
}

TEST(DesktopPick, ByTheTabBandNothingHappens)
{
    TDesktopGame game(Cols, Rows, Picture, QSize(1000, 600), 3);
    QSignalSpy dropped(&game.desktop, &TPuzzleDesktop::OnPieceDropped);
    TPieceImage *image = game.Image(0);
    const QPoint before = image->Position();
    for (const QPoint grab : {QPoint(5, 45), QPoint(20, 45), QPoint(60, 70), QPoint(100, 45)}) {
        game.Drag(image, grab, QPoint(400, 300));
        EXPECT_EQ(image->Position(), before) << grab.x() << "," << grab.y();
    }
    EXPECT_TRUE(image->m_onPalette);
    EXPECT_FALSE(Left(game.Piece(0)));
    EXPECT_EQ(dropped.count(), 0);
}

TEST(DesktopPick, AnyButtonDragsByTheBody)
{
    TDesktopGame game(Cols, Rows, Picture, QSize(1000, 600), 3);
    game.Drag(game.Image(0), QPoint(21, 21), QPoint(400, 300), Qt::RightButton);
    EXPECT_EQ(Left(game.Piece(0)), 400);
    EXPECT_EQ(Top(game.Piece(0)), 300);
    game.Drag(game.Image(1), QPoint(99, 69), QPoint(480, 300), Qt::MiddleButton);
    EXPECT_EQ(Left(game.Piece(1)), 480);
}

TEST(DesktopPick, GrabPointStaysUnderTheMouse)
{
    TDesktopGame game(Cols, Rows, Picture, QSize(1000, 600), 3);
    TPieceImage *image = game.Image(0);
    QWidget *canvas = game.desktop.Canvas();
    const QPoint grab(30, 25);
    const QPoint start = image->Position() + grab;
    QTest::mousePress(canvas, Qt::LeftButton, {}, start);
    for (const QPoint mouse : {QPoint(300, 200), QPoint(317, 251), QPoint(650, 90)}) {
        QTest::mouseMove(canvas, mouse);
        EXPECT_EQ(image->Position() + grab, mouse);
    }
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, QPoint(650, 90));
}

TEST(DesktopPick, DraggedPieceComesToTheFront)
{
    TDesktopGame game(Cols, Rows, Picture, QSize(1000, 600), 3);
    game.DragTo(game.Image(0), QPoint(400, 300));
    game.DragTo(game.Image(1), QPoint(480, 300));
    const QPoint onBoth(490, 345);
    EXPECT_EQ(game.desktop.Canvas()->ItemAt(onBoth), game.Image(1));
    // Picked where only the lower piece lies, it comes up over the other.
    game.Drag(game.Image(0), QPoint(30, 45), QPoint(400, 300));
    EXPECT_EQ(game.desktop.Canvas()->ItemAt(onBoth), game.Image(0));
    // Where both lie, the upper one is picked: pressed at 490, it is grabbed 90 pixels in and
    // dropped with the mouse at 650.
    QTest::mousePress(game.desktop.Canvas(), Qt::LeftButton, {}, onBoth);
    QTest::mouseMove(game.desktop.Canvas(), QPoint(650, 345));
    QTest::mouseRelease(game.desktop.Canvas(), Qt::LeftButton, {}, QPoint(650, 345));
    EXPECT_EQ(Left(game.Piece(0)), 560);
    EXPECT_EQ(Left(game.Piece(1)), 480);
}

TEST(DesktopPlace, RestoredPiecesLieOnTheDesktop)
{
    TDesktopGame game(Cols, Rows, Picture, QSize(1000, 600), 3);
    game.desktop.PlacePiece(game.Image(1), 403, 217);
    game.desktop.LayoutPalette();
    EXPECT_EQ(game.desktop.ViewPosition(game.Image(1)), QPoint(403, 217));
    EXPECT_TRUE(game.Image(1)->IsVisible());
    EXPECT_FALSE(game.Image(1)->m_onPalette);
    EXPECT_EQ(game.desktop.PalettePieces().size(), 2);
    EXPECT_FALSE(game.desktop.PalettePieces().contains(1));
}

TEST(DesktopSort, OrderAppliesAtTheNextTickFromTheFirstPiece)
{
    TDesktopGame game(Cols, Rows, Picture, QSize(1000, 600), 20);
    const auto edges = [&game](int TPieceEdges::*edge) {
        QList<int> list;
        for (const int piece : game.desktop.PalettePieces())
            list.append(game.Piece(piece).edges.*edge);
        return list;
    };
    QByteArrayList orderKeys;
    for (const int piece : game.desktop.PalettePieces())
        orderKeys.append(QByteArray::number(game.Piece(piece).randomOrder));
    EXPECT_TRUE(std::is_sorted(orderKeys.begin(), orderKeys.end())) << "None sorts RO as text";

    game.desktop.m_paletteScrollBar->setValue(4);
    game.WaitForTick();
    SetSortDirection(-1);
    game.desktop.SetSortOrder(3);
    EXPECT_EQ(game.desktop.m_paletteScrollBar->value(), 0);
    game.WaitForTick();
    const QList<int> rights = edges(&TPieceEdges::right);
    EXPECT_TRUE(std::is_sorted(rights.rbegin(), rights.rend())) << "Right M: tabs first";
    EXPECT_EQ(rights.first(), 1);
    EXPECT_EQ(VisiblePalettePieces(game).first(),
              game.desktop.ImageOfPiece(game.desktop.PalettePieces().first()));
    SetSortDirection(1);
    game.desktop.SetSortOrder(8);
    game.WaitForTick();
    const QList<int> lefts = edges(&TPieceEdges::left);
    EXPECT_TRUE(std::is_sorted(lefts.begin(), lefts.end())) << "Left F: holes first";
    EXPECT_EQ(game.desktop.SortOrder(), 8);
}

TEST(DesktopReset, EveryPieceBackOnThePaletteInTheCurrentOrder)
{
    TDesktopGame game(Cols, Rows, Picture, QSize(1000, 600), 10);
    const QList<int> initialOrder = game.desktop.PalettePieces();
    for (int i = 0; i < 4; ++i)
        game.DragTo(VisiblePalettePieces(game).first(), QPoint(240 + 80 * i, 200));
    game.desktop.m_paletteScrollBar->setValue(1);
    game.WaitForTick();
    game.desktop.ResetGame();
    for (const TPiece &piece : game.desktop.Pieces()) {
        EXPECT_FALSE(Left(piece));
        EXPECT_FALSE(Top(piece));
    }
    for (const auto &image : game.desktop.Images())
        EXPECT_TRUE(image->m_onPalette);
    EXPECT_EQ(game.desktop.PalettePieces(), initialOrder);
    EXPECT_EQ(game.desktop.m_paletteScrollBar->value(), 1) << "the palette position stays";
}

TEST(DesktopSetup, ANewGameEmptiesTheDesktop)
{
    TDesktopGame game(Cols, Rows, Picture, QSize(1000, 600), 5);
    game.DragTo(game.Image(0), QPoint(400, 300));
    TPuzzleGame other;
    other.cols = other.rows = 7;
    game.desktop.SetupDesktop(other, 100, 80, 16);
    EXPECT_TRUE(game.desktop.Images().empty());
    EXPECT_TRUE(game.desktop.Pieces().empty());
    EXPECT_EQ(game.desktop.m_paletteStrip->Bounds().width(), 110);
    EXPECT_EQ(game.desktop.m_extentCorner.topLeft(), QPoint(68 * 9, 48 * 9));
    EXPECT_EQ(Left(game.Piece(0)), 400) << "the pieces belong to the game";
}

TEST(DesktopBackground, TextureIsTiledOnceFromTheTopLeft)
{
    TDesktopGame game(Cols, Rows, Picture, QSize(1000, 600), 0);
    QImage texture(37, 23, QImage::Format_RGB32);
    for (int y = 0; y < texture.height(); ++y)
        for (int x = 0; x < texture.width(); ++x)
            texture.setPixel(x, y, qRgb(x * 6, y * 10, 77));
    game.desktop.SetBackgroundPicture(texture);
    ASSERT_TRUE(game.desktop.m_backgroundPicture->IsVisible());
    const QRect area = game.desktop.m_backgroundPicture->Bounds();
    EXPECT_EQ(area.left(), game.desktop.m_paletteStrip->Bounds().right() + 1);
    EXPECT_EQ(area.top(), 8);
    EXPECT_EQ(game.desktop.m_backgroundPicture->Picture().size(), area.size());
    const QImage shown = game.desktop.Canvas()->grab().toImage();
    for (const QPoint at : {QPoint(0, 0), QPoint(37, 0), QPoint(5, 23 * 3 + 4), QPoint(400, 300)})
        EXPECT_EQ(shown.pixel(area.topLeft() + at), texture.pixel(at.x() % 37, at.y() % 23))
            << at.x() << "," << at.y();

    // A larger frame is not covered again.
    const QSize tiledSize = area.size();
    game.desktop.resize(1300, 900);
    EXPECT_EQ(game.desktop.m_backgroundPicture->Picture().size(), tiledSize);
    const QImage larger = game.desktop.Canvas()->grab().toImage();
    const QPoint beyond = area.topLeft() + QPoint(tiledSize.width() + 5, 20);
    EXPECT_EQ(larger.pixel(beyond), game.desktop.Canvas()->BackgroundColour().rgb());
}

TEST(DesktopBackground, ColourHidesTheTexture)
{
    TDesktopGame game(Cols, Rows, Picture, QSize(1000, 600), 0);
    QImage texture(10, 10, QImage::Format_RGB32);
    texture.fill(Qt::blue);
    game.desktop.SetBackgroundPicture(texture);
    game.desktop.SetBackgroundColor(0x0000FF); // red in the lowest byte
    EXPECT_FALSE(game.desktop.m_backgroundPicture->IsVisible());
    const QImage shown = game.desktop.Canvas()->grab().toImage();
    EXPECT_EQ(shown.pixel(500, 300), qRgb(255, 0, 0));
    EXPECT_EQ(shown.pixel(500, 3), game.desktop.m_topPanel->palette().color(QPalette::Window).rgb())
        << "the panels keep the workspace colour";
    game.desktop.SetBackgroundPicture(texture);
    EXPECT_TRUE(game.desktop.m_backgroundPicture->IsVisible());
    game.desktop.SetBackgroundPicture(QImage());
    EXPECT_FALSE(game.desktop.m_backgroundPicture->IsVisible());
}

TEST(DesktopCursor, BackToDefaultAfterADropAndOverThePalette)
{
    TDesktopGame game(Cols, Rows, Picture, QSize(1000, 600), 3);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    game.DragTo(game.Image(0), QPoint(400, 300));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    const auto hover = [](QWidget *widget, QPoint at) {
        QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    };
    QApplication::setOverrideCursor(Qt::WaitCursor);
    hover(game.desktop.Canvas(), QPoint(450, 340)); // a piece: no change
    EXPECT_NE(QApplication::overrideCursor(), nullptr);
    hover(game.desktop.Canvas(), QPoint(StripLeft + 2, 580)); // the strip
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    QApplication::setOverrideCursor(Qt::WaitCursor);
    hover(game.desktop.m_marginPanel, QPoint(3, 100));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

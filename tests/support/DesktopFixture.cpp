#include "support/DesktopFixture.h"

#include "support/TestPuzzles.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <stdexcept>

TDesktopGame::TDesktopGame(int cols, int rows, QSize pictureSize, QSize frameSize, int pieceCount)
    : game(document.Game()), picture(PhotoLikePicture(pictureSize))
{
    MakeTestDocument(document, cols, rows, "Desktop test");
    const auto computed =
        ComputePieceGeometry(pictureSize.width(), pictureSize.height(), cols, rows);
    if (!computed)
        throw std::invalid_argument("unplayable test puzzle");
    geometry = *computed;

    desktop.resize(frameSize);
    desktop.show();
    if (!QTest::qWaitForWindowExposed(&desktop))
        throw std::runtime_error("the desktop was not shown");
    desktop.SetupDesktop(game, geometry.pieceWidth, geometry.pieceHeight, geometry.margin);
    QImage work(geometry.pieceWidth, geometry.pieceHeight, QImage::Format_RGB888);
    const int count = pieceCount < 0 ? cols * rows : pieceCount;
    for (int i = 0; i < count; ++i) {
        RenderCell(work, picture, (i % cols) * geometry.cellWidth - geometry.margin,
                   (i / cols) * geometry.cellHeight - geometry.margin);
        desktop.AddPiece(work);
    }
    desktop.RefreshPalette();
}

TPiece &TDesktopGame::Piece(int index)
{
    return game.pieces.at(static_cast<std::size_t>(index));
}

TPieceImage *TDesktopGame::Image(int index) const
{
    return desktop.Images().at(static_cast<std::size_t>(index)).get();
}

QPoint TDesktopGame::BodyPoint() const
{
    return {geometry.pieceWidth / 2, geometry.pieceHeight / 2};
}

void TDesktopGame::Drag(TPieceImage *image, QPoint grab, QPoint targetView, Qt::MouseButton button,
                        Qt::KeyboardModifiers modifiers)
{
    TDesktopCanvas *canvas = desktop.Canvas();
    // A piece on the desktop is shown at the zoom, and so is the point that grabs it.
    const QPoint shownGrab = image->FollowsZoom() ? canvas->ToWidget(grab) : grab;
    const QPoint start = canvas->WidgetBounds(*image).topLeft() + shownGrab;
    const QPoint end = targetView + desktop.ScrollPosition() + shownGrab;
    QTest::mousePress(canvas, button, modifiers, start);
    QTest::mouseMove(canvas, (start + end) / 2);
    QTest::mouseMove(canvas, end);
    QTest::mouseRelease(canvas, button, modifiers, end);
}

void TDesktopGame::DragTo(TPieceImage *image, QPoint targetView)
{
    Drag(image, BodyPoint(), targetView);
}

void TDesktopGame::WaitForTick()
{
    QSignalSpy tick(desktop.m_paletteTimer, &QTimer::timeout);
    tick.wait(2000);
}

void TDesktopGame::ScrollTo(int horizontal, int vertical)
{
    desktop.m_scrollArea->horizontalScrollBar()->setValue(horizontal);
    desktop.m_scrollArea->verticalScrollBar()->setValue(vertical);
}

#include "support/PlayWindowFixture.h"

#include "windows/common/ProgramWindows.h"
#include "windows/desktop/PuzzleDesktop.h"
#include "windows/play/JigsawPlayWindow.h"
#include "windows/play/ToolsWindow.h"

#include <QTest>
#include <QTimer>
#include <cmath>

namespace
{

// A game that has not ended after this is closed by the driver.
constexpr int GameTimeLimitMs = 60000;

bool GameShowing(const TJigsawPlayWindow &window)
{
    return window.isVisible() && ProgramWindows().toolsWindow != nullptr &&
           ProgramWindows().toolsWindow->isVisible();
}

} // namespace

std::shared_ptr<TDriverResult> DriveGame(TJigsawPlayWindow &window, std::function<void()> action,
                                         std::function<void()> endGame)
{
    auto result = std::make_shared<TDriverResult>();
    // Both timers belong to the window, so neither outlives it: a game that never shows, or a
    // test that ends before a deferred delete runs, leaves nothing behind.
    auto *poll = new QTimer(&window);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, target = &window, result, action, endGame] {
        if (!GameShowing(*target))
            return;
        poll->stop();
        poll->deleteLater();
        result->ran = true;
        action();
        if (endGame)
            endGame();
        else
            target->close();
    });
    poll->start();
    QTimer::singleShot(GameTimeLimitMs, &window, [target = &window, result] {
        if (target->isVisible()) {
            result->timedOut = true;
            target->close();
        }
    });
    return result;
}

void DragPiece(TPuzzleDesktop &desktop, TPieceImage *image, QPoint desktopTarget)
{
    const QPoint grab(image->Bounds().width() / 2, image->Bounds().height() / 2);
    QWidget *canvas = desktop.Canvas();
    const QPoint start = image->Position() + grab;
    const QPoint end = desktopTarget + grab;
    QTest::mousePress(canvas, Qt::LeftButton, {}, start);
    QTest::mouseMove(canvas, (start + end) / 2);
    QTest::mouseMove(canvas, end);
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, end);
}

QPoint SolvedOrigin(const TJigsawPlayWindow &window)
{
    const TPieceGeometry &geometry = window.Geometry();
    const int stripRight = window.m_desktop->m_paletteStrip->Bounds().right();
    const int columns = stripRight / geometry.cellWidth + 1;
    return {columns * geometry.cellWidth, geometry.cellHeight};
}

void SolveByDragging(TJigsawPlayWindow &window)
{
    TPuzzleDesktop &desktop = *window.m_desktop;
    const TPieceGeometry &geometry = window.Geometry();
    const QPoint origin = SolvedOrigin(window);
    // The palette shows its first pieces; each drop lays it out again.
    while (!desktop.PalettePieces().isEmpty()) {
        const int piece = desktop.PalettePieces().first();
        const TPiece &cell = desktop.Pieces()[static_cast<std::size_t>(piece)];
        const int before = static_cast<int>(desktop.PalettePieces().size());
        DragPiece(desktop, desktop.ImageOfPiece(piece),
                  origin + QPoint(cell.col * geometry.cellWidth, cell.row * geometry.cellHeight));
        if (desktop.PalettePieces().size() >= before)
            return; // the piece did not leave the palette: the caller's checks will say so
    }
}

#include "support/PlayWindowFixture.h"

#include "engine/container/KelPigger.h"
#include "engine/container/KelUtils.h"
#include "engine/container/PuzzleSchema.h"
#include "engine/jigsaw/PuzzleMaking.h"
#include "engine/jigsaw/Random.h"
#include "engine/picture/JpegPicture.h"
#include "windows/common/WindowInstances.h"
#include "windows/desktop/PuzzleDesktop.h"
#include "windows/play/JigsawPlayWindow.h"
#include "windows/play/ToolsWindow.h"

#include <QPainter>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <cmath>

namespace
{

// A game that has not ended after this is closed by the driver.
constexpr int GameTimeLimitMs = 60000;

bool GameShowing(const TD_puzzle_js &window)
{
    return window.isVisible() && F_tools != nullptr && F_tools->isVisible();
}

} // namespace

QImage PhotoLikePicture(QSize size)
{
    QImage picture(size, QImage::Format_RGB888);
    for (int y = 0; y < size.height(); ++y) {
        uchar *row = picture.scanLine(y);
        for (int x = 0; x < size.width(); ++x) {
            const double u = double(x) / size.width();
            const double v = double(y) / size.height();
            row[3 * x] = static_cast<uchar>(120 + 100 * std::sin(6 * u + 2 * v));
            row[3 * x + 1] = static_cast<uchar>(60 + 150 * v);
            row[3 * x + 2] = static_cast<uchar>(200 - 140 * u * v);
        }
    }
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const int unit = std::min(size.width(), size.height());
    painter.setBrush(QColor(230, 40, 60));
    painter.drawEllipse(QPoint(size.width() / 3, size.height() / 2), unit / 5, unit / 5);
    painter.setBrush(QColor(250, 220, 30));
    painter.drawEllipse(QPoint(2 * size.width() / 3, size.height() / 3), unit / 7, unit / 7);
    painter.setBrush(QColor(20, 120, 40));
    painter.drawRect(0, 4 * size.height() / 5, size.width(), size.height() / 10);
    painter.setBrush(Qt::white);
    painter.drawRect(size.width() / 10, size.height() / 10, size.width() / 8, size.height() / 12);
    return picture;
}

QByteArray JpegBytesOf(const QImage &picture)
{
    TJPEGImage jpeg;
    jpeg.Assign(picture);
    return jpeg.Data();
}

void MakeTestDocument(TKelPigger &document, int cols, int rows, const QByteArray &name)
{
    TRandomGenerator random(20261207);
    MakePuzzleDocument(document, {rows, cols, true, name, "", ""}, random);
}

std::shared_ptr<TDriverResult> DriveGame(TD_puzzle_js &window, std::function<void()> action,
                                         std::function<void()> endGame)
{
    auto result = std::make_shared<TDriverResult>();
    auto *poll = new QTimer;
    poll->setInterval(10);
    QPointer<TD_puzzle_js> target(&window);
    QObject::connect(poll, &QTimer::timeout, [poll, target, result, action, endGame] {
        if (target && !GameShowing(*target))
            return;
        poll->stop();
        poll->deleteLater();
        if (!target)
            return;
        result->ran = true;
        action();
        if (endGame)
            endGame();
        else
            target->close();
    });
    poll->start();
    QTimer::singleShot(GameTimeLimitMs, &window, [target, result] {
        if (target && target->isVisible()) {
            result->timedOut = true;
            target->close();
        }
    });
    return result;
}

void DragPiece(TO_pd &desktop, TPieceImage *image, QPoint desktopTarget)
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

QPoint SolvedOrigin(const TD_puzzle_js &window)
{
    const TPieceGeometry &geometry = window.Geometry();
    const int stripRight = window.Odesktop->Shape_pal->Bounds().right();
    const int columns = stripRight / geometry.cellWidth + 1;
    return {columns * geometry.cellWidth, geometry.cellHeight};
}

void SolveByDragging(TD_puzzle_js &window)
{
    TO_pd &desktop = *window.Odesktop;
    const TPieceGeometry &geometry = window.Geometry();
    const QPoint origin = SolvedOrigin(window);
    // The palette shows its first pieces; each drop lays it out again.
    while (!desktop.PaletteRecords().isEmpty()) {
        const TKelPigger *record = desktop.PaletteRecords().first();
        const int col = TextToIntDef(record->GetAttr(PuzzleSchema::KeyCol), 0);
        const int row = TextToIntDef(record->GetAttr(PuzzleSchema::KeyRow), 0);
        const int before = static_cast<int>(desktop.PaletteRecords().size());
        DragPiece(desktop, desktop.ImageOfRecord(record),
                  origin + QPoint(col * geometry.cellWidth, row * geometry.cellHeight));
        if (desktop.PaletteRecords().size() >= before)
            return; // the piece did not leave the palette: the caller's checks will say so
    }
}

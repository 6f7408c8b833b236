#include "engine/jigsaw/PieceTurns.h"

#include "engine/jigsaw/PuzzleGame.h"
#include "engine/jigsaw/Random.h"

#include <QTransform>

namespace
{

constexpr int QuarterTurns = 4;

} // namespace

int NormalisedTurn(int quarterTurns)
{
    return ((quarterTurns % QuarterTurns) + QuarterTurns) % QuarterTurns;
}

void DrawTurns(std::vector<TPiece> &pieces, TRandomGenerator &random)
{
    for (TPiece &piece : pieces)
        piece.turn = random.Random(QuarterTurns);
}

QImage TurnedImage(const QImage &image, int quarterTurns)
{
    const int turns = NormalisedTurn(quarterTurns);
    if (turns == 0)
        return image;
    // Multiples of 90 degrees are carried out as exact pixel moves.
    return image.transformed(QTransform().rotate(90.0 * turns));
}

QPoint UprightPoint(QPoint shown, QSize uprightSize, int quarterTurns)
{
    // Pixel centres relative to the image's centre, doubled to stay whole numbers.
    const QPoint size(uprightSize.width(), uprightSize.height());
    QPoint d = shown * 2 + QPoint(1, 1) - size;
    for (int i = 0; i < NormalisedTurn(quarterTurns); ++i)
        d = QPoint(d.y(), -d.x()); // a quarter turn back, counter-clockwise on screen
    const QPoint twice = d + size - QPoint(1, 1);
    return {twice.x() >> 1, twice.y() >> 1};
}

QPoint TurnedImageOffset(QSize uprightSize, int quarterTurns)
{
    const QSize turned = NormalisedTurn(quarterTurns) % 2 ? uprightSize.transposed() : uprightSize;
    return {(uprightSize.width() - turned.width()) / 2,
            (uprightSize.height() - turned.height()) / 2};
}

QRect TurnedRect(const QRect &part, QSize uprightSize, int quarterTurns)
{
    const int width = uprightSize.width();
    const int height = uprightSize.height();
    switch (NormalisedTurn(quarterTurns)) {
    case 1: // (x, y) goes to (height - 1 - y, x)
        return {height - part.y() - part.height(), part.x(), part.height(), part.width()};
    case 2:
        return {width - part.x() - part.width(), height - part.y() - part.height(), part.width(),
                part.height()};
    case 3: // (x, y) goes to (y, width - 1 - x)
        return {part.y(), width - part.x() - part.width(), part.height(), part.width()};
    default:
        return part;
    }
}

#include "engine/jigsaw/PieceTurns.h"

#include "engine/container/DocumentValues.h"
#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleSchema.h"
#include "engine/jigsaw/Random.h"

#include <QTransform>

using namespace PuzzleSchema;

namespace
{

constexpr int QuarterTurns = 4;

int Normalised(int quarterTurns)
{
    return ((quarterTurns % QuarterTurns) + QuarterTurns) % QuarterTurns;
}

} // namespace

const TKeyedNode *PiecesNodeOf(const TKeyedNode &document)
{
    if (const TKeyedNode *pieces = document.FindChild(PiecesNode))
        return pieces;
    return document.FindChild(TurnedPiecesNode);
}

TKeyedNode *PiecesNodeOf(TKeyedNode &document)
{
    return const_cast<TKeyedNode *>(PiecesNodeOf(std::as_const(document)));
}

bool HasTurnedPieces(const TKeyedNode &document)
{
    const TKeyedNode *pieces = PiecesNodeOf(document);
    return pieces != nullptr && pieces->Name() == TurnedPiecesNode;
}

int TurnOf(const TKeyedNode &record)
{
    const auto turn = TextToInt(record.GetAttr(KeyTurn));
    return turn && *turn >= 0 && *turn < QuarterTurns ? static_cast<int>(*turn) : 0;
}

bool IsUpright(const TKeyedNode &record)
{
    return TurnOf(record) == 0;
}

void SetTurn(TKeyedNode &record, int quarterTurns)
{
    record.SetAttr(KeyTurn, IntToText(Normalised(quarterTurns)));
}

void DrawTurns(TKeyedNode &pieces, TRandomGenerator &random)
{
    for (int i = 0; i < pieces.ChildCount(); ++i)
        SetTurn(*pieces.Child(i), random.Random(QuarterTurns));
}

QImage TurnedImage(const QImage &image, int quarterTurns)
{
    const int turns = Normalised(quarterTurns);
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
    for (int i = 0; i < Normalised(quarterTurns); ++i)
        d = QPoint(d.y(), -d.x()); // a quarter turn back, counter-clockwise on screen
    const QPoint twice = d + size - QPoint(1, 1);
    return {twice.x() >> 1, twice.y() >> 1};
}

QPoint TurnedImageOffset(QSize uprightSize, int quarterTurns)
{
    const QSize turned = Normalised(quarterTurns) % 2 ? uprightSize.transposed() : uprightSize;
    return {(uprightSize.width() - turned.width()) / 2,
            (uprightSize.height() - turned.height()) / 2};
}

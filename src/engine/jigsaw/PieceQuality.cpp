#include "engine/jigsaw/PieceQuality.h"

#include "engine/jigsaw/PuzzleMaking.h"
#include "engine/picture/Resampling.h"

#include <algorithm>

namespace
{

// The most pieces along a side of this length that keep them GoodPieceSide, within the maker's
// range and no more than asked.
int GoodCount(int length, int asked)
{
    return std::clamp(length / GoodPieceSide, MakerMinGridSize, std::max(asked, MakerMinGridSize));
}

} // namespace

TPieceQuality JudgePieceQuality(QSize pictureSize, int cols, int rows, QSize screen)
{
    TPieceQuality quality;
    quality.screen = screen;
    if (cols < 1 || rows < 1)
        return quality;
    quality.pieceSize = QSize(pictureSize.width() / cols, pictureSize.height() / rows);
    quality.tooSmall =
        quality.pieceSize.width() < GoodPieceSide || quality.pieceSize.height() < GoodPieceSide;
    quality.goodGrid = quality.tooSmall ? QSize(GoodCount(pictureSize.width(), cols),
                                                GoodCount(pictureSize.height(), rows))
                                        : QSize(cols, rows);
    quality.tooLarge = quality.pieceSize.width() * 4 > screen.width() ||
                       quality.pieceSize.height() * 4 > screen.height();
    if (quality.tooLarge) {
        // Whichever side is the larger share of the screen sets the scale.
        const double byHeight = screen.height() / 8.0 / quality.pieceSize.height();
        const double byWidth = screen.width() / 8.0 / quality.pieceSize.width();
        quality.comfortableScalePercent =
            std::clamp(static_cast<int>(100 * std::min(byHeight, byWidth)), MinScalePercent, 100);
    }
    return quality;
}

QStringList PieceQualityWarnings(const TPieceQuality &quality)
{
    QStringList warnings;
    const QSize piece = quality.pieceSize;
    if (quality.tooSmall)
        warnings.append(QStringLiteral("Pieces of %1 × %2 pixels will look blurry; up to %3 × %4 "
                                       "pieces stay sharp.")
                            .arg(piece.width())
                            .arg(piece.height())
                            .arg(quality.goodGrid.width())
                            .arg(quality.goodGrid.height()));
    if (quality.tooLarge)
        warnings.append(QStringLiteral("Pieces of %1 × %2 pixels are too large for a %3 × %4 "
                                       "screen; at %5% of its size the picture suits it.")
                            .arg(piece.width())
                            .arg(piece.height())
                            .arg(quality.screen.width())
                            .arg(quality.screen.height())
                            .arg(quality.comfortableScalePercent));
    return warnings;
}

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

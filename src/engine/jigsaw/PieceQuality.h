#pragma once
// Whether the pieces a grid cuts from a picture will look good and be easy to handle: big
// enough in picture pixels not to look blurry, small enough for a few of them to fit on the
// screen at once. Advice only: every grid the maker offers can still be made.

#include <QSize>
#include <QStringList>

// Below this many picture pixels across or down a piece looks small and blurry.
inline constexpr int GoodPieceSide = 40;
// The screen the command line judges against, having none of its own.
inline constexpr QSize ReferenceScreen(1920, 1080);

struct TPieceQuality {
    // The screen judged against.
    QSize screen;
    // One piece's cell in picture pixels.
    QSize pieceSize;
    // A side below GoodPieceSide.
    bool tooSmall = false;
    // The largest grid, no larger than the one asked for in either direction and within the
    // maker's range, whose pieces are at least GoodPieceSide; the grid asked for when it is.
    QSize goodGrid;
    // A piece takes more than a quarter of the screen's height or width, so the palette shows
    // one or two pieces at a time.
    bool tooLarge = false;
    // When too large: the picture scaled to this percent gives pieces of a comfortable size
    // (about an eighth of the screen's height); 100 otherwise.
    int comfortableScalePercent = 100;
};

// The quality of cols × rows pieces cut from a picture of pictureSize, judged for screen.
TPieceQuality JudgePieceQuality(QSize pictureSize, int cols, int rows, QSize screen);

// The problems in plain words, one sentence each with its remedy; none when pieces are fine.
QStringList PieceQualityWarnings(const TPieceQuality &quality);

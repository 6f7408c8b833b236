#pragma once
// A game as values: the puzzle's facts, the grid, the desktop's look, the tools window's place,
// the clock and every piece. The rules take and return these values; the puzzle document is
// only its stored form (see PuzzleDocumentCodec.h), read when a puzzle opens and written when
// the game is kept.

#include "engine/container/DocumentValues.h"

#include <QByteArray>
#include <QPoint>
#include <cstdint>
#include <optional>
#include <vector>

// Edge values: 1 tab (bulges into the neighbour's cell), -1 hole, 0 flat. Any other value
// shapes like a flat edge.
struct TPieceEdges {
    int top = 0;
    int right = 0;
    int bottom = 0;
    int left = 0;

    bool operator==(const TPieceEdges &) const = default;
};

struct TPiece {
    // The cell the piece belongs in; -1 when the stored form gave none.
    int row = -1;
    int col = -1;
    TPieceEdges edges;
    // The key of the palette's unsorted order.
    int randomOrder = 0;
    // The top-left of the upright piece image in desktop coordinates; none on the palette.
    std::optional<QPoint> position;
    // Quarter turns clockwise, 0 to 3.
    int turn = 0;

    bool operator==(const TPiece &) const = default;
};

// One number of the tools window's place as stored: absent, a number, or text that is none.
struct TStoredNumber {
    bool present = false;
    // Set when present and a number.
    std::optional<int> value;

    bool operator==(const TStoredNumber &) const = default;
};

struct TToolsPlacement {
    TStoredNumber left;
    TStoredNumber top;
    TStoredNumber width;
    TStoredNumber height;

    bool operator==(const TToolsPlacement &) const = default;
};

struct TPuzzleGame {
    // As typed by the puzzle's maker, UTF-8.
    QByteArray name;
    QByteArray author;
    QByteArray website;
    // Pieces across and down.
    int cols = 10;
    int rows = 12;
    bool drawBorders = true;
    // The alternative picture is shown once the puzzle is solved.
    bool useAlternativePicture = false;
    // The pieces lie in quarter turns and the player turns them.
    bool turnedPieces = false;
    // The desktop's colour and texture (1-based index into the textures) as last chosen.
    std::optional<TColor> backgroundColour;
    std::optional<int> backgroundTexture;
    TToolsPlacement tools;
    // Seconds played in this game, and the fewest any solve took; none before the first.
    std::optional<std::int64_t> playedSeconds;
    std::optional<std::int64_t> bestSeconds;
    // Row-major, as stored; a document may hold more pieces than its grid has cells.
    std::vector<TPiece> pieces;

    bool operator==(const TPuzzleGame &) const = default;
};

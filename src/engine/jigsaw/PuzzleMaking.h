#pragma once
// Making a new puzzle: the header values and one piece per cell with random edges. Only edge
// types are kept; the picture is cut when the puzzle is played.

#include "engine/jigsaw/PuzzleGame.h"
#include "engine/jigsaw/Random.h"

#include <QByteArray>
#include <vector>

struct TPuzzleProperties {
    int rows = 7;
    int cols = 7;
    bool borders = true;
    QByteArray name;
    QByteArray author;
    QByteArray website;
    // Pieces start in random quarter turns and are turned by the player. Off, the game is
    // exactly as without the choice.
    bool turned = false;
};

// -1 (hole) for a draw of 0 ... 5 out of 10, 1 (tab) otherwise.
int RandomEdge(TRandomGenerator &random);

// rows × cols pieces in row-major order, drawing per piece the bottom edge, the right edge and
// the order key from random as it stands; top and left edges are the negation of the
// neighbours'.
std::vector<TPiece> MakePieces(int rows, int cols, TRandomGenerator &random);

// The grid sizes the maker offers, across and down, and the one it starts with; the player
// reads grids up to MaxGridSize. 3 × 3 suits small children, 100 × 100 (10,000 pieces) is as
// many as the largest puzzles sold; the palette browses and the tools window shows progress so
// that they stay pleasant to play.
inline constexpr int MakerMinGridSize = 3;
inline constexpr int MakerMaxGridSize = 100;
inline constexpr int MakerDefaultGridSize = 7;

// A new game of the properties: the pieces from random as it stands, then, for turned pieces,
// their turns.
TPuzzleGame MakePuzzleGame(const TPuzzleProperties &properties, TRandomGenerator &random);
// As above with the process-wide generator, first seeded from the clock: what the maker does.
TPuzzleGame MakePuzzleGame(const TPuzzleProperties &properties);

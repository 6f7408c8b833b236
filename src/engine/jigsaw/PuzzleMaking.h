#pragma once
// Making a new puzzle document: the header values and one piece record per cell with random
// edges. Only edge types are stored; the picture is cut when the puzzle is played.

#include "engine/jigsaw/Random.h"

#include <QByteArray>

class TKeyedNode;

struct TPuzzleProperties {
    int rows = 7;
    int cols = 7;
    bool borders = true;
    QByteArray name;
    QByteArray author;
    QByteArray website;
    // Pieces start in random quarter turns and are turned by the player; the records then lie
    // under TURNED_PIECES. Off, the document is exactly as without the choice.
    bool turned = false;
};

// The child of node named name, created as its last child when there is none. A null node
// gives null.
TKeyedNode *FindOrAddChild(TKeyedNode *node, const QByteArray &name);

// -1 (hole) for a draw of 0 ... 5 out of 10, 1 (tab) otherwise.
int RandomEdge(TRandomGenerator &random);

// Replaces the document's PIECES node by rows × cols records in row-major order, drawing per
// piece the bottom edge, the right edge and the order key from random as it stands; top and
// left edges are the negation of the neighbours'.
void MakePieces(TKeyedNode &document, int rows, int cols, TRandomGenerator &random);
// As above with the process-wide generator, first seeded from the clock.
void MakePieces(TKeyedNode &document, int rows, int cols);

// The grid sizes the maker offers, across and down, and the one it starts with; the player
// reads grids up to MaxGridSize. 3 × 3 suits small children, 50 × 50 (2,500 pieces) is as far
// as the desktop and palette stay pleasant to play.
inline constexpr int MakerMinGridSize = 3;
inline constexpr int MakerMaxGridSize = 50;
inline constexpr int MakerDefaultGridSize = 7;

// Clears the document and writes the header (PNAME, AUTHOR, WEBSITE, COLS, ROWS, BRDRS; empty
// texts and borders on leave their attribute absent), then the pieces from random as it stands,
// then, for turned pieces, their turns.
// Always true.
bool MakePuzzleDocument(TKeyedNode &document, const TPuzzleProperties &properties,
                        TRandomGenerator &random);
// As above with the process-wide generator, first seeded from the clock: what the maker does.
bool MakePuzzleDocument(TKeyedNode &document, const TPuzzleProperties &properties);

#pragma once
// What a puzzle must pass before it is played or cut: a document with piece records, and a cut
// that fits the memory budget. Both are checked before the picture is decoded, so a puzzle that
// fails takes no memory for it.

#include "engine/jigsaw/PieceGeometry.h"

#include <cstdint>
#include <stdexcept>

class TKelPigger;

// A puzzle that cannot be played; the message says why, for the user.
class EPuzzleRefused : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Throws EPuzzleRefused when the document is empty (no "PIG_TXT", or text that held no
// element) or has no "PIECES" node with at least one "PIECE" record.
void RequirePieceRecords(const TKelPigger &document);

// Bytes a cut takes at its peak: the decoded 24-bit picture, the 24-bit work bitmap and a 32-bit
// display image for every cell of the grid, each with rows padded to 4 bytes as QImage pads them.
std::int64_t CutMemoryNeed(int pictureWidth, int pictureHeight, const TPuzzleGrid &grid,
                           const TPieceGeometry &geometry);

// Throws EPuzzleRefused when cutting a picture of this size on the document's grid needs more
// than MemoryBudget. A grid that cannot be played on the picture is left to the cut to refuse.
void RequireCutWithinBudget(int pictureWidth, int pictureHeight, const TKelPigger &document);

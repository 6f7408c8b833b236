#pragma once
// The palette's arithmetic and order: how many pieces the strip shows at once, how far its
// scroll bar reaches, and the nine sort orders of the tools window's order list.

#include "engine/jigsaw/Joining.h"

#include <QList>

// The sort direction shared by the whole process, 1 or -1; the tools window sets it together
// with the sort order. Any value other than -1 is taken as 1.
int SortDirection();
void SetSortDirection(int direction);

// Orders: 0 "None" sorts by the pieces' random order; 1 and 2 by the top edge, 3 and 4 by the
// right, 5 and 6 by the bottom, 7 and 8 by the left.
inline constexpr int SortOrderCount = 9;

enum class TSortKey { RandomOrder, Top, Right, Bottom, Left };

// What an order sorts by; an unknown order sorts like None.
TSortKey SortKeyOfOrder(int order);

// Values are compared as their decimal texts, byte by byte, as the order has always been:
// "-1" < "0" < "1", and "12" < "3".
// The two pieces' edges of key compared as -1, 0 or 1, multiplied by the sort direction.
int CompareEdgeKey(const TPiece &a, const TPiece &b, TSortKey key);
// The two random orders compared, ascending whatever the sort direction.
int CompareOrderKey(const TPiece &a, const TPiece &b);

// Sorts palette pieces (indices into pieces) in an order; equal keys keep their relative order.
void SortPalettePieces(QList<int> &palette, TPieces pieces, int order);

struct TPaletteSlots {
    int slotCount = 1; // pieces shown at once, at least 1
    int topPad = 0;    // half the height left below the last slot
};

// The slots that fit into availableHeight with a stride of pieceHeight + 10.
TPaletteSlots ComputePaletteSlots(int availableHeight, int pieceHeight);

// Maximum of the palette scroll bar for a palette of paletteCount pieces.
int PaletteScrollMaximum(int paletteCount, int paletteSlots);

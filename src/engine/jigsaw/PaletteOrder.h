#pragma once
// The palette's arithmetic and order: how many pieces the strip shows at once, how far its
// scroll bar reaches, and the nine sort orders of the tools window's order list.

#include <QByteArray>
#include <QList>

class TKeyedNode;

// The sort direction shared by the whole process, 1 or -1; the tools window sets it together
// with the sort order. Any value other than -1 is taken as 1.
int SortDirection();
void SetSortDirection(int direction);

// Orders: 0 "None" sorts by the random order key RO; 1 and 2 by T, 3 and 4 by R, 5 and 6 by B,
// 7 and 8 by L.
inline constexpr int SortOrderCount = 9;

// The edge key an order sorts by, or an empty text for the orders that sort by RO.
QByteArray SortKeyOfOrder(int order);

// The two records' values of key compared as byte texts (an absent value is empty text), as -1,
// 0 or 1, multiplied by the sort direction.
int CompareEdgeKey(const TKeyedNode &a, const TKeyedNode &b, const QByteArray &key);
// The two RO values compared as byte texts, ascending whatever the sort direction: "12" < "3".
int CompareOrderKey(const TKeyedNode &a, const TKeyedNode &b);

// Sorts palette records in an order; records with equal keys keep their relative order.
void SortPaletteRecords(QList<TKeyedNode *> &records, int order);

struct TPaletteSlots {
    int slotCount = 1; // pieces shown at once, at least 1
    int topPad = 0;    // half the height left below the last slot
};

// The slots that fit into availableHeight with a stride of pieceHeight + 10.
TPaletteSlots ComputePaletteSlots(int availableHeight, int pieceHeight);

// Maximum of the palette scroll bar for a palette of paletteCount pieces.
int PaletteScrollMaximum(int paletteCount, int paletteSlots);

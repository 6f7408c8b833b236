#include "engine/jigsaw/PaletteOrder.h"

#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleSchema.h"

#include <algorithm>

namespace
{

int processSortDirection = 1;

// Room between palette slots when counting how many fit.
constexpr int SlotGap = 10;

int Sign(int value)
{
    return (value > 0) - (value < 0);
}

// Byte-wise text order; a prefix is smaller than the longer text.
int CompareTexts(const QByteArray &a, const QByteArray &b)
{
    return Sign(a.compare(b));
}

} // namespace

int SortDirection()
{
    return processSortDirection;
}

void SetSortDirection(int direction)
{
    processSortDirection = direction == -1 ? -1 : 1;
}

QByteArray SortKeyOfOrder(int order)
{
    switch (order) {
    case 1:
    case 2:
        return PuzzleSchema::KeyTop;
    case 3:
    case 4:
        return PuzzleSchema::KeyRight;
    case 5:
    case 6:
        return PuzzleSchema::KeyBottom;
    case 7:
    case 8:
        return PuzzleSchema::KeyLeft;
    default:
        return {};
    }
}

int CompareEdgeKey(const TKeyedNode &a, const TKeyedNode &b, const QByteArray &key)
{
    return CompareTexts(a.GetAttr(key), b.GetAttr(key)) * SortDirection();
}

int CompareOrderKey(const TKeyedNode &a, const TKeyedNode &b)
{
    return CompareTexts(a.GetAttr(PuzzleSchema::KeyRandomOrder),
                        b.GetAttr(PuzzleSchema::KeyRandomOrder));
}

void SortPaletteRecords(QList<TKeyedNode *> &records, int order)
{
    const QByteArray key = SortKeyOfOrder(order);
    if (key.isEmpty()) {
        std::stable_sort(records.begin(), records.end(),
                         [](TKeyedNode *a, TKeyedNode *b) { return CompareOrderKey(*a, *b) < 0; });
    } else {
        std::stable_sort(records.begin(), records.end(), [&key](TKeyedNode *a, TKeyedNode *b) {
            return CompareEdgeKey(*a, *b, key) < 0;
        });
    }
}

TPaletteSlots ComputePaletteSlots(int availableHeight, int pieceHeight)
{
    const int stride = pieceHeight + SlotGap;
    TPaletteSlots result;
    if (stride <= 0)
        return result;
    result.slotCount = std::max(1, availableHeight / stride);
    result.topPad = (availableHeight % stride) / 2;
    return result;
}

int PaletteScrollMaximum(int paletteCount, int paletteSlots)
{
    if (paletteCount >= 2)
        return std::max(1, paletteCount - paletteSlots);
    return 1;
}

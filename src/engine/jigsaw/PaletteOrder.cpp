#include "engine/jigsaw/PaletteOrder.h"

#include <algorithm>
#include <charconv>
#include <string_view>

namespace
{

int processSortDirection = 1;

// Room between palette slots when counting how many fit.
constexpr int SlotGap = 10;

int Sign(int value)
{
    return (value > 0) - (value < 0);
}

// Byte-wise order of the decimal texts; a prefix is smaller than the longer text.
int CompareAsTexts(int a, int b)
{
    char textA[16];
    char textB[16];
    const std::string_view viewA(textA, std::to_chars(textA, textA + sizeof textA, a).ptr - textA);
    const std::string_view viewB(textB, std::to_chars(textB, textB + sizeof textB, b).ptr - textB);
    return Sign(viewA.compare(viewB));
}

int SortValue(const TPiece &piece, TSortKey key)
{
    switch (key) {
    case TSortKey::Top:
        return piece.edges.top;
    case TSortKey::Right:
        return piece.edges.right;
    case TSortKey::Bottom:
        return piece.edges.bottom;
    case TSortKey::Left:
        return piece.edges.left;
    default:
        return piece.randomOrder;
    }
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

TSortKey SortKeyOfOrder(int order)
{
    switch (order) {
    case 1:
    case 2:
        return TSortKey::Top;
    case 3:
    case 4:
        return TSortKey::Right;
    case 5:
    case 6:
        return TSortKey::Bottom;
    case 7:
    case 8:
        return TSortKey::Left;
    default:
        return TSortKey::RandomOrder;
    }
}

int CompareEdgeKey(const TPiece &a, const TPiece &b, TSortKey key)
{
    return CompareAsTexts(SortValue(a, key), SortValue(b, key)) * SortDirection();
}

int CompareOrderKey(const TPiece &a, const TPiece &b)
{
    return CompareAsTexts(a.randomOrder, b.randomOrder);
}

void SortPalettePieces(QList<int> &palette, TPieces pieces, int order)
{
    const TSortKey key = SortKeyOfOrder(order);
    const auto piece = [pieces](int index) -> const TPiece & {
        return pieces[static_cast<std::size_t>(index)];
    };
    if (key == TSortKey::RandomOrder) {
        std::stable_sort(palette.begin(), palette.end(),
                         [&](int a, int b) { return CompareOrderKey(piece(a), piece(b)) < 0; });
    } else {
        std::stable_sort(palette.begin(), palette.end(),
                         [&](int a, int b) { return CompareEdgeKey(piece(a), piece(b), key) < 0; });
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

#include "engine/jigsaw/PaletteOrder.h"

#include <gtest/gtest.h>
#include <vector>

namespace
{

// Palette pieces, each with the given random order and edges (top, right, bottom, left).
class PalettePieces : public ::testing::Test
{
protected:
    int Add(int ro, int t = 0, int r = 0, int b = 0, int l = 0)
    {
        TPiece piece;
        piece.randomOrder = ro;
        piece.edges = {t, r, b, l};
        m_pieces.push_back(piece);
        m_palette.append(static_cast<int>(m_pieces.size()) - 1);
        return m_palette.last();
    }

    const TPiece &Piece(int index) const { return m_pieces[static_cast<std::size_t>(index)]; }

    // The sort key's values in palette order.
    QList<int> Values(TSortKey key) const
    {
        QList<int> values;
        for (const int index : m_palette) {
            const TPiece &piece = Piece(index);
            switch (key) {
            case TSortKey::Top:
                values.append(piece.edges.top);
                break;
            case TSortKey::Right:
                values.append(piece.edges.right);
                break;
            case TSortKey::Bottom:
                values.append(piece.edges.bottom);
                break;
            case TSortKey::Left:
                values.append(piece.edges.left);
                break;
            default:
                values.append(piece.randomOrder);
            }
        }
        return values;
    }

    void Sort(int order) { SortPalettePieces(m_palette, m_pieces, order); }

    void TearDown() override { SetSortDirection(1); }

    std::vector<TPiece> m_pieces;
    QList<int> m_palette;
};

} // namespace

TEST(PaletteSlots, FrameOfSixHundredWithPiecesNinetyHigh)
{
    // 600 minus the two 8-pixel panels.
    const TPaletteSlots fitting = ComputePaletteSlots(584, 90);
    EXPECT_EQ(fitting.slotCount, 5);
    EXPECT_EQ(fitting.topPad, 42);
}

TEST(PaletteSlots, TooLowForOneSlotStillGetsOne)
{
    EXPECT_EQ(ComputePaletteSlots(99, 90).slotCount, 1);
    EXPECT_EQ(ComputePaletteSlots(0, 90).slotCount, 1);
    EXPECT_EQ(ComputePaletteSlots(-16, 90).slotCount, 1);
    EXPECT_EQ(ComputePaletteSlots(100, 90).slotCount, 1);
    EXPECT_EQ(ComputePaletteSlots(200, 90).slotCount, 2);
}

TEST(PaletteScroll, MaximumNeverBelowOne)
{
    EXPECT_EQ(PaletteScrollMaximum(0, 5), 1);
    EXPECT_EQ(PaletteScrollMaximum(1, 5), 1);
    EXPECT_EQ(PaletteScrollMaximum(3, 5), 1);
    EXPECT_EQ(PaletteScrollMaximum(6, 5), 1);
    EXPECT_EQ(PaletteScrollMaximum(7, 5), 2);
    EXPECT_EQ(PaletteScrollMaximum(225, 5), 220);
}

TEST_F(PalettePieces, OrderKeysCompareAsText)
{
    const int twelve = Add(12);
    const int three = Add(3);
    const int ten = Add(10);
    const int nine = Add(9);
    EXPECT_LT(CompareOrderKey(Piece(twelve), Piece(three)), 0);
    EXPECT_LT(CompareOrderKey(Piece(ten), Piece(nine)), 0);
    EXPECT_EQ(CompareOrderKey(Piece(three), Piece(three)), 0);
    SetSortDirection(-1);
    EXPECT_LT(CompareOrderKey(Piece(twelve), Piece(three)), 0)
        << "the direction is for edge keys only";
}

TEST_F(PalettePieces, EdgeKeysFollowTheSortDirection)
{
    const TPiece hole = Piece(Add(0, -1));
    const TPiece flat = Piece(Add(1, 0));
    const TPiece tab = Piece(Add(2, 1));
    SetSortDirection(1);
    EXPECT_EQ(CompareEdgeKey(hole, flat, TSortKey::Top), -1);
    EXPECT_EQ(CompareEdgeKey(flat, tab, TSortKey::Top), -1);
    EXPECT_EQ(CompareEdgeKey(tab, tab, TSortKey::Top), 0);
    SetSortDirection(-1);
    EXPECT_EQ(CompareEdgeKey(hole, flat, TSortKey::Top), 1);
    EXPECT_EQ(CompareEdgeKey(tab, hole, TSortKey::Top), -1);
}

TEST_F(PalettePieces, NoneSortsByOrderKeyText)
{
    Add(3);
    Add(12);
    Add(0);
    Add(21);
    Sort(0);
    EXPECT_EQ(Values(TSortKey::RandomOrder), (QList<int>{0, 12, 21, 3}));
}

TEST_F(PalettePieces, EachOrderSortsItsEdgeWithTabsFirstForOddItems)
{
    // Each piece has a different value on each edge so every key gives its own order.
    Add(0, 1, -1, 0, 1);
    Add(1, 0, 1, -1, -1);
    Add(2, -1, 0, 1, 0);
    const TSortKey keys[] = {TSortKey::Top,    TSortKey::Top,    TSortKey::Right, TSortKey::Right,
                             TSortKey::Bottom, TSortKey::Bottom, TSortKey::Left,  TSortKey::Left};
    for (int order = 1; order < SortOrderCount; ++order) {
        // The tools window: -1 for an odd item ("Top M" ...), 1 for an even one ("Top F" ...).
        SetSortDirection(order % 2 == 1 ? -1 : 1);
        Sort(order);
        const QList<int> expected = order % 2 == 1 ? QList<int>{1, 0, -1} : QList<int>{-1, 0, 1};
        EXPECT_EQ(Values(keys[order - 1]), expected) << "order " << order;
        EXPECT_EQ(SortKeyOfOrder(order), keys[order - 1]);
    }
    EXPECT_EQ(SortKeyOfOrder(0), TSortKey::RandomOrder);
    EXPECT_EQ(SortKeyOfOrder(9), TSortKey::RandomOrder) << "an unknown order sorts like None";
}

TEST_F(PalettePieces, EqualKeysKeepTheirOrder)
{
    const int first = Add(5, 1);
    const int second = Add(4, 1);
    const int hole = Add(3, -1);
    SetSortDirection(-1);
    Sort(1);
    EXPECT_EQ(m_palette, (QList<int>{first, second, hole}));
}

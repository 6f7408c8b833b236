#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleSchema.h"
#include "engine/jigsaw/PaletteOrder.h"

#include <gtest/gtest.h>
#include <memory>

namespace
{

// Records under one PIECES node, each with the given attributes.
class PaletteRecords : public ::testing::Test
{
protected:
    TKeyedNode *Add(const QByteArray &ro, const QByteArray &t = "0", const QByteArray &r = "0",
                    const QByteArray &b = "0", const QByteArray &l = "0")
    {
        auto *record = new TKeyedNode(&m_pieces);
        record->SetName(PuzzleSchema::PieceNode);
        record->SetAttr(PuzzleSchema::KeyRandomOrder, ro);
        record->SetAttr(PuzzleSchema::KeyTop, t);
        record->SetAttr(PuzzleSchema::KeyRight, r);
        record->SetAttr(PuzzleSchema::KeyBottom, b);
        record->SetAttr(PuzzleSchema::KeyLeft, l);
        m_list.append(record);
        return record;
    }

    QByteArrayList Values(const QByteArray &key) const
    {
        QByteArrayList values;
        for (const TKeyedNode *record : m_list)
            values.append(record->GetAttr(key));
        return values;
    }

    void TearDown() override { SetSortDirection(1); }

    TKeyedNode m_pieces;
    QList<TKeyedNode *> m_list;
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

TEST_F(PaletteRecords, OrderKeysCompareAsText)
{
    const TKeyedNode *twelve = Add("12");
    const TKeyedNode *three = Add("3");
    const TKeyedNode *ten = Add("10");
    const TKeyedNode *nine = Add("9");
    EXPECT_LT(CompareOrderKey(*twelve, *three), 0);
    EXPECT_LT(CompareOrderKey(*ten, *nine), 0);
    EXPECT_EQ(CompareOrderKey(*three, *three), 0);
    SetSortDirection(-1);
    EXPECT_LT(CompareOrderKey(*twelve, *three), 0) << "the direction is for edge keys only";
}

TEST_F(PaletteRecords, EdgeKeysFollowTheSortDirection)
{
    const TKeyedNode *hole = Add("0", "-1");
    const TKeyedNode *flat = Add("1", "0");
    const TKeyedNode *tab = Add("2", "1");
    const TKeyedNode *absent = Add("3");
    m_list.last()->DeleteAttr(PuzzleSchema::KeyTop);
    SetSortDirection(1);
    EXPECT_EQ(CompareEdgeKey(*hole, *flat, "T"), -1);
    EXPECT_EQ(CompareEdgeKey(*flat, *tab, "T"), -1);
    EXPECT_EQ(CompareEdgeKey(*tab, *tab, "T"), 0);
    EXPECT_EQ(CompareEdgeKey(*absent, *hole, "T"), -1) << "absent reads as empty text";
    SetSortDirection(-1);
    EXPECT_EQ(CompareEdgeKey(*hole, *flat, "T"), 1);
    EXPECT_EQ(CompareEdgeKey(*tab, *hole, "T"), -1);
}

TEST_F(PaletteRecords, NoneSortsByOrderKeyText)
{
    Add("3");
    Add("12");
    Add("0");
    Add("21");
    SortPaletteRecords(m_list, 0);
    EXPECT_EQ(Values("RO"), (QByteArrayList{"0", "12", "21", "3"}));
}

TEST_F(PaletteRecords, EachOrderSortsItsEdgeWithTabsFirstForOddItems)
{
    // Each record has a different value on each edge so every key gives its own order.
    Add("0", "1", "-1", "0", "1");
    Add("1", "0", "1", "-1", "-1");
    Add("2", "-1", "0", "1", "0");
    const QByteArray keys[] = {"T", "T", "R", "R", "B", "B", "L", "L"};
    for (int order = 1; order < SortOrderCount; ++order) {
        // The tools window: -1 for an odd item ("Top M" ...), 1 for an even one ("Top F" ...).
        SetSortDirection(order % 2 == 1 ? -1 : 1);
        SortPaletteRecords(m_list, order);
        const QByteArrayList expected =
            order % 2 == 1 ? QByteArrayList{"1", "0", "-1"} : QByteArrayList{"-1", "0", "1"};
        EXPECT_EQ(Values(keys[order - 1]), expected) << "order " << order;
        EXPECT_EQ(SortKeyOfOrder(order), keys[order - 1]);
    }
    EXPECT_TRUE(SortKeyOfOrder(0).isEmpty());
    EXPECT_TRUE(SortKeyOfOrder(9).isEmpty()) << "an unknown order sorts like None";
}

TEST_F(PaletteRecords, EqualKeysKeepTheirOrder)
{
    TKeyedNode *first = Add("5", "1");
    TKeyedNode *second = Add("4", "1");
    TKeyedNode *hole = Add("3", "-1");
    SetSortDirection(-1);
    SortPaletteRecords(m_list, 1);
    EXPECT_EQ(m_list, (QList<TKeyedNode *>{first, second, hole}));
}

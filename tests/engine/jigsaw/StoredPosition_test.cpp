// A stored position is restored only when both values convert and the whole piece stays
// within the desktop's reach.
#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/jigsaw/StoredPosition.h"

#include <gtest/gtest.h>

namespace
{

std::optional<QPoint> Restored(const QByteArray &left, const QByteArray &top)
{
    TKeyedNode document;
    document.LoadFromText("<PUZZLE_DATA><PIECES><PIECE/></PIECES></PUZZLE_DATA>");
    TKeyedNode &record = *document.Child(0)->Child(0);
    record.SetAttr("PLEFT", left);
    record.SetAttr("PTOP", top);
    return StoredPosition(ReadPuzzleGame(document).pieces.at(0), 40, 30);
}

} // namespace

TEST(StoredPosition, OnlyWholePiecesWithinTheDesktopAreRestored)
{
    const QByteArray farthestLeft = QByteArray::number(MaxDesktopCoordinate - 40);
    const QByteArray farthestTop = QByteArray::number(MaxDesktopCoordinate - 30);
    const QByteArray nearest = QByteArray::number(-MaxDesktopCoordinate);
    EXPECT_EQ(Restored("$10", "-7"), QPoint(16, -7));
    EXPECT_EQ(Restored(farthestLeft, farthestTop),
              QPoint(MaxDesktopCoordinate - 40, MaxDesktopCoordinate - 30));
    EXPECT_EQ(Restored(nearest, nearest), QPoint(-MaxDesktopCoordinate, -MaxDesktopCoordinate));
    for (const auto &[left, top] : std::initializer_list<std::pair<QByteArray, QByteArray>>{
             {QByteArray::number(MaxDesktopCoordinate - 39), "0"},
             {"0", QByteArray::number(MaxDesktopCoordinate - 29)},
             {QByteArray::number(-MaxDesktopCoordinate - 1), "0"},
             {"", "0"},
             {"0", "x"},
             {"99999999999", "0"}})
        EXPECT_FALSE(Restored(left, top)) << left.constData() << ", " << top.constData();
}

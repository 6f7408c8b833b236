// Documents are refused from their size and record count before they are read, and the
// largest document the maker writes stays inside both limits.
#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/container/PuzzleDocumentLimits.h"
#include "engine/container/PuzzleSchema.h"
#include "engine/jigsaw/PuzzleMaking.h"

#include <gtest/gtest.h>

using namespace PuzzleSchema;

namespace
{

static_assert(MaxPieceRecords == MakerMaxGridSize * MakerMaxGridSize);

// The maker's largest: the largest grid with turned pieces, the longest header texts a line edit
// takes with every byte escaped, and a far stored position on every piece.
QByteArray LargestMadeDocument()
{
    TPuzzleProperties properties;
    properties.rows = properties.cols = MakerMaxGridSize;
    properties.turned = true;
    properties.name = properties.author = properties.website = QByteArray(32767, '%');
    TRandomGenerator random(7);
    TPuzzleGame game = MakePuzzleGame(properties, random);
    for (TPiece &piece : game.pieces) {
        piece.turn = 3;
        piece.position = QPoint(-99999, -99999);
    }
    return TPuzzleDocument(game).StoredText();
}

QByteArray RefusalOf(const QByteArray &text)
{
    TKeyedNode document;
    try {
        LoadPuzzleDocument(document, text);
    } catch (const EKeyedNodeError &error) {
        EXPECT_EQ(document.ChildCount(), 0) << "refused after reading";
        return error.what();
    }
    return {};
}

} // namespace

TEST(PuzzleDocumentLimits, TheLargestMadeDocumentIsReadWhole)
{
    const QByteArray text = LargestMadeDocument();
    EXPECT_LT(text.size(), MaxDocumentBytes / 2) << "the size limit leaves no room";
    TKeyedNode document;
    LoadPuzzleDocument(document, text);
    EXPECT_EQ(document.FindChild(TurnedPiecesNode)->ChildCount(), MaxPieceRecords);
    EXPECT_EQ(document.SaveToText(), text);
}

TEST(PuzzleDocumentLimits, OneRecordOrByteTooManyIsRefusedWithItsCause)
{
    const auto withRecords = [](int count, const QByteArray &record) {
        return "<PUZZLE_DATA COLS=\"7\" ROWS=\"7\"><PIECES>" + record.repeated(count) +
               "</PIECES></PUZZLE_DATA>";
    };
    EXPECT_EQ(RefusalOf(withRecords(MaxPieceRecords, "<PIECE/>")), "");
    // Spelled in every way the reader reads the tag name.
    for (const QByteArray record : {"<PIECE/>", "< piece\t>x</PIECE>", "<Piece\x01 R=\"1\"/>"})
        EXPECT_EQ(RefusalOf(withRecords(MaxPieceRecords + 1, record)),
                  "The puzzle document holds more than 10000 piece records");
    EXPECT_EQ(RefusalOf(withRecords(MaxPieceRecords + 1, "<PIECES/>")), "");

    const QByteArray fits = withRecords(1, "<PIECE/>");
    const QByteArray padding(MaxDocumentBytes - fits.size(), ' ');
    EXPECT_EQ(RefusalOf(padding + fits), "");
    EXPECT_EQ(RefusalOf(' ' + padding + fits), "The puzzle document is larger than 10 MiB");
}

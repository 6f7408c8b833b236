// The puzzle document as the stored form of a game: what is read, what is written back, and
// that an unchanged game gives back every byte it was read from.
#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/container/PuzzleDocumentLimits.h"
#include "engine/jigsaw/PuzzleMaking.h"

#include <gtest/gtest.h>

namespace
{

QByteArray MadeText(bool turned)
{
    TPuzzleProperties properties;
    properties.cols = 4;
    properties.rows = 3;
    properties.name = "Tulips";
    properties.turned = turned;
    TRandomGenerator random(2026);
    return TPuzzleDocument(MakePuzzleGame(properties, random)).StoredText();
}

// Text as the program stores it.
QByteArray Stored(const QByteArray &text)
{
    TKeyedNode node;
    node.LoadFromText(text);
    return node.SaveToText();
}

// The stored forms the program writes: made upright and turned, then played (pieces placed,
// the background chosen, the tools window's place and the clock kept), and what a newer player
// or a hand may have written: unknown names and nodes, values spelled unusually or not at all.
QList<QByteArray> StoredForms()
{
    QList<QByteArray> forms{MadeText(false), MadeText(true)};
    for (const bool turned : {false, true}) {
        TPuzzleDocument played(MadeText(turned));
        played.Game().pieces[0].position = QPoint(300, 40);
        played.Game().pieces[5].position = QPoint(-20, 7);
        played.Game().pieces[1].turn = 2;
        played.Game().backgroundColour = 0x204060;
        played.Game().backgroundTexture = 3;
        played.Game().tools = {{true, 900}, {true, 10}, {true, 344}, {true, 335}};
        played.Game().playedSeconds = 75;
        played.Game().bestSeconds = 60;
        forms.append(played.Text());
    }
    forms.append(Stored("<PUZZLE_DATA PNAME=\"x\" PLAYSECS=\"75\" BESTSECS=\"60\" FUTURE=\"1\">"
                        "<PIECES SIZE=\"big\"><PIECE ROW=\"0\" COL=\"0\" SPIN=\"2\">note</PIECE>"
                        "<OTHER/><PIECE ROW=\"0\" COL=\"1\" PLEFT=\"+5\" PTOP=\"$10\"/></PIECES>"
                        "<LATER A=\"b\"></LATER></PUZZLE_DATA>"));
    forms.append(
        Stored("<PUZZLE_DATA COLS=\"abc\" ROWS=\"0\" BRDRS=\"n\" COLOR=\"#ff0000\" "
               "TEXTURE=\"x\" TFX=\"abc\" TFW=\"\" PLAYSECS=\"-7\" USE_PRM=\"y\">"
               "<PIECES><PIECE T=\"1\" R=\"x\" B=\"1\" PLEFT=\"abc\" PTOP=\"4\" TURN=\"7\"/>"
               "</PIECES></PUZZLE_DATA>"));
    return forms;
}

} // namespace

TEST(PuzzleDocumentCodec, EveryStoredFormComesBackByteForByte)
{
    for (const QByteArray &text : StoredForms()) {
        SCOPED_TRACE(text.left(200).constData());
        TPuzzleDocument document(text);
        const TPuzzleGame read = document.Game();
        EXPECT_EQ(document.Text(), text);
        EXPECT_EQ(document.Game(), read) << "keeping changes nothing of the game";
        // Read again, the text gives the same game.
        EXPECT_EQ(TPuzzleDocument(text).Game(), read);
    }
}

// Whatever the game becomes, the document read back holds that game, and what the game does not
// know stays.
TEST(PuzzleDocumentCodec, AChangedGameIsReadBackAsItWasKept)
{
    for (const QByteArray &text : StoredForms()) {
        SCOPED_TRACE(text.left(200).constData());
        TPuzzleDocument document(text);
        TPuzzleGame &game = document.Game();
        game.name = "Renamed";
        game.cols = 4;
        game.drawBorders = !game.drawBorders;
        game.useAlternativePicture = !game.useAlternativePicture;
        game.backgroundTexture.reset();
        game.tools.left = {true, -30};
        game.playedSeconds = 99;
        game.turnedPieces = !game.turnedPieces;
        for (TPiece &piece : game.pieces) {
            piece.position = piece.position ? std::nullopt : std::optional<QPoint>({12, 34});
            piece.turn = (piece.turn + 1) % 4;
            piece.edges.left = -piece.edges.left;
        }
        const QByteArray kept = document.Text();
        EXPECT_EQ(TPuzzleDocument(kept).Game(), game);
        for (const QByteArray unknown : {"FUTURE=\"1\"", "SPIN=\"2\"", "<LATER", "<OTHER/>"})
            EXPECT_EQ(kept.contains(unknown), text.contains(unknown)) << unknown.constData();
    }
}

TEST(PuzzleDocumentCodec, ValuesAreReadWithTheirFallbacks)
{
    const TPuzzleGame game = TPuzzleDocument(StoredForms().last()).Game();
    EXPECT_EQ(game.cols, 10);
    EXPECT_EQ(game.rows, 12);
    EXPECT_TRUE(game.drawBorders) << "borders unless exactly N";
    EXPECT_FALSE(game.useAlternativePicture) << "only exactly Y";
    EXPECT_EQ(game.backgroundColour, 0x0000FFu) << "red in the lowest byte";
    EXPECT_EQ(game.backgroundTexture, 0);
    EXPECT_EQ(game.tools.left, (TStoredNumber{true, std::nullopt}));
    EXPECT_EQ(game.tools.top, TStoredNumber{});
    EXPECT_EQ(game.tools.width, TStoredNumber{}) << "empty reads as absent";
    EXPECT_EQ(game.playedSeconds, 0);
    EXPECT_FALSE(game.bestSeconds);
    ASSERT_EQ(game.pieces.size(), 1u);
    const TPiece &piece = game.pieces[0];
    EXPECT_EQ(piece.edges, (TPieceEdges{1, 0, 0, 0})) << "edges after one that fails are flat";
    EXPECT_FALSE(piece.position) << "both values must convert";
    EXPECT_EQ(piece.turn, 0);
    EXPECT_EQ(piece.row, -1);

    const TPuzzleGame spelled = TPuzzleDocument(StoredForms()[4]).Game();
    ASSERT_EQ(spelled.pieces.size(), 2u) << "only PIECE records are pieces";
    EXPECT_EQ(spelled.pieces[1].position, QPoint(5, 16));
}

// Values a game gains are appended in the order a game keeps them: the time of a solve before
// the tools window's place stored when the game closes, the time of an unsolved game after it.
TEST(PuzzleDocumentCodec, NewValuesAreAppendedInTheOrderAGameKeepsThem)
{
    TPuzzleDocument solved(MadeText(false));
    solved.Game().playedSeconds = 20;
    solved.Game().bestSeconds = 20;
    solved.Keep();
    solved.Game().tools = {{true, 1}, {true, 2}, {true, 3}, {true, 4}};
    const QByteArray solvedText = solved.Text();
    EXPECT_LT(solvedText.indexOf("BESTSECS"), solvedText.indexOf("TFX"));

    TPuzzleDocument unsolved(MadeText(false));
    unsolved.Game().tools = {{true, 1}, {true, 2}, {true, 3}, {true, 4}};
    unsolved.Game().playedSeconds = 20;
    const QByteArray unsolvedText = unsolved.Text();
    EXPECT_LT(unsolvedText.indexOf("TFH"), unsolvedText.indexOf("PLAYSECS"));
    EXPECT_TRUE(unsolvedText.contains("TFX=\"1\" TFY=\"2\" TFW=\"3\" TFH=\"4\""));
}

TEST(PuzzleDocumentCodec, ADamagedDocumentIsRefusedWithItsCause)
{
    const QByteArray text = MadeText(false);
    try {
        TPuzzleDocument document(text.left(text.size() / 2));
        ADD_FAILURE() << "no refusal";
    } catch (const EKeyedNodeError &error) {
        EXPECT_GT(error.m_position, 1) << "where the text breaks";
        EXPECT_FALSE(QByteArray(error.what()).isEmpty());
    }
    EXPECT_THROW(TPuzzleDocument(QByteArray(MaxDocumentBytes + 1, ' ')), EKeyedNodeError);
    EXPECT_TRUE(TPuzzleDocument(QByteArray()).IsEmpty());
    TPuzzleDocument empty;
    EXPECT_TRUE(empty.Text().isEmpty()) << "nothing stored, nothing to store";
}

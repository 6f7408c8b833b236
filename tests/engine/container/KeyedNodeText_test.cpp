#include "engine/container/KeyedNode.h"
#include "engine/container/PuzzleSchema.h"

#include <gtest/gtest.h>
#include <memory>

namespace
{

using namespace PuzzleSchema;

TKeyedNode *NamedChild(TKeyedNode *parent, const QByteArray &name)
{
    auto *child = new TKeyedNode(parent);
    child->SetName(name);
    return child;
}

struct ParseFailure {
    QByteArray message;
    int position = 0;
};

ParseFailure FailureOf(const QByteArray &text)
{
    TKeyedNode node;
    try {
        node.LoadFromText(text);
    } catch (const EKeyedNodeError &error) {
        return {error.what(), error.m_position};
    }
    return {"no error", 0};
}

QByteArray Nested(int depth)
{
    return QByteArray("<N>").repeated(depth) + QByteArray("</N>").repeated(depth);
}

// A played 15 × 15 puzzle: every root key and every piece key in the order they are written.
std::unique_ptr<TKeyedNode> FullDocument()
{
    auto root = std::make_unique<TKeyedNode>();
    root->SetName(RootNode);
    root->SetAttr(KeyName, "Lake \"Bled\" <100% sure>");
    root->SetAttr(KeyAuthor, "Ana\tNovak\r\nLjubljana");
    root->SetAttr(KeyWebsite, "https://example.org/?a=1&b='2'");
    root->SetAttr(KeyCols, "15");
    root->SetAttr(KeyRows, "15");
    root->SetAttr(KeyBorders, FlagNo);
    root->SetAttr(KeyUseAlternative, FlagYes);
    root->SetAttr(KeyColor, "#3A6EA5");
    root->SetAttr(KeyTexture, "3");
    root->SetAttr(KeyToolsLeft, "1100");
    root->SetAttr(KeyToolsTop, "10");
    root->SetAttr(KeyToolsWidth, "160");
    root->SetAttr(KeyToolsHeight, "-420");
    TKeyedNode *pieces = NamedChild(root.get(), PiecesNode);
    const char *edges[] = {EdgeTab, EdgeHole, EdgeFlat};
    for (int row = 0; row < 15; ++row) {
        for (int col = 0; col < 15; ++col) {
            TKeyedNode *piece = NamedChild(pieces, PieceNode);
            piece->SetAttr(KeyRow, QByteArray::number(row));
            piece->SetAttr(KeyCol, QByteArray::number(col));
            piece->SetAttr(KeyRight, edges[(row + col) % 3]);
            piece->SetAttr(KeyBottom, edges[(row * col) % 3]);
            piece->SetAttr(KeyRandomOrder, QByteArray::number((row * 15 + col) * 7 % 225));
            piece->SetAttr(KeyTop, edges[(row + 2 * col) % 3]);
            piece->SetAttr(KeyLeft, edges[(2 * row + col) % 3]);
            if ((row + col) % 2 == 0) {
                piece->SetAttr(KeyPieceLeft, QByteArray::number(col * 53 - 20));
                piece->SetAttr(KeyPieceTop, QByteArray::number(row * 47));
            }
        }
    }
    return root;
}

} // namespace

TEST(KeyedNodeWriter, WritesTheDocumentExampleByteForByte)
{
    TKeyedNode root;
    root.SetName(RootNode);
    root.SetAttr(KeyName, "Puzzle");
    root.SetAttr(KeyCols, "7");
    TKeyedNode *piece = NamedChild(NamedChild(&root, PiecesNode), PieceNode);
    piece->SetAttr(KeyRow, "0");
    piece->SetAttr(KeyCol, "0");
    EXPECT_EQ(root.SaveToText(), "\r\n<PUZZLE_DATA PNAME=\"Puzzle\" COLS=\"7\">"
                                 "\r\n\t<PIECES>"
                                 "\r\n\t\t<PIECE ROW=\"0\" COL=\"0\"/>"
                                 "\r\n\t</PIECES>"
                                 "\r\n</PUZZLE_DATA>");
}

TEST(KeyedNodeWriter, EmptyNamesAndEmptyNodes)
{
    TKeyedNode root;
    EXPECT_EQ(root.SaveToText(), "") << "a root without a name";
    root.SetName("R");
    EXPECT_EQ(root.SaveToText(), "\r\n<R/>");
    TKeyedNode *unnamed = new TKeyedNode(&root);
    NamedChild(unnamed, "HIDDEN");
    EXPECT_EQ(root.SaveToText(), "\r\n<R>\r\n</R>") << "an unnamed child writes nothing at all";
}

TEST(KeyedNodeWriter, TextGoesBeforeChildrenAndClosesOnItsOwnLine)
{
    TKeyedNode root;
    root.LoadFromText("<R>  first <A/> second\r\nline <B/> third </R>");
    EXPECT_EQ(root.Text(), "firstsecond\r\nlinethird");
    EXPECT_EQ(root.SaveToText(), "\r\n<R>firstsecond\r\nlinethird\r\n\t<A/>\r\n\t<B/>\r\n</R>");
    TKeyedNode leaf;
    leaf.LoadFromText("<L>\r\n\t only text \t\r\n</L>");
    EXPECT_EQ(leaf.SaveToText(), "\r\n<L>only text\r\n</L>");
}

TEST(KeyedNodeEscapes, EncodesExactlyTheEscapedBytes)
{
    QByteArray everyByte;
    for (int b = 0; b < 256; ++b)
        everyByte += static_cast<char>(b);
    const QByteArray encoded = EncodeText(everyByte);
    EXPECT_EQ(encoded.left(39), "%00%01%02%03%04%05%06%07%08\t\n%0B%0C\r%0E");
    for (const char *kept : {"&", "'", "/", "=", "\x7F", "\x80", "\xFF", " "})
        EXPECT_TRUE(encoded.contains(kept)) << kept;
    for (const char *escaped : {"%22", "%25", "%3C", "%3E", "%1F"})
        EXPECT_TRUE(encoded.contains(escaped)) << escaped;
    EXPECT_FALSE(encoded.contains('"'));
    EXPECT_FALSE(encoded.contains('<'));
    EXPECT_EQ(DecodeText(encoded), everyByte);
}

TEST(KeyedNodeEscapes, DecodesOnlyUpperCaseHexAsHex)
{
    EXPECT_EQ(DecodeText("%41%42c"), "ABc");
    EXPECT_NE(DecodeText("%3c"), "<");
    EXPECT_EQ(DecodeText("%3c"), "\\") << "lower-case digits decode by the same arithmetic";
    EXPECT_EQ(DecodeText("%%41"), "T1") << "the two bytes after a % are consumed whatever they are";
}

TEST(KeyedNodeEscapes, PercentNearTheEndIsKeptAsItStands)
{
    EXPECT_EQ(DecodeText("%"), "%");
    EXPECT_EQ(DecodeText("ab%4"), "ab%4");
    EXPECT_EQ(DecodeText("%41%"), "A%");
    TKeyedNode node;
    node.LoadFromText("<A V=\"%4\" W=%>x%</A>");
    EXPECT_EQ(node.GetAttr("V"), "%4");
    EXPECT_EQ(node.GetAttr("W"), "%");
    EXPECT_EQ(node.Text(), "x%");
}

TEST(KeyedNodeRoundTrip, ValuesComeBackUnchanged)
{
    TKeyedNode root;
    root.SetName("R");
    const QByteArray values[] = {"say \"hi\" 100% <b>", "line\r\nbreak\tand tab", "  padded  ",
                                 "\x01\x1F\x7F\x80\xFF", "a&b='c'/d"};
    for (int i = 0; i < 5; ++i)
        root.SetAttr("K" + QByteArray::number(i), values[i]);
    const QByteArray text = root.SaveToText();
    EXPECT_TRUE(text.contains("say %22hi%22 100%25 %3Cb%3E"));
    EXPECT_TRUE(text.contains("line\r\nbreak\tand tab"));
    TKeyedNode back;
    back.LoadFromText(text);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(back.GetAttr("K" + QByteArray::number(i)), values[i]) << i;
}

TEST(KeyedNodeRoundTrip, FullPuzzleDocumentGivesTheSameBytes)
{
    const auto document = FullDocument();
    const QByteArray text = document->SaveToText();
    TKeyedNode loaded;
    loaded.LoadFromText(text);
    EXPECT_EQ(loaded.SaveToText(), text);

    const TKeyedNode *pieces = loaded.FindChild(PiecesNode);
    ASSERT_NE(pieces, nullptr);
    EXPECT_EQ(pieces->ChildCount(), 225);
    EXPECT_EQ(loaded.GetAttr(KeyName), document->GetAttr(KeyName));
    EXPECT_EQ(loaded.GetAttr(KeyAuthor), "Ana\tNovak\r\nLjubljana");
    EXPECT_EQ(loaded.AttrNames(), document->AttrNames());
    const TKeyedNode *last = pieces->Child(14 * 15 + 14);
    EXPECT_EQ(last->GetAttr(KeyRow), "14");
    EXPECT_EQ(last->GetAttr(KeyPieceLeft), "722");
    EXPECT_EQ(last->Indent(), "\r\n\t\t");
    EXPECT_EQ(pieces->Child(1)->GetAttr(KeyPieceLeft), "") << "a piece on the palette";
}

TEST(KeyedNodeReader, ReadsTheLooseFormsOfTheText)
{
    const QByteArray text = "junk before <piece row = \"1\" col=2 flag\r\n b=x K=\"1\" k=\"2\">"
                            "</PiEcE> <AFTER/> junk after";
    TKeyedNode node;
    node.LoadFromText(text);
    EXPECT_EQ(node.Name(), "PIECE");
    EXPECT_EQ(node.AttrNames(), (QList<QByteArray>{"ROW", "COL", "FLAG", "B", "K", "K"}));
    EXPECT_EQ(node.AttrValues(), (QList<QByteArray>{"1", "2", "", "x", "1", "2"}));
    EXPECT_EQ(node.GetAttr("k"), "1") << "duplicates from a text: the first one counts";
    EXPECT_EQ(node.ChildCount(), 0);
    EXPECT_EQ(node.ParsePos(), text.indexOf("</PiEcE>") + 8 + 1) << "just after the end tag";

    node.LoadFromText("<A />");
    EXPECT_EQ(node.SaveToText(), "\r\n<A/>");
}

TEST(KeyedNodeReader, NamesAreNotEscaped)
{
    TKeyedNode node;
    node.SetName("TWO WORDS");
    node.SetAttr("K=V", "1");
    TKeyedNode back;
    back.LoadFromText(node.SaveToText());
    EXPECT_EQ(back.Name(), "TWO");
    EXPECT_EQ(back.AttrNames(), (QList<QByteArray>{"WORDS", "K"}));
    EXPECT_EQ(back.AttrValues(), (QList<QByteArray>{"", "V=\"1\""}));
}

TEST(KeyedNodeReader, EmptyTextClearsBlankTextFails)
{
    TKeyedNode node;
    node.LoadFromText("<A K=\"1\"><B/></A>");
    node.LoadFromText("");
    EXPECT_TRUE(node.Name().isEmpty());
    EXPECT_EQ(node.ChildCount(), 0);
    EXPECT_TRUE(node.AttrNames().isEmpty());
    EXPECT_EQ(FailureOf(" \r\n\t ").message, "Syntax error");
}

TEST(KeyedNodeReader, AnErrorKeepsWhatWasReadBefore)
{
    TKeyedNode node;
    EXPECT_THROW(node.LoadFromText("<A X=\"1\"><B/>text<C>"), EKeyedNodeError);
    EXPECT_EQ(node.Name(), "A");
    EXPECT_EQ(node.GetAttr("X"), "1");
    EXPECT_EQ(node.Text(), "text");
    EXPECT_EQ(node.ChildCount(), 2);
}

TEST(KeyedNodeReader, ReportsEachFailureAtItsPosition)
{
    struct Case {
        const char *text;
        const char *message;
        int position;
    };
    const Case cases[] = {
        {"  abc", "Syntax error", 3},          // no "<" where an element begins
        {"   ", "Syntax error", 3},            // blanks only
        {"  <ABC", "Syntax error", 3},         // tag name runs to the end
        {"<A B", "Syntax error", 4},           // attribute name runs to the end
        {"<A B=\"xyz>", "Syntax error", 6},    // quoted value never closed
        {"<A B=12", "Syntax error", 6},        // bare value runs to the end
        {"<A/x>", "Syntax error", 4},          // start tag ends in "/x"
        {"<A B=\"1\"/ >", "Syntax error", 10}, // "/" not followed by ">"
        {"<A>  text", "Syntax error", 6},      // never closed
        {"<A>", "Syntax error", 4},            // never closed, nothing after
        {"<A><B>", "Syntax error", 7},         // inner element never closed
        {"<A><B></A>", "Unclosed tag: B", 7},  // wrong end tag
        {"<A></A x>", "Unclosed tag: A", 4},   // end tag not ending with ">"
        {"<A></A", "Unclosed tag: A", 4},      // end tag cut off
        {"<A B=\"1\" ", "Syntax error", 9},    // text ends inside the start tag
        {"<A B= ", "Syntax error", 6},         // ... after an "="
        {"<A B=\"1\"", "Syntax error", 9},     // ... right after a value
        {"<", "Syntax error", 1},
        {"< ", "Syntax error", 2},
    };
    for (const Case &c : cases) {
        const ParseFailure failure = FailureOf(c.text);
        EXPECT_EQ(failure.message, c.message) << c.text;
        EXPECT_EQ(failure.position, c.position) << c.text;
    }
}

TEST(KeyedNodeReader, AMessageQuotesOnlyTheStartOfALongName)
{
    const QByteArray name(1 << 20, 'N');
    const ParseFailure failure = FailureOf("<" + name + "></B>");
    EXPECT_EQ(failure.message, "Unclosed tag: " + QByteArray(64, 'N') + "...");
    EXPECT_EQ(failure.position, name.size() + 3);
}

TEST(KeyedNodeReader, NestingIsLimited)
{
    TKeyedNode node;
    node.LoadFromText(Nested(TKeyedNode::MaxNestingDepth));
    const TKeyedNode *deepest = &node;
    while (deepest->ChildCount() > 0)
        deepest = deepest->Child(0);
    EXPECT_EQ(deepest->Level(), TKeyedNode::MaxNestingDepth - 1);

    const ParseFailure tooDeep = FailureOf(Nested(TKeyedNode::MaxNestingDepth + 1));
    EXPECT_EQ(tooDeep.message, "Syntax error");
    EXPECT_EQ(tooDeep.position, 3 * TKeyedNode::MaxNestingDepth + 1) << "at the 257th start tag";

    const ParseFailure hostile = FailureOf(QByteArray("<a>").repeated(200000));
    EXPECT_EQ(hostile.position, 3 * TKeyedNode::MaxNestingDepth + 1);
}

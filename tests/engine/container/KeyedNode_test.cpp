#include "engine/container/KeyedNode.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace
{

std::unique_ptr<TKeyedNode> NamedRoot(const QByteArray &name)
{
    auto root = std::make_unique<TKeyedNode>();
    root->SetName(name);
    return root;
}

TKeyedNode *NamedChild(TKeyedNode *parent, const QByteArray &name)
{
    auto *child = new TKeyedNode(parent);
    child->SetName(name);
    return child;
}

QByteArray ChildNames(const TKeyedNode &node)
{
    QByteArray names;
    for (int i = 0; i < node.ChildCount(); ++i)
        names += node.Child(i)->Name() + ' ';
    return names.trimmed();
}

// Records what the parser asks and refuses some of it; children are of this class too.
class TRecordingNode : public TKeyedNode
{
public:
    using TKeyedNode::TKeyedNode;

    TKeyedNode *Create(TKeyedNode *parent) const override { return new TRecordingNode(parent); }

    QList<QByteArray> requestedTags;
    QList<QByteArray> loadedChildren;

protected:
    TKeyedNode *CreateChild(const QByteArray &tagName) override
    {
        requestedTags.append(tagName);
        return tagName == "SKIP" ? nullptr : TKeyedNode::CreateChild(tagName);
    }
    void ChildLoaded(TKeyedNode *child) override { loadedChildren.append(child->Name()); }
    bool AcceptText(const QByteArray &text) override { return !text.startsWith("DROP"); }
};

// An error hook that only takes note; the parser must still stop.
class TQuietNode : public TKeyedNode
{
public:
    QByteArray lastMessage;
    int lastPos = 0;

protected:
    void Error(const QByteArray &message, int pos) override
    {
        lastMessage = message;
        lastPos = pos;
    }
};

} // namespace

TEST(KeyedNodeAttributes, KeysAreUpperCasedAsciiOnly)
{
    TKeyedNode node;
    node.SetAttr("pname", "Lake");
    EXPECT_EQ(node.AttrNames(), QList<QByteArray>{"PNAME"});
    EXPECT_EQ(node.GetAttr("PnAmE"), "Lake");
    EXPECT_EQ(node.IndexOfKey("PNAME"), 0);
    EXPECT_EQ(node.IndexOfKey("pname"), -1) << "IndexOfKey matches exactly";

    node.SetAttr("\xC9T\xC9", "capital");
    node.SetAttr("\xE9t\xE9", "small");
    EXPECT_EQ(node.GetAttr("\xC9T\xC9"), "capital");
    EXPECT_EQ(node.GetAttr("\xE9T\xE9"), "small") << "accented letters are not case-folded";
    EXPECT_EQ(node.AttrNames().size(), 3);
}

TEST(KeyedNodeAttributes, EmptyValueRemovesAndReadsLikeAbsent)
{
    TKeyedNode node;
    node.SetAttr("A", "1");
    node.SetAttr("B", "2");
    node.SetAttr("a", "");
    EXPECT_EQ(node.AttrNames(), QList<QByteArray>{"B"});
    EXPECT_EQ(node.AttrValues(), QList<QByteArray>{"2"});
    EXPECT_TRUE(node.GetAttr("A").isEmpty());
    EXPECT_TRUE(node.GetAttr("NEVER").isEmpty());
    node.DeleteAttr("b");
    node.DeleteAttr("missing");
    EXPECT_TRUE(node.AttrNames().isEmpty());
    EXPECT_TRUE(node.AttrValues().isEmpty());
}

TEST(KeyedNodeAttributes, ReplacingKeepsPlaceNewGoesLast)
{
    auto root = NamedRoot("R");
    root->SetAttr("A", "1");
    root->SetAttr("B", "2");
    root->SetAttr("a", "3");
    root->SetAttr("C", "4");
    EXPECT_EQ(root->AttrNames(), (QList<QByteArray>{"A", "B", "C"}));
    EXPECT_EQ(root->AttrValues(), (QList<QByteArray>{"3", "2", "4"}));
    EXPECT_EQ(root->SaveToText(), "\r\n<R A=\"3\" B=\"2\" C=\"4\"/>");
}

TEST(KeyedNodeNames, SetNameTrimsControlBytesAndUpperCases)
{
    TKeyedNode node;
    node.SetName(" \x01\tpiece_1 \r\n");
    EXPECT_EQ(node.Name(), "PIECE_1");
    node.SetName("\xE9t\xE9");
    EXPECT_EQ(node.Name(), "\xE9T\xE9");
}

TEST(KeyedNodeNames, ClearErasesContentButKeepsPlace)
{
    auto root = NamedRoot("ROOT");
    TKeyedNode *middle = NamedChild(root.get(), "MIDDLE");
    NamedChild(middle, "LEAF");
    middle->SetAttr("K", "V");
    middle->AddText("words");
    middle->Clear();
    EXPECT_TRUE(middle->Name().isEmpty());
    EXPECT_TRUE(middle->Text().isEmpty());
    EXPECT_TRUE(middle->AttrNames().isEmpty());
    EXPECT_EQ(middle->ChildCount(), 0);
    EXPECT_EQ(middle->Parent(), root.get());
    EXPECT_EQ(middle->Level(), 1);
    EXPECT_EQ(middle->Indent(), "\r\n\t");
}

TEST(KeyedNodeChildren, LookupsByIndexAndName)
{
    auto root = NamedRoot("PIECES");
    TKeyedNode *first = NamedChild(root.get(), "PIECE");
    TKeyedNode *other = NamedChild(root.get(), "OTHER");
    TKeyedNode *second = NamedChild(root.get(), "PIECE");
    EXPECT_EQ(root->Child(-1), nullptr);
    EXPECT_EQ(root->Child(3), nullptr);
    EXPECT_EQ(root->Child(1), other);
    EXPECT_EQ(root->FindChild("piece"), first);
    EXPECT_EQ(root->FindChild("MISSING"), nullptr);
    EXPECT_EQ(root->FindChild(" PIECE"), nullptr) << "FindChild does not trim";
    EXPECT_EQ(root->FindNext(first), second) << "skips children of other names";
    EXPECT_EQ(root->FindNext(second), nullptr);
    EXPECT_EQ(root->FindNext(nullptr), nullptr);
    EXPECT_EQ(root->IndexOfChild(second), 2);

    TKeyedNode stranger;
    stranger.SetName("PIECE");
    EXPECT_EQ(root->IndexOfChild(&stranger), -1);
    EXPECT_EQ(root->FindNext(&stranger), first) << "a non-child starts the search at index 0";
}

TEST(KeyedNodeChildren, DestroyingAChildKeepsTheOthersInOrder)
{
    auto root = NamedRoot("R");
    NamedChild(root.get(), "A");
    TKeyedNode *b = NamedChild(root.get(), "B");
    NamedChild(b, "B1");
    NamedChild(root.get(), "C");
    delete b;
    EXPECT_EQ(root->ChildCount(), 2);
    EXPECT_EQ(ChildNames(*root), "A C");
}

TEST(KeyedNodeChildren, IndexesStayRightWhileChildrenComeAndGo)
{
    auto root = NamedRoot("R");
    std::vector<TKeyedNode *> kept;
    for (int i = 0; i < 60; ++i)
        kept.push_back(NamedChild(root.get(), i % 3 == 0 ? "OTHER" : "PIECE"));
    // Out of the middle, the front and the end, with lookups in between that move the hints.
    for (int victim : {30, 0, 57, 1, 12}) {
        EXPECT_EQ(root->IndexOfChild(kept.back()), static_cast<int>(kept.size()) - 1);
        delete kept[victim];
        kept.erase(kept.begin() + victim);
        NamedChild(root.get(), "PIECE");
        kept.push_back(root->Child(root->ChildCount() - 1));
    }
    for (int i = 0; i < static_cast<int>(kept.size()); ++i)
        EXPECT_EQ(root->IndexOfChild(kept[i]), i);
    int walked = 0;
    for (TKeyedNode *piece = root->FindChild("PIECE"); piece; piece = root->FindNext(piece))
        ++walked;
    EXPECT_EQ(walked, std::count_if(kept.begin(), kept.end(), [](const TKeyedNode *node) {
                  return node->Name() == "PIECE";
              }));
}

// Reading, walking and destroying cost time in proportion to the children: with a cost that
// grows with the square, this test would run for minutes.
TEST(KeyedNodeChildren, AMillionChildrenAreReadWalkedAndDestroyed)
{
    constexpr int Count = 1000000;
    QByteArray text = "<PIECES>";
    for (int i = 0; i < Count; ++i)
        text += i % 2 ? "<PIECE/>" : "<OTHER/>";
    text += "</PIECES>";
    auto root = std::make_unique<TKeyedNode>();
    root->LoadFromText(text);
    ASSERT_EQ(root->ChildCount(), Count);
    int walked = 0;
    for (TKeyedNode *piece = root->FindChild("PIECE"); piece; piece = root->FindNext(piece))
        ++walked;
    EXPECT_EQ(walked, Count / 2);
    EXPECT_EQ(root->IndexOfChild(root->Child(Count - 1)), Count - 1);
    root->Clear();
    EXPECT_EQ(root->ChildCount(), 0);
}

TEST(KeyedNodeChildren, MovingUpdatesLevelAndIndentOfTheSubtree)
{
    auto root = NamedRoot("R");
    TKeyedNode *a = NamedChild(root.get(), "A");
    TKeyedNode *deep = NamedChild(NamedChild(root.get(), "B"), "C");
    TKeyedNode *leaf = NamedChild(a, "LEAF");
    EXPECT_EQ(a->Level(), 1);

    a->SetParent(deep);
    EXPECT_EQ(a->Level(), 3);
    EXPECT_EQ(a->Indent(), "\r\n\t\t\t");
    EXPECT_EQ(leaf->Level(), 4);
    EXPECT_EQ(leaf->Indent(), "\r\n\t\t\t\t");
    EXPECT_EQ(ChildNames(*root), "B");
    EXPECT_EQ(deep->Child(0), a);

    a->SetParent(nullptr);
    const std::unique_ptr<TKeyedNode> detached(a); // the caller owns a detached node
    EXPECT_EQ(deep->ChildCount(), 0);
    EXPECT_EQ(a->Level(), 0);
    EXPECT_EQ(a->Indent(), "\r\n");
    EXPECT_EQ(leaf->Indent(), "\r\n\t");
}

TEST(KeyedNodeChildren, RefusesToMoveANodeBelowItself)
{
    auto root = NamedRoot("R");
    TKeyedNode *a = NamedChild(root.get(), "A");
    TKeyedNode *below = NamedChild(a, "BELOW");
    EXPECT_THROW(a->SetParent(below), std::invalid_argument);
    EXPECT_THROW(a->SetParent(a), std::invalid_argument);
    EXPECT_EQ(a->Parent(), root.get());
    EXPECT_EQ(below->Parent(), a);
    EXPECT_EQ(root->SaveToText(), "\r\n<R>\r\n\t<A>\r\n\t\t<BELOW/>\r\n\t</A>\r\n</R>");
}

TEST(KeyedNodeContent, AddTextTrimsDecodesAndConcatenates)
{
    TKeyedNode node;
    node.AddText("  one\r\n");
    node.AddText("\t%3Ctwo%3E ");
    node.AddText(" \r\n ");
    EXPECT_EQ(node.Text(), "one<two>");
}

TEST(KeyedNodeAssign, MakesAnIndependentDeepCopy)
{
    auto source = NamedRoot("PUZZLE_DATA");
    source->SetAttr("PNAME", "Lake");
    source->AddText("note");
    NamedChild(NamedChild(source.get(), "PIECES"), "PIECE")->SetAttr("ROW", "0");

    auto holder = NamedRoot("HOLDER");
    TKeyedNode *copy = NamedChild(holder.get(), "OLD");
    NamedChild(copy, "OLD_CHILD");
    copy->Assign(*source);

    EXPECT_EQ(copy->Parent(), holder.get());
    EXPECT_EQ(copy->Level(), 1);
    EXPECT_EQ(copy->Name(), "PUZZLE_DATA");
    EXPECT_EQ(copy->Text(), "note");
    EXPECT_EQ(ChildNames(*copy), "PIECES");
    EXPECT_EQ(copy->Child(0)->Child(0)->Indent(), "\r\n\t\t\t") << "indent of the new place";

    copy->SetAttr("PNAME", "Changed");
    copy->Child(0)->Child(0)->SetAttr("ROW", "9");
    NamedChild(copy, "EXTRA");
    EXPECT_EQ(source->GetAttr("PNAME"), "Lake");
    EXPECT_EQ(source->Child(0)->Child(0)->GetAttr("ROW"), "0");
    EXPECT_EQ(source->ChildCount(), 1);
}

TEST(KeyedNodeAssign, CopiesWithinOneTreeSafely)
{
    auto root = NamedRoot("R");
    root->SetAttr("K", "root");
    TKeyedNode *a = NamedChild(root.get(), "A");
    NamedChild(a, "A1");
    const QByteArray before = root->SaveToText();

    root->Assign(*root);
    EXPECT_EQ(root->SaveToText(), before);

    a->Assign(*root); // an ancestor: must not copy its own growing copy
    EXPECT_EQ(a->SaveToText(),
              "\r\n\t<R K=\"root\">\r\n\t\t<A>\r\n\t\t\t<A1/>\r\n\t\t</A>\r\n\t</R>");

    root->Assign(*root->Child(0)); // a descendant: must not be destroyed before it is read
    EXPECT_EQ(root->SaveToText(), "\r\n<R K=\"root\">\r\n\t<A>\r\n\t\t<A1/>\r\n\t</A>\r\n</R>");
}

TEST(KeyedNodeHooks, ParserAsksTheNodeForChildrenAndText)
{
    TRecordingNode root;
    root.LoadFromText("<R>keep<SKIP><X>lost</X></SKIP><K><K2/></K>DROP me</R>");
    EXPECT_EQ(ChildNames(root), "K");
    EXPECT_EQ(root.Text(), "keep");
    EXPECT_EQ(root.requestedTags, (QList<QByteArray>{"SKIP", "K"}));
    EXPECT_EQ(root.loadedChildren, QList<QByteArray>{"K"});
    auto *k = dynamic_cast<TRecordingNode *>(root.Child(0));
    ASSERT_NE(k, nullptr) << "the default CreateChild builds through the virtual constructor";
    EXPECT_EQ(k->loadedChildren, QList<QByteArray>{"K2"});
}

TEST(KeyedNodeHooks, SkippedElementsMustStillBeWellFormed)
{
    TRecordingNode root;
    try {
        root.LoadFromText("<R><SKIP><X></SKIP></R>");
        FAIL() << "expected an error";
    } catch (const EKeyedNodeError &error) {
        EXPECT_STREQ(error.what(), "Unclosed tag: X");
        EXPECT_EQ(error.m_position, 13);
    }
}

TEST(KeyedNodeHooks, NestingLimitAlsoHoldsInsideSkippedElements)
{
    const int skippedLevels = TKeyedNode::MaxNestingDepth - 1; // the 257th element is inside
    const QByteArray text = "<R><SKIP>" + QByteArray("<N>").repeated(skippedLevels);
    TRecordingNode root;
    try {
        root.LoadFromText(text);
        FAIL() << "expected an error";
    } catch (const EKeyedNodeError &error) {
        EXPECT_STREQ(error.what(), "Syntax error");
        EXPECT_EQ(error.m_position, text.size() - 2);
    }
}

TEST(KeyedNodeHooks, AssignBuildsChildrenOfTheSourceChildrensClass)
{
    TRecordingNode source;
    source.SetName("R");
    (new TRecordingNode(&source))->SetName("A");
    NamedChild(source.Child(0), "PLAIN");

    TKeyedNode copy;
    copy.Assign(source);
    EXPECT_NE(dynamic_cast<TRecordingNode *>(copy.Child(0)), nullptr);
    EXPECT_EQ(dynamic_cast<TRecordingNode *>(copy.Child(0)->Child(0)), nullptr);
    EXPECT_EQ(copy.Child(0)->Child(0)->Name(), "PLAIN");
}

TEST(KeyedNodeHooks, AnErrorHookThatReturnsStillStopsTheParse)
{
    TQuietNode node;
    try {
        node.LoadFromText("  <A");
        FAIL() << "expected an error";
    } catch (const EKeyedNodeError &error) {
        EXPECT_EQ(error.m_position, 3);
    }
    EXPECT_EQ(node.lastMessage, "Syntax error");
    EXPECT_EQ(node.lastPos, 3);
}

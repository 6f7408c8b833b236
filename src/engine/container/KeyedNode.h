#pragma once
// The program's one data container: a tree of named nodes whose values are all text, and its
// tag-based text form. A puzzle document is one such tree.
//
// Ownership: a node with a parent is owned by that parent and destroyed with it; deleting it
// earlier takes it out of its parent's list. A node without a parent belongs to whoever made it
// (typically a std::unique_ptr). SetParent moves ownership: to the new parent, or back to the
// caller when the new parent is null.

#include <QByteArray>
#include <QList>
#include <memory>
#include <stdexcept>
#include <vector>

// A failure of the container's text form. Position is the 1-based byte position in the parsed
// text at which the error was found.
class EKeyedNodeError : public std::runtime_error
{
public:
    EKeyedNodeError(const QByteArray &message, int position);

    int m_position;
};

class TKeyedNode
{
public:
    // Reading refuses deeper nesting ("Syntax error" at the start tag that goes too deep), so
    // hostile text cannot exhaust the stack.
    static constexpr int MaxNestingDepth = 256;

    explicit TKeyedNode(TKeyedNode *parent = nullptr);
    virtual ~TKeyedNode();

    TKeyedNode(const TKeyedNode &) = delete;
    TKeyedNode &operator=(const TKeyedNode &) = delete;

    // Virtual constructor: a new empty node of this node's own class, attached to parent (owned
    // by it); with a null parent the caller owns the result.
    virtual TKeyedNode *Create(TKeyedNode *parent) const;

    // Destroys every child and empties name, text and attributes; parent, indent and level stay.
    virtual void Clear();
    // Throws std::invalid_argument when newParent is this node or lies below it.
    virtual void SetParent(TKeyedNode *newParent);
    // Stores the name with blanks (bytes 0 to 32) cut off both ends and ASCII letters upper-cased.
    void SetName(const QByteArray &name);

    const QByteArray &Name() const { return m_name; }
    const QByteArray &Text() const { return m_text; }
    // Written before each of this node's tags: CR LF, then one TAB per level.
    const QByteArray &Indent() const { return m_indent; }
    TKeyedNode *Parent() const { return m_parent; }
    int Level() const { return m_level; }
    int ParsePos() const { return m_parsePos; }
    const QList<QByteArray> &AttrNames() const { return m_attrNames; }
    const QList<QByteArray> &AttrValues() const { return m_attrValues; }

    int ChildCount() const;
    // Null when index is out of range.
    TKeyedNode *Child(int index) const;
    // First child whose name equals the ASCII upper case of name; null if none.
    TKeyedNode *FindChild(const QByteArray &name) const;
    // The next child after current with current's name; null at the end or when current is null.
    TKeyedNode *FindNext(const TKeyedNode *current) const;
    // -1 when node is not a child of this node.
    int IndexOfChild(const TKeyedNode *node) const;

    // An empty value removes the attribute: absent and empty read alike.
    void SetAttr(const QByteArray &key, const QByteArray &value);
    QByteArray GetAttr(const QByteArray &key) const;
    void DeleteAttr(const QByteArray &key);
    // Exact match of an already upper-case key; -1 if none.
    int IndexOfKey(const QByteArray &key) const;

    // Trims blanks, decodes the percent escapes and appends the result to Text when it is not
    // empty and AcceptText agrees.
    void AddText(const QByteArray &text);

    // Deep copy of name, text, attributes and children; every copied child is built through the
    // source child's own Create. Parent, indent and level of this node stay. Copying from a node
    // of the same tree (this node, an ancestor or a descendant) is safe.
    virtual void Assign(const TKeyedNode &source);

    // Replaces the whole content with the first element of text; empty text leaves the node
    // cleared. Throws EKeyedNodeError; on a failure the node keeps what was read up to the error.
    // Text that 32-bit positions cannot address (about 2 GiB) is refused as a syntax error.
    virtual void LoadFromText(const QByteArray &text);
    // The text form of this node and its subtree; empty when the node has no name.
    virtual QByteArray SaveToText() const;
    // Reads one element starting at the 1-based position pos and leaves pos after it.
    virtual void ParseElement(const QByteArray &text, int &pos);

protected:
    // The node that reads a child element with this tag name (upper case), already attached to
    // this node; null skips the element.
    virtual TKeyedNode *CreateChild(const QByteArray &tagName);
    // Called after a child from CreateChild has been read.
    virtual void ChildLoaded(TKeyedNode *child);
    // False drops a decoded piece of text instead of appending it to Text.
    virtual bool AcceptText(const QByteArray &text);
    // Raises EKeyedNodeError; an override may raise something else. If it returns, the parser
    // raises EKeyedNodeError anyway, since it cannot go on.
    virtual void Error(const QByteArray &message, int pos);
    [[noreturn]] void SyntaxError(int pos);

private:
    void AttachTo(TKeyedNode *newParent);
    std::unique_ptr<TKeyedNode> TakeChild(TKeyedNode *child);
    void DestroyChildren();
    void UpdateDepth();
    bool IsInSubtreeOf(const TKeyedNode *node) const;
    void CopyFrom(const TKeyedNode &source);
    void WriteTo(QByteArray &out) const;

    [[noreturn]] void Fail(const QByteArray &message, int pos);
    QByteArray ReadTagName(const QByteArray &text, int &pos);
    bool ParseAttribute(const QByteArray &text, int &pos, const TKeyedNode *previous);
    const TKeyedNode *PreviousSibling() const;
    QByteArray ReadValue(const QByteArray &text, int &pos);
    bool ReadStartTagEnd(const QByteArray &text, int &pos);
    bool ParseContent(const QByteArray &text, int &pos);
    void ParseChild(const QByteArray &text, int &pos);
    void ParseEndTag(const QByteArray &text, int &pos);

    QByteArray m_name;
    QByteArray m_text;
    QByteArray m_indent;
    TKeyedNode *m_parent = nullptr;
    QList<QByteArray> m_attrNames;
    QList<QByteArray> m_attrValues;
    std::vector<std::unique_ptr<TKeyedNode>> m_children;
    int m_parsePos = 0;
    int m_level = 0;
    // This node's index in its parent's list when last seen there; never below the real one.
    mutable int m_indexHint = 0;
    // Nesting depth of the element being read, 1 for the element LoadFromText starts with.
    int m_nestingDepth = 1;
};

// Percent escape of attribute values and text: control bytes other than TAB, LF and CR, and
// the bytes " % < > become "%" and two upper-case hexadecimal digits.
QByteArray EncodeText(const QByteArray &text);
// How many start tags named `name` (upper case) the text holds, counted as the reader reads tag
// names and in time linear in the text. A tag inside a quoted value counts too, so the count is
// never below the number of such elements a reading makes.
qsizetype CountStartTags(const QByteArray &text, const QByteArray &name);
// The inverse of EncodeText. A "%" with fewer than two bytes after it is kept as it stands.
QByteArray DecodeText(const QByteArray &text);

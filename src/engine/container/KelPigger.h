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
class EKelPiggerError : public std::runtime_error
{
public:
    EKelPiggerError(const QByteArray &message, int position);

    int Position;
};

class TKelPigger
{
public:
    // Reading refuses deeper nesting ("Syntax error" at the start tag that goes too deep), so
    // hostile text cannot exhaust the stack.
    static constexpr int MaxNestingDepth = 256;

    explicit TKelPigger(TKelPigger *parent = nullptr);
    virtual ~TKelPigger();

    TKelPigger(const TKelPigger &) = delete;
    TKelPigger &operator=(const TKelPigger &) = delete;

    // Virtual constructor: a new empty node of this node's own class, attached to parent (owned
    // by it); with a null parent the caller owns the result.
    virtual TKelPigger *Create(TKelPigger *parent) const;

    // Destroys every child and empties name, text and attributes; parent, indent and level stay.
    virtual void Clear();
    // Throws std::invalid_argument when newParent is this node or lies below it.
    virtual void SetParent(TKelPigger *newParent);
    // Stores the name with blanks (bytes 0 to 32) cut off both ends and ASCII letters upper-cased.
    void SetName(const QByteArray &name);

    const QByteArray &Name() const { return m_Name; }
    const QByteArray &Text() const { return m_Text; }
    // Written before each of this node's tags: CR LF, then one TAB per level.
    const QByteArray &Indent() const { return m_Indent; }
    TKelPigger *Parent() const { return m_Parent; }
    int Level() const { return m_Level; }
    int ParsePos() const { return m_ParsePos; }
    const QList<QByteArray> &AttrNames() const { return m_AttrNames; }
    const QList<QByteArray> &AttrValues() const { return m_AttrValues; }

    int ChildCount() const;
    // Null when index is out of range.
    TKelPigger *Child(int index) const;
    // First child whose name equals the ASCII upper case of name; null if none.
    TKelPigger *FindChild(const QByteArray &name) const;
    // The next child after current with current's name; null at the end or when current is null.
    TKelPigger *FindNext(const TKelPigger *current) const;
    // -1 when node is not a child of this node.
    int IndexOfChild(const TKelPigger *node) const;

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
    virtual void Assign(const TKelPigger &source);

    // Replaces the whole content with the first element of text; empty text leaves the node
    // cleared. Throws EKelPiggerError; on a failure the node keeps what was read up to the error.
    // Text that 32-bit positions cannot address (about 2 GiB) is refused as a syntax error.
    virtual void LoadFromText(const QByteArray &text);
    // The text form of this node and its subtree; empty when the node has no name.
    virtual QByteArray SaveToText() const;
    // Reads one element starting at the 1-based position pos and leaves pos after it.
    virtual void ParseElement(const QByteArray &text, int &pos);

protected:
    // The node that reads a child element with this tag name (upper case), already attached to
    // this node; null skips the element.
    virtual TKelPigger *CreateChild(const QByteArray &tagName);
    // Called after a child from CreateChild has been read.
    virtual void ChildLoaded(TKelPigger *child);
    // False drops a decoded piece of text instead of appending it to Text.
    virtual bool AcceptText(const QByteArray &text);
    // Raises EKelPiggerError; an override may raise something else. If it returns, the parser
    // raises EKelPiggerError anyway, since it cannot go on.
    virtual void Error(const QByteArray &message, int pos);
    [[noreturn]] void SyntaxError(int pos);

private:
    void AttachTo(TKelPigger *newParent);
    std::unique_ptr<TKelPigger> TakeChild(TKelPigger *child);
    void DestroyChildren();
    void UpdateDepth();
    bool IsInSubtreeOf(const TKelPigger *node) const;
    void CopyFrom(const TKelPigger &source);
    void WriteTo(QByteArray &out) const;

    [[noreturn]] void Fail(const QByteArray &message, int pos);
    QByteArray ReadTagName(const QByteArray &text, int &pos);
    bool ParseAttribute(const QByteArray &text, int &pos);
    QByteArray ReadValue(const QByteArray &text, int &pos);
    bool ReadStartTagEnd(const QByteArray &text, int &pos);
    bool ParseContent(const QByteArray &text, int &pos);
    void ParseChild(const QByteArray &text, int &pos);
    void ParseEndTag(const QByteArray &text, int &pos);

    QByteArray m_Name;
    QByteArray m_Text;
    QByteArray m_Indent;
    TKelPigger *m_Parent = nullptr;
    QList<QByteArray> m_AttrNames;
    QList<QByteArray> m_AttrValues;
    std::vector<std::unique_ptr<TKelPigger>> m_Children;
    int m_ParsePos = 0;
    int m_Level = 0;
    // This node's index in its parent's list when last seen there; never below the real one.
    mutable int m_IndexHint = 0;
    // Nesting depth of the element being read, 1 for the element LoadFromText starts with.
    int m_NestingDepth = 1;
};

// Percent escape of attribute values and text: control bytes other than TAB, LF and CR, and
// the bytes " % < > become "%" and two upper-case hexadecimal digits.
QByteArray EncodeText(const QByteArray &text);
// The inverse of EncodeText. A "%" with fewer than two bytes after it is kept as it stands.
QByteArray DecodeText(const QByteArray &text);

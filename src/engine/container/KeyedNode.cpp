// The container tree: structure, ownership, attributes, content and copying.

#include "engine/container/KeyedNode.h"

#include "engine/container/KeyedNodeBytes.h"

#include <algorithm>

using KeyedNodeBytes::AsciiUpper;
using KeyedNodeBytes::NormalizedName;
using KeyedNodeBytes::TrimBlanks;

namespace
{

// A literal rather than a QByteArray object, so nodes may be made during static initialisation.
constexpr char RootIndent[] = "\r\n";

} // namespace

// ---- structure ----------------------------------------------------------------------------

TKeyedNode::TKeyedNode(TKeyedNode *parent) : m_indent(RootIndent)
{
    if (parent)
        AttachTo(parent);
}

TKeyedNode::~TKeyedNode()
{
    // This node is being destroyed already: the parent only lets go of it.
    if (m_parent)
        m_parent->TakeChild(this).release();
    DestroyChildren();
}

TKeyedNode *TKeyedNode::Create(TKeyedNode *parent) const
{
    return new TKeyedNode(parent);
}

void TKeyedNode::Clear()
{
    DestroyChildren();
    m_name.clear();
    m_text.clear();
    m_attrNames.clear();
    m_attrValues.clear();
}

void TKeyedNode::SetParent(TKeyedNode *newParent)
{
    if (newParent == m_parent)
        return;
    if (newParent && newParent->IsInSubtreeOf(this))
        throw std::invalid_argument("TKeyedNode::SetParent: a node cannot move below itself");
    // Ownership passes to the new parent, or to the caller when there is none.
    if (m_parent)
        m_parent->TakeChild(this).release();
    if (newParent)
        AttachTo(newParent);
    else
        UpdateDepth();
}

void TKeyedNode::SetName(const QByteArray &name)
{
    m_name = NormalizedName(name);
}

void TKeyedNode::AttachTo(TKeyedNode *newParent)
{
    m_indexHint = newParent->ChildCount();
    newParent->m_children.emplace_back(this);
    m_parent = newParent;
    UpdateDepth();
}

std::unique_ptr<TKeyedNode> TKeyedNode::TakeChild(TKeyedNode *child)
{
    const int index = IndexOfChild(child);
    if (index < 0)
        return nullptr;
    std::unique_ptr<TKeyedNode> owned = std::move(m_children[index]);
    m_children.erase(m_children.begin() + index);
    owned->m_parent = nullptr;
    return owned;
}

void TKeyedNode::DestroyChildren()
{
    // The whole list is let go at once, first child first: taking the children out one by one
    // would shift the rest of the list each time.
    std::vector<std::unique_ptr<TKeyedNode>> doomed = std::move(m_children);
    m_children.clear();
    for (auto &child : doomed) {
        child->m_parent = nullptr;
        child.reset();
    }
}

void TKeyedNode::UpdateDepth()
{
    m_level = m_parent ? m_parent->m_level + 1 : 0;
    m_indent = m_parent ? m_parent->m_indent + '\t' : QByteArray(RootIndent);
    for (const auto &child : m_children)
        child->UpdateDepth();
}

bool TKeyedNode::IsInSubtreeOf(const TKeyedNode *node) const
{
    for (const TKeyedNode *ancestor = this; ancestor; ancestor = ancestor->m_parent) {
        if (ancestor == node)
            return true;
    }
    return false;
}

int TKeyedNode::ChildCount() const
{
    return static_cast<int>(m_children.size());
}

TKeyedNode *TKeyedNode::Child(int index) const
{
    return index >= 0 && index < ChildCount() ? m_children[index].get() : nullptr;
}

TKeyedNode *TKeyedNode::FindChild(const QByteArray &name) const
{
    const QByteArray wanted = AsciiUpper(name);
    for (const auto &child : m_children) {
        if (child->m_name == wanted)
            return child.get();
    }
    return nullptr;
}

TKeyedNode *TKeyedNode::FindNext(const TKeyedNode *current) const
{
    if (!current)
        return nullptr;
    for (int i = IndexOfChild(current) + 1; i < ChildCount(); ++i) {
        if (m_children[i]->m_name == current->m_name)
            return m_children[i].get();
    }
    return nullptr;
}

int TKeyedNode::IndexOfChild(const TKeyedNode *node) const
{
    if (node == nullptr || node->m_parent != this)
        return -1;
    // Children are only appended or taken out, so a child's index never grows: it lies at or
    // below its hint, and walking the children in order finds each one at once.
    for (int i = std::min(node->m_indexHint, ChildCount() - 1); i >= 0; --i) {
        if (m_children[i].get() == node) {
            node->m_indexHint = i;
            return i;
        }
    }
    return -1;
}

// ---- attributes and content ---------------------------------------------------------------

void TKeyedNode::SetAttr(const QByteArray &key, const QByteArray &value)
{
    if (value.isEmpty()) {
        DeleteAttr(key);
        return;
    }
    const QByteArray name = AsciiUpper(key);
    const int index = IndexOfKey(name);
    if (index >= 0) {
        m_attrValues[index] = value;
    } else {
        m_attrNames.append(name);
        m_attrValues.append(value);
    }
}

QByteArray TKeyedNode::GetAttr(const QByteArray &key) const
{
    const int index = IndexOfKey(AsciiUpper(key));
    return index >= 0 ? m_attrValues[index] : QByteArray();
}

void TKeyedNode::DeleteAttr(const QByteArray &key)
{
    const int index = IndexOfKey(AsciiUpper(key));
    if (index < 0)
        return;
    m_attrNames.removeAt(index);
    m_attrValues.removeAt(index);
}

int TKeyedNode::IndexOfKey(const QByteArray &key) const
{
    return static_cast<int>(m_attrNames.indexOf(key));
}

void TKeyedNode::AddText(const QByteArray &text)
{
    const QByteArray decoded = DecodeText(TrimBlanks(text));
    if (!decoded.isEmpty() && AcceptText(decoded))
        m_text += decoded;
}

// ---- copy ---------------------------------------------------------------------------------

void TKeyedNode::Assign(const TKeyedNode &source)
{
    if (&source == this)
        return;
    // Clearing this node would destroy a descendant source, and copying an ancestor into this
    // node would copy the copy without end: such a source is copied from a detached snapshot.
    if (IsInSubtreeOf(&source) || source.IsInSubtreeOf(this)) {
        const std::unique_ptr<TKeyedNode> snapshot(source.Create(nullptr));
        snapshot->Assign(source);
        CopyFrom(*snapshot);
        return;
    }
    CopyFrom(source);
}

void TKeyedNode::CopyFrom(const TKeyedNode &source)
{
    Clear();
    m_name = source.m_name;
    m_text = source.m_text;
    m_attrNames = source.m_attrNames;
    m_attrValues = source.m_attrValues;
    for (const auto &sourceChild : source.m_children)
        sourceChild->Create(this)->Assign(*sourceChild);
}

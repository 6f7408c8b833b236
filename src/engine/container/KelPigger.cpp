// The container tree: structure, ownership, attributes, content and copying.

#include "engine/container/KelPigger.h"

#include "engine/container/KelPiggerBytes.h"

#include <algorithm>

using KelPiggerBytes::AsciiUpper;
using KelPiggerBytes::NormalizedName;
using KelPiggerBytes::TrimBlanks;

namespace
{

// A literal rather than a QByteArray object, so nodes may be made during static initialisation.
constexpr char RootIndent[] = "\r\n";

} // namespace

// ---- structure ----------------------------------------------------------------------------

TKelPigger::TKelPigger(TKelPigger *parent) : m_Indent(RootIndent)
{
    if (parent)
        AttachTo(parent);
}

TKelPigger::~TKelPigger()
{
    // This node is being destroyed already: the parent only lets go of it.
    if (m_Parent)
        m_Parent->TakeChild(this).release();
    DestroyChildren();
}

TKelPigger *TKelPigger::Create(TKelPigger *parent) const
{
    return new TKelPigger(parent);
}

void TKelPigger::Clear()
{
    DestroyChildren();
    m_Name.clear();
    m_Text.clear();
    m_AttrNames.clear();
    m_AttrValues.clear();
}

void TKelPigger::SetParent(TKelPigger *newParent)
{
    if (newParent == m_Parent)
        return;
    if (newParent && newParent->IsInSubtreeOf(this))
        throw std::invalid_argument("TKelPigger::SetParent: a node cannot move below itself");
    // Ownership passes to the new parent, or to the caller when there is none.
    if (m_Parent)
        m_Parent->TakeChild(this).release();
    if (newParent)
        AttachTo(newParent);
    else
        UpdateDepth();
}

void TKelPigger::SetName(const QByteArray &name)
{
    m_Name = NormalizedName(name);
}

void TKelPigger::AttachTo(TKelPigger *newParent)
{
    m_IndexHint = newParent->ChildCount();
    newParent->m_Children.emplace_back(this);
    m_Parent = newParent;
    UpdateDepth();
}

std::unique_ptr<TKelPigger> TKelPigger::TakeChild(TKelPigger *child)
{
    const int index = IndexOfChild(child);
    if (index < 0)
        return nullptr;
    std::unique_ptr<TKelPigger> owned = std::move(m_Children[index]);
    m_Children.erase(m_Children.begin() + index);
    owned->m_Parent = nullptr;
    return owned;
}

void TKelPigger::DestroyChildren()
{
    // The whole list is let go at once, first child first: taking the children out one by one
    // would shift the rest of the list each time.
    std::vector<std::unique_ptr<TKelPigger>> doomed = std::move(m_Children);
    m_Children.clear();
    for (auto &child : doomed) {
        child->m_Parent = nullptr;
        child.reset();
    }
}

void TKelPigger::UpdateDepth()
{
    m_Level = m_Parent ? m_Parent->m_Level + 1 : 0;
    m_Indent = m_Parent ? m_Parent->m_Indent + '\t' : QByteArray(RootIndent);
    for (const auto &child : m_Children)
        child->UpdateDepth();
}

bool TKelPigger::IsInSubtreeOf(const TKelPigger *node) const
{
    for (const TKelPigger *ancestor = this; ancestor; ancestor = ancestor->m_Parent) {
        if (ancestor == node)
            return true;
    }
    return false;
}

int TKelPigger::ChildCount() const
{
    return static_cast<int>(m_Children.size());
}

TKelPigger *TKelPigger::Child(int index) const
{
    return index >= 0 && index < ChildCount() ? m_Children[index].get() : nullptr;
}

TKelPigger *TKelPigger::FindChild(const QByteArray &name) const
{
    const QByteArray wanted = AsciiUpper(name);
    for (const auto &child : m_Children) {
        if (child->m_Name == wanted)
            return child.get();
    }
    return nullptr;
}

TKelPigger *TKelPigger::FindNext(const TKelPigger *current) const
{
    if (!current)
        return nullptr;
    for (int i = IndexOfChild(current) + 1; i < ChildCount(); ++i) {
        if (m_Children[i]->m_Name == current->m_Name)
            return m_Children[i].get();
    }
    return nullptr;
}

int TKelPigger::IndexOfChild(const TKelPigger *node) const
{
    if (node == nullptr || node->m_Parent != this)
        return -1;
    // Children are only appended or taken out, so a child's index never grows: it lies at or
    // below its hint, and walking the children in order finds each one at once.
    for (int i = std::min(node->m_IndexHint, ChildCount() - 1); i >= 0; --i) {
        if (m_Children[i].get() == node) {
            node->m_IndexHint = i;
            return i;
        }
    }
    return -1;
}

// ---- attributes and content ---------------------------------------------------------------

void TKelPigger::SetAttr(const QByteArray &key, const QByteArray &value)
{
    if (value.isEmpty()) {
        DeleteAttr(key);
        return;
    }
    const QByteArray name = AsciiUpper(key);
    const int index = IndexOfKey(name);
    if (index >= 0) {
        m_AttrValues[index] = value;
    } else {
        m_AttrNames.append(name);
        m_AttrValues.append(value);
    }
}

QByteArray TKelPigger::GetAttr(const QByteArray &key) const
{
    const int index = IndexOfKey(AsciiUpper(key));
    return index >= 0 ? m_AttrValues[index] : QByteArray();
}

void TKelPigger::DeleteAttr(const QByteArray &key)
{
    const int index = IndexOfKey(AsciiUpper(key));
    if (index < 0)
        return;
    m_AttrNames.removeAt(index);
    m_AttrValues.removeAt(index);
}

int TKelPigger::IndexOfKey(const QByteArray &key) const
{
    return static_cast<int>(m_AttrNames.indexOf(key));
}

void TKelPigger::AddText(const QByteArray &text)
{
    const QByteArray decoded = DecodeText(TrimBlanks(text));
    if (!decoded.isEmpty() && AcceptText(decoded))
        m_Text += decoded;
}

// ---- copy ---------------------------------------------------------------------------------

void TKelPigger::Assign(const TKelPigger &source)
{
    if (&source == this)
        return;
    // Clearing this node would destroy a descendant source, and copying an ancestor into this
    // node would copy the copy without end: such a source is copied from a detached snapshot.
    if (IsInSubtreeOf(&source) || source.IsInSubtreeOf(this)) {
        const std::unique_ptr<TKelPigger> snapshot(source.Create(nullptr));
        snapshot->Assign(source);
        CopyFrom(*snapshot);
        return;
    }
    CopyFrom(source);
}

void TKelPigger::CopyFrom(const TKelPigger &source)
{
    Clear();
    m_Name = source.m_Name;
    m_Text = source.m_Text;
    m_AttrNames = source.m_AttrNames;
    m_AttrValues = source.m_AttrValues;
    for (const auto &sourceChild : source.m_Children)
        sourceChild->Create(this)->Assign(*sourceChild);
}

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

TKelPigger::TKelPigger(TKelPigger *parent) : indent_(RootIndent)
{
    if (parent)
        AttachTo(parent);
}

TKelPigger::~TKelPigger()
{
    // This node is being destroyed already: the parent only lets go of it.
    if (parent_)
        parent_->TakeChild(this).release();
    DestroyChildren();
}

TKelPigger *TKelPigger::Create(TKelPigger *parent) const
{
    return new TKelPigger(parent);
}

void TKelPigger::Clear()
{
    DestroyChildren();
    name_.clear();
    text_.clear();
    attrNames_.clear();
    attrValues_.clear();
}

void TKelPigger::SetParent(TKelPigger *newParent)
{
    if (newParent == parent_)
        return;
    if (newParent && newParent->IsInSubtreeOf(this))
        throw std::invalid_argument("TKelPigger::SetParent: a node cannot move below itself");
    // Ownership passes to the new parent, or to the caller when there is none.
    if (parent_)
        parent_->TakeChild(this).release();
    if (newParent)
        AttachTo(newParent);
    else
        UpdateDepth();
}

void TKelPigger::SetName(const QByteArray &name)
{
    name_ = NormalizedName(name);
}

void TKelPigger::AttachTo(TKelPigger *newParent)
{
    indexHint_ = newParent->ChildCount();
    newParent->children_.emplace_back(this);
    parent_ = newParent;
    UpdateDepth();
}

std::unique_ptr<TKelPigger> TKelPigger::TakeChild(TKelPigger *child)
{
    const int index = IndexOfChild(child);
    if (index < 0)
        return nullptr;
    std::unique_ptr<TKelPigger> owned = std::move(children_[index]);
    children_.erase(children_.begin() + index);
    owned->parent_ = nullptr;
    return owned;
}

void TKelPigger::DestroyChildren()
{
    // The whole list is let go at once, first child first: taking the children out one by one
    // would shift the rest of the list each time.
    std::vector<std::unique_ptr<TKelPigger>> doomed = std::move(children_);
    children_.clear();
    for (auto &child : doomed) {
        child->parent_ = nullptr;
        child.reset();
    }
}

void TKelPigger::UpdateDepth()
{
    level_ = parent_ ? parent_->level_ + 1 : 0;
    indent_ = parent_ ? parent_->indent_ + '\t' : QByteArray(RootIndent);
    for (const auto &child : children_)
        child->UpdateDepth();
}

bool TKelPigger::IsInSubtreeOf(const TKelPigger *node) const
{
    for (const TKelPigger *ancestor = this; ancestor; ancestor = ancestor->parent_) {
        if (ancestor == node)
            return true;
    }
    return false;
}

int TKelPigger::ChildCount() const
{
    return static_cast<int>(children_.size());
}

TKelPigger *TKelPigger::Child(int index) const
{
    return index >= 0 && index < ChildCount() ? children_[index].get() : nullptr;
}

TKelPigger *TKelPigger::FindChild(const QByteArray &name) const
{
    const QByteArray wanted = AsciiUpper(name);
    for (const auto &child : children_) {
        if (child->name_ == wanted)
            return child.get();
    }
    return nullptr;
}

TKelPigger *TKelPigger::FindNext(const TKelPigger *current) const
{
    if (!current)
        return nullptr;
    for (int i = IndexOfChild(current) + 1; i < ChildCount(); ++i) {
        if (children_[i]->name_ == current->name_)
            return children_[i].get();
    }
    return nullptr;
}

int TKelPigger::IndexOfChild(const TKelPigger *node) const
{
    if (node == nullptr || node->parent_ != this)
        return -1;
    // Children are only appended or taken out, so a child's index never grows: it lies at or
    // below its hint, and walking the children in order finds each one at once.
    for (int i = std::min(node->indexHint_, ChildCount() - 1); i >= 0; --i) {
        if (children_[i].get() == node) {
            node->indexHint_ = i;
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
        attrValues_[index] = value;
    } else {
        attrNames_.append(name);
        attrValues_.append(value);
    }
}

QByteArray TKelPigger::GetAttr(const QByteArray &key) const
{
    const int index = IndexOfKey(AsciiUpper(key));
    return index >= 0 ? attrValues_[index] : QByteArray();
}

void TKelPigger::DeleteAttr(const QByteArray &key)
{
    const int index = IndexOfKey(AsciiUpper(key));
    if (index < 0)
        return;
    attrNames_.removeAt(index);
    attrValues_.removeAt(index);
}

int TKelPigger::IndexOfKey(const QByteArray &key) const
{
    return static_cast<int>(attrNames_.indexOf(key));
}

void TKelPigger::AddText(const QByteArray &text)
{
    const QByteArray decoded = DecodeText(TrimBlanks(text));
    if (!decoded.isEmpty() && AcceptText(decoded))
        text_ += decoded;
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
    name_ = source.name_;
    text_ = source.text_;
    attrNames_ = source.attrNames_;
    attrValues_ = source.attrValues_;
    for (const auto &sourceChild : source.children_)
        sourceChild->Create(this)->Assign(*sourceChild);
}

#include "container/KelPigger.h"

#include <algorithm>
#include <string_view>

namespace
{

constexpr std::string_view TagNameDelimiters = " />\r\n\t";
constexpr std::string_view NameDelimiters = " =/>\r\n\t";
constexpr std::string_view BareValueDelimiters = " >/\n\r\t";

const QByteArray RootIndent = "\r\n";
const QByteArray SyntaxErrorMessage = "Syntax error";
const QByteArray UnclosedTagMessage = "Unclosed tag: ";

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

// The byte at a 1-based position; positions outside the text read as a NUL byte, so the parser
// can look one step ahead without a bounds test at every place.
char At(const QByteArray &text, int pos)
{
    return pos >= 1 && pos <= text.size() ? text[pos - 1] : '\0';
}

// Stops on the last byte even when it is blank, so that pos stays inside a non-empty text.
void SkipBlanks(const QByteArray &text, int &pos)
{
    while (pos < text.size() && IsBlank(At(text, pos)))
        ++pos;
}

// 1-based position of the first byte at or after from that is in the set; 0 when there is none.
int FindFirstOf(const QByteArray &text, std::string_view set, int from)
{
    for (int pos = std::max(from, 1); pos <= text.size(); ++pos) {
        if (set.find(At(text, pos)) != std::string_view::npos)
            return pos;
    }
    return 0;
}

// The bytes from position from up to, but not including, position to.
QByteArray Slice(const QByteArray &text, int from, int to)
{
    return text.mid(from - 1, to - from);
}

QByteArray TrimBlanks(const QByteArray &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.mid(first, last - first);
}

// Only "a" to "z" change: keys holding other bytes, accented letters included, stay distinct.
QByteArray AsciiUpper(const QByteArray &text)
{
    QByteArray upper = text;
    for (char &c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

QByteArray NormalizedName(const QByteArray &name)
{
    return AsciiUpper(TrimBlanks(name));
}

bool NeedsEscape(unsigned char c)
{
    const bool control = c < 0x20 && c != '\t' && c != '\n' && c != '\r';
    return control || c == '"' || c == '%' || c == '<' || c == '>';
}

// "0" to "9" and "A" to "F" give their hexadecimal value; any other byte gives whatever the
// same arithmetic yields, as old files may hold such escapes.
int DigitValue(char c)
{
    const int code = static_cast<unsigned char>(c);
    return code >= 'A' ? code - '0' - 7 : code - '0';
}

} // namespace

EKelPiggerError::EKelPiggerError(const QByteArray &message, int position)
    : std::runtime_error(message.toStdString()), Position(position)
{
}

QByteArray EncodeText(const QByteArray &text)
{
    static constexpr char HexDigits[] = "0123456789ABCDEF";
    QByteArray encoded;
    encoded.reserve(text.size());
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (NeedsEscape(byte)) {
            encoded += '%';
            encoded += HexDigits[byte >> 4];
            encoded += HexDigits[byte & 0x0F];
        } else {
            encoded += c;
        }
    }
    return encoded;
}

QByteArray DecodeText(const QByteArray &text)
{
    QByteArray decoded;
    decoded.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int value = 16 * DigitValue(text[i + 1]) + DigitValue(text[i + 2]);
            decoded += static_cast<char>(value & 0xFF);
            i += 3;
        } else {
            decoded += text[i];
            ++i;
        }
    }
    return decoded;
}

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
    newParent->children_.emplace_back(this);
    parent_ = newParent;
    UpdateDepth();
}

std::unique_ptr<TKelPigger> TKelPigger::TakeChild(TKelPigger *child)
{
    const auto found = std::find_if(children_.begin(), children_.end(),
                                    [child](const auto &owned) { return owned.get() == child; });
    if (found == children_.end())
        return nullptr;
    std::unique_ptr<TKelPigger> owned = std::move(*found);
    children_.erase(found);
    owned->parent_ = nullptr;
    return owned;
}

void TKelPigger::DestroyChildren()
{
    while (!children_.empty())
        TakeChild(children_.front().get());
}

void TKelPigger::UpdateDepth()
{
    level_ = parent_ ? parent_->level_ + 1 : 0;
    indent_ = parent_ ? parent_->indent_ + '\t' : RootIndent;
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
    for (int i = 0; i < ChildCount(); ++i) {
        if (children_[i].get() == node)
            return i;
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

// ---- text form: writing -------------------------------------------------------------------

QByteArray TKelPigger::SaveToText() const
{
    QByteArray out;
    WriteTo(out);
    return out;
}

void TKelPigger::WriteTo(QByteArray &out) const
{
    if (name_.isEmpty())
        return;
    out += indent_;
    out += '<';
    out += name_;
    for (qsizetype i = 0; i < attrNames_.size(); ++i) {
        out += ' ';
        out += attrNames_[i];
        out += "=\"";
        out += EncodeText(attrValues_[i]);
        out += '"';
    }
    if (children_.empty() && text_.isEmpty()) {
        out += "/>";
        return;
    }
    out += '>';
    out += EncodeText(text_);
    for (const auto &child : children_)
        child->WriteTo(out);
    out += indent_;
    out += "</";
    out += name_;
    out += '>';
}

// ---- text form: reading -------------------------------------------------------------------

void TKelPigger::LoadFromText(const QByteArray &text)
{
    Clear();
    if (text.isEmpty())
        return;
    int pos = 1;
    SkipBlanks(text, pos);
    nestingDepth_ = 1;
    ParseElement(text, pos);
}

void TKelPigger::ParseElement(const QByteArray &text, int &pos)
{
    parsePos_ = pos;
    SetName(ReadTagName(text, pos));
    while (ParseAttribute(text, pos)) {
    }
    parsePos_ = pos;
    if (ReadStartTagEnd(text, pos)) {
        while (ParseContent(text, pos))
            parsePos_ = pos;
        ParseEndTag(text, pos);
    }
    parsePos_ = pos;
}

QByteArray TKelPigger::ReadTagName(const QByteArray &text, int &pos)
{
    const int lessThan = FindFirstOf(text, "<", pos);
    if (lessThan == 0)
        SyntaxError(pos);
    int nameStart = lessThan + 1;
    SkipBlanks(text, nameStart);
    const int nameEnd = FindFirstOf(text, TagNameDelimiters, nameStart);
    if (nameEnd == 0)
        SyntaxError(pos);
    pos = nameEnd;
    return Slice(text, nameStart, nameEnd);
}

bool TKelPigger::ParseAttribute(const QByteArray &text, int &pos)
{
    SkipBlanks(text, pos);
    const char current = At(text, pos);
    if (current == '/' || current == '>')
        return false;
    // A blank here means the text ends inside the start tag; reading a name at it would make
    // no progress.
    if (IsBlank(current))
        SyntaxError(pos);
    const int nameEnd = FindFirstOf(text, NameDelimiters, pos);
    if (nameEnd == 0)
        SyntaxError(pos);
    const QByteArray name = AsciiUpper(Slice(text, pos, nameEnd));
    pos = nameEnd;
    SkipBlanks(text, pos);
    QByteArray value;
    if (At(text, pos) == '=') {
        ++pos;
        value = ReadValue(text, pos);
    }
    attrNames_.append(name);
    attrValues_.append(value);
    return true;
}

QByteArray TKelPigger::ReadValue(const QByteArray &text, int &pos)
{
    SkipBlanks(text, pos);
    if (At(text, pos) == '"') {
        const int closingQuote = FindFirstOf(text, "\"", pos + 1);
        if (closingQuote == 0)
            SyntaxError(pos);
        const QByteArray quoted = Slice(text, pos + 1, closingQuote);
        pos = closingQuote + 1;
        return DecodeText(quoted);
    }
    const int valueEnd = FindFirstOf(text, BareValueDelimiters, pos);
    if (valueEnd == 0)
        SyntaxError(pos);
    const QByteArray bare = Slice(text, pos, valueEnd);
    pos = valueEnd;
    return DecodeText(bare);
}

bool TKelPigger::ReadStartTagEnd(const QByteArray &text, int &pos)
{
    SkipBlanks(text, pos);
    if (At(text, pos - 1) == '/' && At(text, pos) == '>') {
        ++pos;
        return false;
    }
    if (At(text, pos) == '/' && At(text, pos + 1) == '>') {
        pos += 2;
        return false;
    }
    const char last = At(text, pos);
    ++pos;
    if (last != '>')
        SyntaxError(pos);
    return true;
}

bool TKelPigger::ParseContent(const QByteArray &text, int &pos)
{
    SkipBlanks(text, pos);
    const int lessThan = FindFirstOf(text, "<", pos);
    if (lessThan == 0)
        SyntaxError(pos);
    if (lessThan > pos) {
        AddText(Slice(text, pos, lessThan));
        pos = lessThan;
    }
    if (At(text, pos + 1) == '/')
        return false;
    ParseChild(text, pos);
    return true;
}

void TKelPigger::ParseChild(const QByteArray &text, int &pos)
{
    if (nestingDepth_ >= MaxNestingDepth)
        SyntaxError(pos);
    int tagEnd = pos;
    TKelPigger *child = CreateChild(NormalizedName(ReadTagName(text, tagEnd)));
    if (child) {
        child->nestingDepth_ = nestingDepth_ + 1;
        child->ParseElement(text, pos);
        ChildLoaded(child);
        return;
    }
    TKelPigger skipped;
    skipped.nestingDepth_ = nestingDepth_ + 1;
    skipped.ParseElement(text, pos);
}

void TKelPigger::ParseEndTag(const QByteArray &text, int &pos)
{
    SkipBlanks(text, pos);
    const int tagStart = pos;
    pos += 2;
    const int nameEnd = FindFirstOf(text, NameDelimiters, pos);
    if (nameEnd == 0 || AsciiUpper(Slice(text, pos, nameEnd)) != name_)
        Fail(UnclosedTagMessage + name_, tagStart);
    pos = nameEnd;
    SkipBlanks(text, pos);
    if (At(text, pos) != '>')
        Fail(UnclosedTagMessage + name_, tagStart);
    ++pos;
}

// ---- hooks --------------------------------------------------------------------------------

TKelPigger *TKelPigger::CreateChild(const QByteArray &)
{
    return Create(this);
}

void TKelPigger::ChildLoaded(TKelPigger *)
{
}

bool TKelPigger::AcceptText(const QByteArray &)
{
    return true;
}

void TKelPigger::Error(const QByteArray &message, int pos)
{
    throw EKelPiggerError(message, pos);
}

void TKelPigger::SyntaxError(int pos)
{
    Fail(SyntaxErrorMessage, pos);
}

void TKelPigger::Fail(const QByteArray &message, int pos)
{
    Error(message, pos);
    throw EKelPiggerError(message, pos);
}

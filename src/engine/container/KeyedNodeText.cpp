// The container's text form: percent escapes, the writer and the parser. Positions are 1-based
// byte positions in the text, as reported in EKeyedNodeError.

#include "engine/container/KeyedNode.h"
#include "engine/container/KeyedNodeBytes.h"

#include <algorithm>
#include <limits>
#include <string_view>

using KeyedNodeBytes::AsciiUpper;
using KeyedNodeBytes::IsBlank;
using KeyedNodeBytes::NormalizedName;

namespace
{

constexpr std::string_view TagNameDelimiters = " />\r\n\t";
constexpr std::string_view NameDelimiters = " =/>\r\n\t";
constexpr std::string_view BareValueDelimiters = " >/\n\r\t";

// Positions are 32-bit and the parser looks a few bytes past the end: longer text is refused.
constexpr qsizetype MaxTextSize = std::numeric_limits<int>::max() - 8;

constexpr char SyntaxErrorMessage[] = "Syntax error";
constexpr char UnclosedTagMessage[] = "Unclosed tag: ";

// Names quoted in a message come from the text, which may hold a name of megabytes.
constexpr qsizetype MaxQuotedSize = 64;

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

// The start of a name or text taken from the input, short enough to show in a message.
QByteArray Quoted(const QByteArray &input)
{
    return input.size() <= MaxQuotedSize ? input : input.left(MaxQuotedSize) + "...";
}

} // namespace

EKeyedNodeError::EKeyedNodeError(const QByteArray &message, int position)
    : std::runtime_error(message.toStdString()), m_position(position)
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

// ---- text form: writing -------------------------------------------------------------------

QByteArray TKeyedNode::SaveToText() const
{
    QByteArray out;
    WriteTo(out);
    return out;
}

void TKeyedNode::WriteTo(QByteArray &out) const
{
    if (m_name.isEmpty())
        return;
    out += m_indent;
    out += '<';
    out += m_name;
    for (qsizetype i = 0; i < m_attrNames.size(); ++i) {
        out += ' ';
        out += m_attrNames[i];
        out += "=\"";
        out += EncodeText(m_attrValues[i]);
        out += '"';
    }
    if (m_children.empty() && m_text.isEmpty()) {
        out += "/>";
        return;
    }
    out += '>';
    out += EncodeText(m_text);
    for (const auto &child : m_children)
        child->WriteTo(out);
    out += m_indent;
    out += "</";
    out += m_name;
    out += '>';
}

qsizetype CountStartTags(const QByteArray &text, const QByteArray &name)
{
    qsizetype count = 0;
    // Only as many bytes as the name has are compared after each "<", which keeps the count
    // linear however many "<" the text holds.
    for (qsizetype lessThan = text.indexOf('<'); lessThan >= 0;
         lessThan = text.indexOf('<', lessThan + 1)) {
        qsizetype nameStart = lessThan + 1;
        while (nameStart < text.size() && IsBlank(text[nameStart]))
            ++nameStart;
        const qsizetype nameEnd = nameStart + name.size();
        // Any blank ends the name here: the reader trims control bytes off a name.
        if (nameEnd < text.size() &&
            (IsBlank(text[nameEnd]) || text[nameEnd] == '/' || text[nameEnd] == '>') &&
            AsciiUpper(text.mid(nameStart, name.size())) == name)
            ++count;
    }
    return count;
}

// ---- text form: reading -------------------------------------------------------------------

void TKeyedNode::LoadFromText(const QByteArray &text)
{
    Clear();
    if (text.isEmpty())
        return;
    int pos = 1;
    // Refused before the blanks are skipped, so that no position can pass the 32-bit range.
    if (text.size() > MaxTextSize)
        SyntaxError(pos);
    SkipBlanks(text, pos);
    m_nestingDepth = 1;
    ParseElement(text, pos);
}

void TKeyedNode::ParseElement(const QByteArray &text, int &pos)
{
    m_parsePos = pos;
    if (text.size() > MaxTextSize)
        SyntaxError(pos);
    SetName(ReadTagName(text, pos));
    // Records in a row mostly repeat their predecessor's keys and many of its values: those
    // share its bytes instead of taking memory of their own.
    const TKeyedNode *previous = PreviousSibling();
    while (ParseAttribute(text, pos, previous)) {
    }
    m_attrNames.squeeze();
    m_attrValues.squeeze();
    m_parsePos = pos;
    if (ReadStartTagEnd(text, pos)) {
        while (ParseContent(text, pos))
            m_parsePos = pos;
        ParseEndTag(text, pos);
    }
    m_parsePos = pos;
}

QByteArray TKeyedNode::ReadTagName(const QByteArray &text, int &pos)
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

const TKeyedNode *TKeyedNode::PreviousSibling() const
{
    if (!m_parent || m_indexHint < 1 || m_parent->m_children.size() < std::size_t(m_indexHint))
        return nullptr;
    return m_parent->m_children[std::size_t(m_indexHint) - 1].get();
}

bool TKeyedNode::ParseAttribute(const QByteArray &text, int &pos, const TKeyedNode *previous)
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
    QByteArray name = AsciiUpper(Slice(text, pos, nameEnd));
    pos = nameEnd;
    SkipBlanks(text, pos);
    QByteArray value;
    if (At(text, pos) == '=') {
        ++pos;
        value = ReadValue(text, pos);
    }
    const qsizetype index = m_attrNames.size();
    if (previous && index < previous->m_attrNames.size()) {
        if (previous->m_attrNames[index] == name)
            name = previous->m_attrNames[index];
        if (previous->m_attrValues[index] == value)
            value = previous->m_attrValues[index];
    }
    m_attrNames.append(name);
    m_attrValues.append(value);
    return true;
}

QByteArray TKeyedNode::ReadValue(const QByteArray &text, int &pos)
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

bool TKeyedNode::ReadStartTagEnd(const QByteArray &text, int &pos)
{
    SkipBlanks(text, pos);
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

bool TKeyedNode::ParseContent(const QByteArray &text, int &pos)
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

void TKeyedNode::ParseChild(const QByteArray &text, int &pos)
{
    if (m_nestingDepth >= MaxNestingDepth)
        SyntaxError(pos);
    int tagEnd = pos;
    TKeyedNode *child = CreateChild(NormalizedName(ReadTagName(text, tagEnd)));
    if (child) {
        child->m_nestingDepth = m_nestingDepth + 1;
        child->ParseElement(text, pos);
        ChildLoaded(child);
        return;
    }
    TKeyedNode skipped;
    skipped.m_nestingDepth = m_nestingDepth + 1;
    skipped.ParseElement(text, pos);
}

void TKeyedNode::ParseEndTag(const QByteArray &text, int &pos)
{
    SkipBlanks(text, pos);
    const int tagStart = pos;
    pos += 2;
    const int nameEnd = FindFirstOf(text, NameDelimiters, pos);
    if (nameEnd == 0 || AsciiUpper(Slice(text, pos, nameEnd)) != m_name)
        Fail(UnclosedTagMessage + Quoted(m_name), tagStart);
    pos = nameEnd;
    SkipBlanks(text, pos);
    if (At(text, pos) != '>')
        Fail(UnclosedTagMessage + Quoted(m_name), tagStart);
    ++pos;
}

// ---- hooks --------------------------------------------------------------------------------

TKeyedNode *TKeyedNode::CreateChild(const QByteArray &)
{
    return Create(this);
}

void TKeyedNode::ChildLoaded(TKeyedNode *)
{
}

bool TKeyedNode::AcceptText(const QByteArray &)
{
    return true;
}

void TKeyedNode::Error(const QByteArray &message, int pos)
{
    throw EKeyedNodeError(message, pos);
}

void TKeyedNode::SyntaxError(int pos)
{
    Fail(SyntaxErrorMessage, pos);
}

void TKeyedNode::Fail(const QByteArray &message, int pos)
{
    Error(message, pos);
    throw EKeyedNodeError(message, pos);
}

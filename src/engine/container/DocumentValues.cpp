#include "engine/container/DocumentValues.h"

#include "engine/container/KeyedNodeBytes.h"

#include <limits>

namespace
{

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

char HexDigit(int value)
{
    return "0123456789ABCDEF"[value & 0xF];
}

} // namespace

QByteArray ColorToText(TColor colour)
{
    QByteArray text("#");
    for (int shift = 0; shift <= 16; shift += 8) {
        const int channel = (colour >> shift) & 0xFF;
        text += HexDigit(channel >> 4);
        text += HexDigit(channel);
    }
    return text;
}

TColor TextToColor(const QByteArray &text)
{
    if (text.size() < 7)
        return 0;
    QByteArray converted = text;
    if (converted[0] == '#') {
        // "#RRGGBB" becomes "$BBGGRR": the hexadecimal text of a value with red lowest.
        converted[0] = '$';
        std::swap(converted[1], converted[5]);
        std::swap(converted[2], converted[6]);
    }
    return static_cast<TColor>(TextToIntDef(converted, 0));
}

std::optional<std::int32_t> TextToInt(const QByteArray &text)
{
    qsizetype pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    if (pos >= text.size())
        return std::nullopt;

    if (text[pos] == '$') {
        ++pos;
        const qsizetype digits = text.size() - pos;
        if (digits < 1 || digits > 8)
            return std::nullopt;
        std::uint32_t value = 0;
        for (; pos < text.size(); ++pos) {
            const int digit = HexDigitValue(text[pos]);
            if (digit < 0)
                return std::nullopt;
            value = (value << 4) | static_cast<std::uint32_t>(digit);
        }
        if (negative)
            value = 0u - value;
        return static_cast<std::int32_t>(value);
    }

    std::int64_t value = 0;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::int32_t TextToIntDef(const QByteArray &text, std::int32_t fallback)
{
    return TextToInt(text).value_or(fallback);
}

QByteArray TrimBlanksAndControls(const QByteArray &text)
{
    return KeyedNodeBytes::TrimBlanks(text);
}

QByteArray IntToText(std::int64_t value)
{
    return QByteArray::number(static_cast<qlonglong>(value));
}

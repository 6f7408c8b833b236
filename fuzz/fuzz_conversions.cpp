// The integer and colour conversions every document value goes through, and the percent
// escapes of the text form. Besides never crashing, each must give back what it was given:
// a number read from its own text, a colour from its own text form, text from its escapes.

#include "engine/container/DocumentValues.h"
#include "engine/container/KeyedNode.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));

    if (const std::optional<std::int32_t> number = TextToInt(text)) {
        if (TextToInt(IntToText(*number)) != number)
            __builtin_trap();
    }
    TextToIntDef(text, -1);
    const TColor colour = TextToColor(text);
    if (TextToColor(ColorToText(colour)) != (colour & 0xFFFFFF))
        __builtin_trap();
    if (DecodeText(EncodeText(text)) != text)
        __builtin_trap();
    TrimBlanksAndControls(text);

    if (size >= sizeof(std::uint32_t)) {
        std::uint32_t value = 0;
        std::memcpy(&value, data, sizeof value);
        if (TextToColor(ColorToText(value)) != (value & 0xFFFFFF))
            __builtin_trap();
        if (TextToInt(IntToText(static_cast<std::int32_t>(value))) !=
            static_cast<std::int32_t>(value))
            __builtin_trap();
    }
    return 0;
}

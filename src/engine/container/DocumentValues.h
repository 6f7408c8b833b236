#pragma once
// Colour text form of the puzzle document and the one integer conversion every reader uses.

#include <QByteArray>
#include <cstdint>
#include <optional>

// A colour is a 32-bit value with red in the lowest byte, green in the second, blue in the third.
using TColor = std::uint32_t;

// "#RRGGBB" in upper-case hexadecimal; the highest byte of the colour is ignored.
QByteArray ColorToText(TColor colour);

// The inverse of ColorToText; shorter than 7 characters or not convertible gives 0 (black).
// Text of 7 or more characters without "#" is converted as an integer unchanged.
TColor TextToColor(const QByteArray &text);

// Integer conversion with the platform's rules: leading blanks, an optional sign, decimal
// digits or "$" followed by up to 8 hexadecimal digits (taken as a 32-bit pattern). Anything
// else, trailing characters included, or a decimal value outside 32 bits, is no number.
std::optional<std::int32_t> TextToInt(const QByteArray &text);

// TextToInt with the caller's fallback for absent or malformed values.
std::int32_t TextToIntDef(const QByteArray &text, std::int32_t fallback);

// The text with blanks and control characters (bytes 0 to 32) removed from both ends, as names,
// authors, websites and addresses are taken.
QByteArray TrimBlanksAndControls(const QByteArray &text);

// Decimal text with an optional minus sign.
QByteArray IntToText(std::int64_t value);

#pragma once
// The two 16 × 16 glyphs of the picture editor's rotate buttons: a white picture with a curved
// blue arrow running around it, landscape and turning counter-clockwise for the left button,
// portrait and turning clockwise for the right one.

#include <QImage>

inline constexpr int RotateGlyphSize = 16;

// Drawn at pixelRatio device pixels to each of its RotateGlyphSize window pixels.
QImage MakeRotateGlyph(bool clockwise, qreal pixelRatio = 1.0);

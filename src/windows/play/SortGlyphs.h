#pragma once
// The nine 24 × 24 glyphs of the tools window's sort-order list, on a transparent background,
// index for index with the list's items: 0 two grey dashes ("None"); then Top, Right, Bottom
// and Left in turn, each first with a tab (odd index, "M") and then with a hole (even, "F")
// on that side of a blue piece body.

#include <QImage>
#include <QList>

inline constexpr int SortGlyphSize = 24;

// Drawn at pixelRatio device pixels to each of their SortGlyphSize window pixels.
QList<QImage> MakeSortGlyphs(qreal pixelRatio = 1.0);

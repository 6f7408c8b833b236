#pragma once
// Showing a picture at a percentage of its size, and resampling it to a shown size. The scale
// view dialog and the command line's --scale both size pictures through these two functions.

#include <QImage>
#include <QSize>

// percent × baseLength ÷ 100, the product exact in integers, the division in floating point,
// rounded to the nearest integer with ties to even (5 at 10 % gives 0, at 30 % gives 2).
int ScaledLength(int baseLength, int percent);

// The percentages a picture may be scaled to.
inline constexpr int MinScalePercent = 10;
inline constexpr int MaxScalePercent = 160;

// A picture can be resampled to size: at least 1 × 1 and at most JpegPixelLimit pixels (a
// larger one could not be kept as a JPEG picture).
bool CanResampleTo(QSize size);

// The whole source drawn stretched (the ordinary stretch-draw, no filter of its own) onto a
// new 24-bit bitmap (QImage::Format_RGB888) of exactly that size. Null when the size is not
// one CanResampleTo allows, or its memory cannot be had. A null source gives a white bitmap.
QImage ResampleBitmap(const QImage &source, QSize size);

#pragma once
// Showing a picture at a percentage of its size, and resampling it to a shown size. The scale
// view dialog and the command line's --scale both size pictures through these two functions.

#include <QImage>
#include <QSize>

// percent × baseLength ÷ 100, the product exact in integers, the division in floating point,
// rounded to the nearest integer with ties to even (5 at 10 % gives 0, at 30 % gives 2).
int ScaledLength(int baseLength, int percent);

// The whole source drawn stretched (the ordinary stretch-draw, no filter of its own) onto a
// new 24-bit bitmap (QImage::Format_RGB888) of exactly that size. Null when either dimension
// is 0 or below, or when the size has more than JpegPixelLimit pixels (such a picture could not
// be kept). A null source gives a white bitmap of the size.
QImage ResampleBitmap(const QImage &source, QSize size);

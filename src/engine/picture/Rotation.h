#pragma once
// Quarter turns of a bitmap, moving the 3-byte pixels directly.
//   clockwise:         source pixel (x, y) -> target row x,         column H - 1 - y
//   counter-clockwise: source pixel (x, y) -> target row W - 1 - x, column y
// The source is converted to 24-bit colour (QImage::Format_RGB888) in place; the target becomes
// a new 24-bit bitmap with width and height exchanged. A null (0 × 0) source gives a null target.
// Source and target may be the same object.

#include <QImage>

void RotateBitmapCW(QImage &source, QImage &target);
void RotateBitmapCCW(QImage &source, QImage &target);

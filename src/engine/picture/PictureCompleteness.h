#pragma once
// Whether a file ends before its picture does, read from the file's own structure, so that a
// cut-off file is refused as such ("it ends before its pixels do") rather than as damaged in
// general. What the decoders take as a complete picture stays one: a GIF needs only its first
// frame, a bitmap not the padding of its last row; a PNG, WebP or JPEG file that its decoder
// reads whole is not tested at all.

#include <QByteArray>

// format: "bmp", "gif", "png", "webp" or "jpeg"; false for any other, and for files whose
// structure is damaged before they end.
bool EndsBeforeItsPicture(const QByteArray &format, const QByteArray &file);

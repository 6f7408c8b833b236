#pragma once
// A PNG file's chunks as its bytes lay them out, walked without trusting their lengths: under
// Qt, libpng allocates (and zeroes) a chunk at the size it declares, up to 2 GiB, before it finds
// that the file holds no such data.

#include <QByteArray>

enum class TPngLayout {
    Complete,          // every chunk lies inside the file, up to IEND
    EndsInsideAChunk,  // a chunk declares more bytes than the file has left
    EndsWithoutItsEnd, // no IEND before the file ends
};

TPngLayout ReadPngLayout(const QByteArray &file);

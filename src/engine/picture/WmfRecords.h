#pragma once
// Windows metafiles (WMF), placeable (with the 22-byte header giving a bounding box and its
// units per inch) or plain (the window records give the size): their header and the player of
// their records.

#include "engine/picture/MetafileBytes.h"

#include <QRectF>
#include <optional>

class TMetafileDevice;

struct TWmfHeader {
    QRectF window;        // logical coordinates that fill the picture
    double pixelsPerUnit; // at 96 pixels per inch; 1 for a plain file
    qint64 recordsStart;  // offset of the first record in the file
};

// The header, or none when the bytes are no WMF or give no usable size (a zero extent, a
// placeable file without units per inch, a plain file without a window extent).
std::optional<TWmfHeader> ReadWmfHeader(TByteReader file);

// Whether the records end with the end record, none of them running past the file.
bool WmfRecordsReachTheirEnd(TByteReader file, const TWmfHeader &header);

// Plays every record onto the device; an unknown record is skipped, so is a record whose
// contents do not fit it; a record that runs past the file, or the device's work budget
// running out, ends the playing.
void PlayWmfRecords(TByteReader file, const TWmfHeader &header, TMetafileDevice &device);

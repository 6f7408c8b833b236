#pragma once
// Enhanced metafiles (EMF): their header and the player of their records.

#include "engine/picture/MetafileBytes.h"

#include <QRectF>
#include <optional>

class TMetafileDevice;

struct TEmfHeader {
    QRectF frame;               // in reference-device pixels: the part that fills the picture
    QSizeF pixelsPerMillimetre; // of the reference device
    QSizeF deviceSize;          // of the reference device, in pixels
    QSizeF naturalSize;         // in pixels at 96 per inch
};

// The header, or none when the bytes are no EMF or give no usable size (neither the frame nor
// the bounds enclose an area).
std::optional<TEmfHeader> ReadEmfHeader(TByteReader file);

// Whether the records end with the end record, none of them running past the file.
bool EmfRecordsReachTheirEnd(TByteReader file);

// Plays every record onto the device; an unknown record is skipped, so is a record whose
// contents do not fit it; a record that runs past the file, or the device's work budget
// running out, ends the playing.
void PlayEmfRecords(TByteReader file, const TEmfHeader &header, TMetafileDevice &device);

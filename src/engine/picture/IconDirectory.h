#pragma once
// The directory of an icon file, read to choose which of its images the picture is: the largest,
// and of equal sizes the deepest. Sizes and depths are taken from each image's own header (the
// directory's often say 0), a PNG-compressed image by its bit depth and channels.

#include <QByteArray>
#include <optional>

struct TIconChoice {
    int index = 0; // in the directory's order, as Qt's reader counts the images
    // The chosen image's bytes, or the directory itself, run past the end of the file.
    bool endsBeyondFile = false;
    // A PNG-compressed image, and where its bytes lie in the file, so that it can be read as
    // the PNG file it is.
    bool isPng = false;
    qint64 offset = 0;
    qint64 bytes = 0;
};

// The image to take, or none when the bytes hold no icon directory. Every entry is considered;
// their number is bounded by the file's size, 16 bytes each.
std::optional<TIconChoice> ChooseIconImage(const QByteArray &file);

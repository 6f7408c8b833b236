#pragma once
// How the maker's windows have a picture edited: Step 1 edits the source picture, the
// properties dialog the alternative picture.

#include <QString>
#include <functional>

class TJpegPicture;

// Edits picture in a picture editor window under caption, with startFile (when not empty)
// loaded first as "Load from file" loads it; true only when the user accepted a change, which
// picture then holds.
using TPictureEditing =
    std::function<bool(TJpegPicture &picture, const QString &caption, const QString &startFile)>;

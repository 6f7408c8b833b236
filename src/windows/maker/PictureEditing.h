#pragma once
// How the maker's windows have a picture edited: Step 1 edits the source picture, the
// properties dialog the alternative picture.

#include <QString>
#include <functional>

class TJpegPicture;

// Which of the maker's pictures an editor edits: how messages name it, and the maker's other
// picture held beside it, whose memory a picture loaded into the editor must leave room for
// (null: none).
struct TEditedPicture {
    QString role = QStringLiteral("The picture");
    const TJpegPicture *heldBeside = nullptr;
};

// Edits picture, which is the edited one, in a picture editor window under caption, with
// startFile (when not empty) loaded first as "Load from file" loads it; true only when the user
// accepted a change, which picture then holds.
using TPictureEditing = std::function<bool(TJpegPicture &picture, const TEditedPicture &edited,
                                           const QString &caption, const QString &startFile)>;

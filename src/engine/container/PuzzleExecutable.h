#pragma once
// The one way a puzzle executable is put together, shared by the maker's last step and the
// command line, so that both write the same payload for the same inputs.

#include <QByteArray>
#include <QString>

class TJpegPicture;
class TPuzzleDocument;

// `programImage` with a new puzzle's payload appended: "IS_PUZZLE", "SRC_IMG", "PRM_IMG" when
// alternative is given, then "PIG_TXT" with the game's alternative picture flag set. Puzzle
// sections the program image already carries (when the program is itself a puzzle) are removed
// first, so that the new ones are the ones read. Throws EPuzzleRefused when the player would refuse
// the puzzle or a part holds a section marker, EJPEGError when a picture cannot be encoded; nothing
// but the game's alternative picture flag has changed then.
QByteArray WithPuzzleSections(QByteArray programImage, const TJpegPicture &source,
                              const TJpegPicture *alternative, TPuzzleDocument &document);

// Writes a made puzzle to fileName as WriteImageToFile does, refusing the names the program keeps
// for its own copies while it saves a game ("tmp.exe", "temp0a0.exe", in any letter case): a
// puzzle under either would be deleted or taken for such a copy, and an existing name that is
// not a regular file or folder (a device, FIFO or socket). Throws std::runtime_error.
void WritePuzzleExecutable(const QByteArray &puzzleImage, const QString &fileName);

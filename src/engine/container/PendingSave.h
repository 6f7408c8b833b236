#pragma once
// The save a hand-over copy ("tmp.exe") carries: its own image, holding the changed game, with a
// "FILE_NAME" section naming the puzzle executable beside it that is to receive that image. The
// hand-over copy finishes it; a later start finishes it when the copy was stopped before, so a
// save that reached the copy is never lost.

#include <QByteArray>
#include <QString>
#include <optional>

// The hand-over copy's file name, in the folder of the puzzle whose game it saves.
inline constexpr char HandOverFileName[] = "tmp.exe";

// `name` inside `folder`. Unlike QDir::filePath, which takes a name beginning with ":" for one
// of Qt's built-in resources, it stays an ordinary file there.
QString PathInFolder(const QString &folder, const QString &name);

// The file a "FILE_NAME" section names, as a plain name inside the hand-over copy's own folder;
// nothing when it is empty or names anything else ("..", a path, a NUL byte). It is only ever
// used joined to a folder, so a name beginning with ":" is not taken for a built-in resource.
std::optional<QString> HandOverTarget(const QByteArray &fileNameSection);

enum class TPendingSave {
    Written,       // the target now holds the saved game
    AlreadyThere,  // the target held it already: an earlier run got that far
    TargetMissing, // no valid target name, or no file by that name: the save has nowhere to go
    KeptBeside,    // the target is another puzzle now: the game went to a file of its own
};

// Writes the hand-over copy's image without its "FILE_NAME" section over the target in
// `folder`, unless the target holds exactly that already. A target that is no longer the same
// puzzle (it differs in more than its game) is left alone: the saved game is written beside it
// as "<name> (saved game).exe" (numbered when taken), whose name goes to keptAs. Throws
// std::runtime_error naming the cause when a file cannot be written (the target stays whole).
TPendingSave FinishPendingSave(const QByteArray &handOverImage, const QString &folder,
                               QString *keptAs = nullptr);

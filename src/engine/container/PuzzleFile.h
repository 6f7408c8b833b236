#pragma once
// Puzzle files as files: a puzzle opened by the program (`tessalune PUZZLE`, "Browse my
// puzzles", a dropped file) whatever program part it carries and whether or not it may be
// executed, and the portable program part that carries its own runtime.

#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/picture/MemoryBudget.h"

#include <QByteArray>
#include <QString>

// Puzzle files, and the portable program part, larger than the program's memory budget are not
// read: it bounds what a file someone sent takes.
inline constexpr qint64 MaxPuzzleFileSize = MemoryBudget;

// True when the image holds a puzzle ("IS_PUZZLE" is "Y").
bool IsPuzzleImage(const QByteArray &image);

// The parts of a puzzle image: the picture, the alternative picture (empty when there is none)
// and the document.
QByteArray PuzzlePictureOf(const QByteArray &image);
QByteArray AlternativePictureOf(const QByteArray &image);
// Throws EKeyedNodeError naming the cause when the document cannot be read.
TPuzzleDocument PuzzleDocumentOf(const QByteArray &image);
// Replaces the document of the image this process plays with text, as the last section.
void StorePlayedDocument(const QByteArray &text);

// The file name a hand-over copy saves its game into ("FILE_NAME"); empty in any other image.
QByteArray HandOverFileNameOf(const QByteArray &image);
// Appends that name to a hand-over copy's image.
void AddHandOverFileName(const QByteArray &fileName, QByteArray &image);

// The bytes of a puzzle file. Throws std::runtime_error naming the file when it is not a regular
// file, is larger than MaxPuzzleFileSize or cannot be read.
QByteArray ReadPuzzleFile(const QString &path);

// The file named by the windowed program's first parameter when it asks to play a puzzle file
// (`tessalune PUZZLE`), as an absolute path resolved against the current working folder; empty
// for the program's own parameters ("maketn", "deltemp") and for the replacement copy, whose
// parameter names the file it replaces, and when the parameter names no file.
QString PuzzleFileParameter(const QString &programPath, const QString &firstParameter);

// Makes `path` the file this process plays and saves into: the executable image is read from it
// (ExeImage, LoadedExeImage). Call before the image is first loaded.
void OpenPuzzleFile(const QString &path);
// The file given to OpenPuzzleFile, or empty.
QString OpenedPuzzleFile();
// The file this process plays: the opened puzzle file, else the running executable.
QString PlayedFilePath();

// True when the image's program part is a portable puzzle's start stage with its runtime.
bool IsPortableImage(const QByteArray &image);

// The program part of portable puzzles that ships with this program (the start stage and the
// runtime), found beside the program or in its library folder; empty when it is not installed.
QString PortableProgramPath();
// The bytes of that program part. Throws std::runtime_error when it is missing or is not a
// portable program part.
QByteArray ReadPortableProgram(const QString &path = PortableProgramPath());

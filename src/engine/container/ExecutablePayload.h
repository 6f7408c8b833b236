#pragma once
// The executable image and its payload sections, and the start-up step that runs before the
// application object exists (working folder, read-only relocation, self-replacement).
//
// A section in the image is: "SO!#" + NAME + byte 0xB6, the data, "EO!#" + NAME, with NAME the
// section name upper-cased in ASCII. Sections are found by searching the whole image for the
// first start marker and, independently, the first end marker of their name.
//
// The image is one process-wide byte string, empty until the first operation that needs it
// reads the running executable's file, then held (and changed only in memory) until the end.
// Failures to open, create or write a file are thrown as std::runtime_error naming the file.

#include "platform/Platform.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The process-wide executable image; empty until loaded. Callers may read or replace it.
QByteArray &ExeImage();

// Reads the running executable's file into the image (the puzzle file when one was opened,
// OpenPuzzleFile).
void LoadExeImage();

// The process-wide image, read from the running executable's file first if it is empty.
QByteArray &LoadedExeImage();

// The data of the first section called `name` in `image`; empty when the start marker is
// absent, the end marker is absent or its first occurrence lies before the data.
QByteArray ReadSection(const QByteArray &name, const QByteArray &image);

// ReadSection without the copy: a view into `image`, valid while the image stays unchanged, so
// that a section's size can be checked before its data is copied out.
QByteArrayView SectionView(const QByteArray &name, const QByteArray &image);
QByteArrayView SectionView(const QByteArray &name, QByteArray &&image) = delete;

// ReadSection on the process-wide image, loading it if it is empty.
QByteArray ReadSection(const QByteArray &name);

// Removes the first section called `name` (start marker through end marker) from `image`;
// nothing happens when either marker is missing or the end marker comes first.
void RemoveSection(const QByteArray &name, QByteArray &image);

// RemoveSection on the process-wide image, loading it if it is empty.
void DeleteSection(const QByteArray &name);

// Appends a section to `image`; nothing when `name` is empty.
void AppendSection(const QByteArray &name, const QByteArray &data, QByteArray &image);

// The start or end marker of the named section (without the start's terminator) when data holds
// it, else empty. Such data would end its section early, or be read in another's place.
QByteArray SectionMarkerIn(const QByteArray &data, const QByteArray &name);

// Appends a section to the process-wide image, loading it if it is empty; nothing when `name`
// is empty. An existing section of the same name is kept and stays the one that is read.
void AddSection(const QByteArray &name, const QByteArray &data);

// Replaces the first section called `name` by a new one at the end of the image. Nothing when
// `name` is empty or the image as it stands (it is not loaded here) has no such start marker.
void ReplaceSection(const QByteArray &name, const QByteArray &data);

// Writes the process-wide image, loading it if it is empty, with WriteImageToFile.
void SaveExeAs(const QString &fileName);

// Nothing when `image` is empty. Otherwise makes the running executable's folder the working
// folder (a relative `fileName` is resolved there) and writes `image` as that file, replacing
// any file of that name; the old file stays whole if the write fails
// (Platform::WriteExecutableFile).
void WriteImageToFile(const QByteArray &image, const QString &fileName);

// What the start-up step works on: the running executable, its command-line parameters (the
// program name excluded) and the relocation flag.
struct StartupContext {
    QString executablePath;
    QStringList parameters;
    int relocationFlag = 0;
};

// The context of this process: its executable, argv[1..] and HeaderByte(3). Throws
// std::runtime_error, as Platform::ArgumentText, for an argument that is not valid text.
StartupContext CurrentStartupContext(int argc, char **argv);

// The copy of itself a puzzle writes beside itself to replace its own file.
inline constexpr char ReplacementCopyName[] = "temp0a0.exe";
// The parameter with which the replaced file is restarted to delete that copy.
inline constexpr char DeleteReplacementCopyParameter[] = "deltemp";
// The first parameter that asks for the picture to be exported beside the puzzle.
inline constexpr char ThumbnailParameter[] = "maketn";

// The start-up step, run first in main() before the application object exists: sets the working
// folder to the executable's folder, moves an executable on read-only media to a writable copy
// in the user's data folder, and carries out the "temp0a0.exe" / "deltemp" self-replacement.
// It may ask the application to end (Platform::RequestQuit); it never throws.
void RunStartupStep(const StartupContext &context);

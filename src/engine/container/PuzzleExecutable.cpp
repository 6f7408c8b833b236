#include "engine/container/PuzzleExecutable.h"

#include "engine/container/ExecutablePayload.h"
#include "engine/container/PendingSave.h"
#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/container/PuzzleSchema.h"
#include "engine/jigsaw/PlayChecks.h"
#include "engine/picture/JpegPicture.h"

#include <QDir>
#include <QFileInfo>
#include <stdexcept>
#include <string>

using namespace PuzzleSchema;

namespace
{

constexpr const char *PuzzleSections[] = {
    SectionIsPuzzle, SectionSourceImage, SectionAlternativeImage, SectionDocument, SectionFileName};

// Every copy of each puzzle section, so that none of the program's own payload can be read in
// place of the new one.
void StripPuzzleSections(QByteArray &image)
{
    for (const char *name : PuzzleSections) {
        qsizetype before = -1;
        while (image.size() != before) {
            before = image.size();
            RemoveSection(name, image);
        }
    }
}

// Data holding a puzzle section's marker would make a puzzle that cannot be read back.
void RequireNoSectionMarkers(const QByteArray &data, const std::string &what)
{
    for (const char *name : PuzzleSections) {
        const QByteArray marker = SectionMarkerIn(data, name);
        if (!marker.isEmpty())
            throw EPuzzleRefused(what + " may not hold \"" + marker.toStdString() +
                                 "\": puzzle files mark their parts with it");
    }
}

} // namespace

QByteArray WithPuzzleSections(QByteArray programImage, const TJpegPicture &source,
                              const TJpegPicture *alternative, TPuzzleDocument &document)
{
    const QByteArray sourceBytes = source.Data();
    const QByteArray alternativeBytes = alternative ? alternative->Data() : QByteArray();
    // The sections of a puzzle this program was started as go before its size is counted.
    StripPuzzleSections(programImage);
    // What the player will hold: the puzzle file's image and its picture's own copy.
    const std::int64_t puzzleFileBytes =
        programImage.size() + sourceBytes.size() + alternativeBytes.size();
    RequirePlayablePuzzle(source, document,
                          GameHeldBytes(puzzleFileBytes + sourceBytes.size(), document));
    RequireNoSectionMarkers(sourceBytes, "The picture");
    RequireNoSectionMarkers(alternativeBytes, "The alternative picture");
    document.Game().useAlternativePicture = alternative != nullptr;
    const QByteArray documentText = document.Text();
    RequireNoSectionMarkers(documentText, "The puzzle's name, author and website");
    AppendSection(SectionIsPuzzle, IsPuzzleValue, programImage);
    AppendSection(SectionSourceImage, sourceBytes, programImage);
    if (alternative)
        AppendSection(SectionAlternativeImage, alternativeBytes, programImage);
    AppendSection(SectionDocument, documentText, programImage);
    return programImage;
}

void WritePuzzleExecutable(const QByteArray &puzzleImage, const QString &fileName)
{
    const QString name = QFileInfo(fileName).fileName();
    for (const char *reserved : {HandOverFileName, ReplacementCopyName})
        if (name.compare(QLatin1String(reserved), Qt::CaseInsensitive) == 0)
            throw std::runtime_error("\"" + name.toStdString() +
                                     "\" is the name of a copy the program makes while it saves "
                                     "a game; please choose another name for the puzzle");
    // The file is written beside and renamed over the name: a device, FIFO or socket there would
    // be replaced, not written to. A folder is refused by the writer itself.
    const QFileInfo existing(fileName);
    if (existing.exists() && !existing.isFile() && !existing.isDir())
        throw std::runtime_error("\"" + QDir::toNativeSeparators(fileName).toStdString() +
                                 "\" is not a regular file (a device, pipe or socket); please "
                                 "choose another name for the puzzle");
    WriteImageToFile(puzzleImage, fileName);
}

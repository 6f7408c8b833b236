#include "engine/container/PuzzleExecutable.h"

#include "engine/container/ExecutablePayload.h"
#include "engine/container/KelPigger.h"
#include "engine/container/PuzzleSchema.h"
#include "engine/picture/JpegPicture.h"

using namespace PuzzleSchema;

namespace
{

// Every copy of each puzzle section, so that none of the program's own payload can be read in
// place of the new one.
void StripPuzzleSections(QByteArray &image)
{
    for (const char *name : {SectionIsPuzzle, SectionSourceImage, SectionAlternativeImage,
                             SectionDocument, SectionFileName}) {
        qsizetype before = -1;
        while (image.size() != before) {
            before = image.size();
            RemoveSection(name, image);
        }
    }
}

} // namespace

QByteArray WithPuzzleSections(QByteArray programImage, const TJPEGImage &source,
                              const TJPEGImage *alternative, TKelPigger &document)
{
    const QByteArray sourceBytes = source.Data();
    const QByteArray alternativeBytes = alternative ? alternative->Data() : QByteArray();
    StripPuzzleSections(programImage);
    AppendSection(SectionIsPuzzle, IsPuzzleValue, programImage);
    AppendSection(SectionSourceImage, sourceBytes, programImage);
    if (alternative)
        AppendSection(SectionAlternativeImage, alternativeBytes, programImage);
    document.SetAttr(KeyUseAlternative, alternative ? QByteArray(FlagYes) : QByteArray());
    AppendSection(SectionDocument, document.SaveToText(), programImage);
    return programImage;
}

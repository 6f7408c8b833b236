#include "engine/container/ExecutablePayload.h"

#include "engine/container/PuzzleFile.h"
#include "engine/picture/MemoryBudget.h"

#include <QFileInfo>
#include <stdexcept>

namespace
{

// The marker texts are kept in lower case, apart from the section names, and joined and
// upper-cased at run time: the program's own bytes, which every search runs through first,
// must never hold a complete marker of a section name.
constexpr char StartTag[] = "so!#";
constexpr char EndTag[] = "eo!#";
constexpr char StartTerminator = '\xB6';

// QByteArray::toUpper changes only the ASCII letters "a" to "z".
QByteArray StartMarker(const QByteArray &name)
{
    return (StartTag + name).toUpper() + StartTerminator;
}

QByteArray EndMarker(const QByteArray &name)
{
    return (EndTag + name).toUpper();
}

// Where the first start marker and the first end marker of a name lie: one search each.
struct SectionPlace {
    qsizetype start = -1;
    qsizetype dataBegin = -1;
    qsizetype endMarker = -1;
    qsizetype endMarkerSize = 0;

    bool hasStart() const { return start >= 0; }
    // The end marker counts only when it does not come before the data.
    bool isComplete() const { return hasStart() && endMarker >= dataBegin; }
};

SectionPlace FindSection(const QByteArray &name, const QByteArray &image)
{
    SectionPlace place;
    const QByteArray start = StartMarker(name);
    place.start = image.indexOf(start);
    if (!place.hasStart())
        return place;
    const QByteArray end = EndMarker(name);
    place.dataBegin = place.start + start.size();
    place.endMarker = image.indexOf(end);
    place.endMarkerSize = end.size();
    return place;
}

void RemoveFoundSection(const SectionPlace &place, QByteArray &image)
{
    if (place.isComplete())
        image.remove(place.start, place.endMarker + place.endMarkerSize - place.start);
}

} // namespace

QByteArray &ExeImage()
{
    static QByteArray image;
    return image;
}

void LoadExeImage()
{
    const QString opened = OpenedPuzzleFile();
    ExeImage() =
        opened.isEmpty() ? Platform::ReadRunningExecutable(MemoryBudget) : ReadPuzzleFile(opened);
}

QByteArray &LoadedExeImage()
{
    if (ExeImage().isEmpty())
        LoadExeImage();
    return ExeImage();
}

QByteArrayView SectionView(const QByteArray &name, const QByteArray &image)
{
    const SectionPlace place = FindSection(name, image);
    if (!place.isComplete())
        return {};
    return QByteArrayView(image).sliced(place.dataBegin, place.endMarker - place.dataBegin);
}

QByteArray ReadSection(const QByteArray &name, const QByteArray &image)
{
    return SectionView(name, image).toByteArray();
}

QByteArray ReadSection(const QByteArray &name)
{
    return ReadSection(name, LoadedExeImage());
}

void RemoveSection(const QByteArray &name, QByteArray &image)
{
    RemoveFoundSection(FindSection(name, image), image);
}

void DeleteSection(const QByteArray &name)
{
    RemoveSection(name, LoadedExeImage());
}

void AppendSection(const QByteArray &name, const QByteArray &data, QByteArray &image)
{
    if (name.isEmpty())
        return;
    image += StartMarker(name);
    image += data;
    image += EndMarker(name);
}

QByteArray SectionMarkerIn(const QByteArray &data, const QByteArray &name)
{
    if (data.contains(StartMarker(name)))
        return StartMarker(name).chopped(1);
    if (data.contains(EndMarker(name)))
        return EndMarker(name);
    return QByteArray();
}

void AddSection(const QByteArray &name, const QByteArray &data)
{
    if (name.isEmpty())
        return;
    AppendSection(name, data, LoadedExeImage());
}

void ReplaceSection(const QByteArray &name, const QByteArray &data)
{
    if (name.isEmpty())
        return;
    QByteArray &image = ExeImage();
    const SectionPlace place = FindSection(name, image);
    if (!place.hasStart())
        return;
    RemoveFoundSection(place, image);
    AppendSection(name, data, image);
}

void SaveExeAs(const QString &fileName)
{
    WriteImageToFile(LoadedExeImage(), fileName);
}

void WriteImageToFile(const QByteArray &image, const QString &fileName)
{
    if (image.isEmpty())
        return;
    Platform::SetWorkingFolder(QFileInfo(Platform::RunningExecutablePath()).absolutePath());
    Platform::WriteExecutableFile(image, QFileInfo(fileName).absoluteFilePath());
}

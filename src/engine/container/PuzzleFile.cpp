#include "engine/container/PuzzleFile.h"

#include "engine/container/ExecutablePayload.h"
#include "engine/container/PuzzleSchema.h"
#include "platform/Platform.h"
#include "platform/PortableRuntime.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

namespace
{

constexpr char PortableProgramName[] = "tessalune-portable";

QString &OpenedPath()
{
    static QString path;
    return path;
}

std::string Shown(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdString();
}

} // namespace

bool IsPuzzleImage(const QByteArray &image)
{
    return ReadSection(PuzzleSchema::SectionIsPuzzle, image) == PuzzleSchema::IsPuzzleValue;
}

QByteArray PuzzlePictureOf(const QByteArray &image)
{
    return ReadSection(PuzzleSchema::SectionSourceImage, image);
}

QByteArray AlternativePictureOf(const QByteArray &image)
{
    return ReadSection(PuzzleSchema::SectionAlternativeImage, image);
}

TPuzzleDocument PuzzleDocumentOf(const QByteArray &image)
{
    return TPuzzleDocument(SectionView(PuzzleSchema::SectionDocument, image));
}

void StorePlayedDocument(const QByteArray &text)
{
    ReplaceSection(PuzzleSchema::SectionDocument, text);
}

QByteArray HandOverFileNameOf(const QByteArray &image)
{
    return ReadSection(PuzzleSchema::SectionFileName, image);
}

void AddHandOverFileName(const QByteArray &fileName, QByteArray &image)
{
    AppendSection(PuzzleSchema::SectionFileName, fileName, image);
}

QByteArray ReadPuzzleFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        throw std::runtime_error("\"" + Shown(path) + "\" is not a file");
    if (info.size() > MaxPuzzleFileSize)
        throw std::runtime_error("\"" + Shown(path) + "\" is too large to be a puzzle");
    return Platform::ReadFileWithin(path, MaxPuzzleFileSize);
}

QString PuzzleFileParameter(const QString &programPath, const QString &firstParameter)
{
    if (firstParameter.isEmpty() || firstParameter == QLatin1String(ThumbnailParameter) ||
        firstParameter == QLatin1String(DeleteReplacementCopyParameter) ||
        QFileInfo(programPath)
                .fileName()
                .compare(QLatin1String(ReplacementCopyName), Qt::CaseInsensitive) == 0)
        return QString();
    const QFileInfo file(firstParameter);
    return file.isFile() ? file.absoluteFilePath() : QString();
}

void OpenPuzzleFile(const QString &path)
{
    OpenedPath() = path;
}

QString OpenedPuzzleFile()
{
    return OpenedPath();
}

QString PlayedFilePath()
{
    return OpenedPath().isEmpty() ? Platform::RunningExecutablePath() : OpenedPath();
}

bool IsPortableImage(const QByteArray &image)
{
    const qint64 end =
        qint64(PortableRuntime::StageEnd(reinterpret_cast<const unsigned char *>(image.constData()),
                                         std::size_t(image.size()), std::uint64_t(image.size())));
    return end > 0 && image.mid(end, sizeof PortableRuntime::Magic) ==
                          QByteArray(PortableRuntime::Magic, sizeof PortableRuntime::Magic);
}

QString PortableProgramPath()
{
    const QDir programFolder = QFileInfo(Platform::RunningProgramPath()).dir();
    for (const QString &candidate :
         {programFolder.filePath(PortableProgramName),
          programFolder.filePath(QStringLiteral("../lib/tessalune/") + PortableProgramName)}) {
        if (QFileInfo(candidate).isFile())
            return QDir::cleanPath(candidate);
    }
    return QString();
}

QByteArray ReadPortableProgram(const QString &path)
{
    if (path.isEmpty())
        throw std::runtime_error("The part that makes puzzles portable (\"" +
                                 std::string(PortableProgramName) +
                                 "\") is not installed with this program");
    const QByteArray bytes = Platform::ReadFileWithin(path, MaxPuzzleFileSize);
    if (!IsPortableImage(bytes))
        throw std::runtime_error("\"" + Shown(path) + "\" is not a portable program part");
    return bytes;
}

#include "engine/container/PendingSave.h"

#include "engine/container/ExecutablePayload.h"
#include "engine/container/PuzzleSchema.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

namespace
{

// A file much larger than the saved puzzle cannot be an earlier state of it, and is not read.
constexpr qint64 GameGrowthAllowance = 64 << 20;

// The puzzle an image holds, without its game and without a save's target name.
QByteArray PuzzleWithoutGame(QByteArray image)
{
    RemoveSection(PuzzleSchema::SectionDocument, image);
    RemoveSection(PuzzleSchema::SectionFileName, image);
    return image;
}

// The target's bytes when it may be the saved puzzle's file; nothing when it is another file.
std::optional<QByteArray> TargetBytes(const QString &path, const QByteArray &saved)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Platform::FileError("open file", path, file.errorString());
    if (file.size() > 2 * saved.size() + GameGrowthAllowance)
        return std::nullopt;
    return file.readAll();
}

// "<name> (saved game).exe", or with a number from 2 on when that is taken.
QString FreeKeptGameName(const QString &folder, const QString &name)
{
    const QString stem =
        name.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive) ? name.chopped(4) : name;
    for (int number = 1; number <= 100; ++number) {
        const QString kept = number == 1
                                 ? stem + QStringLiteral(" (saved game).exe")
                                 : stem + QStringLiteral(" (saved game %1).exe").arg(number);
        if (!QFileInfo::exists(PathInFolder(folder, kept)))
            return kept;
    }
    throw std::runtime_error("No free name beside \"" + name.toStdString() +
                             "\" to keep its saved game under");
}

} // namespace

QString PathInFolder(const QString &folder, const QString &name)
{
    return QDir::cleanPath(folder) + QLatin1Char('/') + name;
}

std::optional<QString> HandOverTarget(const QByteArray &fileNameSection)
{
    const QString name = QFile::decodeName(fileNameSection);
    if (name.isEmpty() || name == QStringLiteral(".") || name == QStringLiteral("..") ||
        name.contains(u'/') || name.contains(u'\\') || fileNameSection.contains('\0'))
        return std::nullopt;
    return name;
}

TPendingSave FinishPendingSave(const QByteArray &handOverImage, const QString &folder,
                               QString *keptAs)
{
    const std::optional<QString> name =
        HandOverTarget(ReadSection(PuzzleSchema::SectionFileName, handOverImage));
    if (!name)
        return TPendingSave::TargetMissing;
    const QString target = PathInFolder(folder, *name);
    const QFileInfo info(target);
    if (!info.exists())
        return TPendingSave::TargetMissing;
    QByteArray saved = handOverImage;
    RemoveSection(PuzzleSchema::SectionFileName, saved);
    // Only a plain file is read: a FIFO or a device would block or never end. A folder is left
    // to the write, which refuses it by name, so that the save stays pending.
    const std::optional<QByteArray> held =
        info.isFile() ? TargetBytes(target, saved) : std::nullopt;
    if (held == saved)
        return TPendingSave::AlreadyThere;
    if (!info.isDir() && (!held || PuzzleWithoutGame(*held) != PuzzleWithoutGame(saved))) {
        const QString kept = FreeKeptGameName(folder, *name);
        Platform::WriteExecutableFile(saved, PathInFolder(folder, kept));
        if (keptAs)
            *keptAs = kept;
        return TPendingSave::KeptBeside;
    }
    Platform::WriteExecutableFile(saved, target);
    return TPendingSave::Written;
}

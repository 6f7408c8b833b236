#include "engine/container/PendingSave.h"

#include "engine/container/ExecutablePayload.h"
#include "engine/container/PuzzleSchema.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace
{

bool HoldsExactly(const QString &path, const QByteArray &image)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.size() == image.size() && file.readAll() == image;
}

} // namespace

std::optional<QString> HandOverTarget(const QByteArray &fileNameSection)
{
    const QString name = QFile::decodeName(fileNameSection);
    // A leading ":" would make Qt's file classes look among the built-in resources.
    if (name.isEmpty() || name == QStringLiteral(".") || name == QStringLiteral("..") ||
        name.startsWith(u':') || name.contains(u'/') || name.contains(u'\\') ||
        fileNameSection.contains('\0'))
        return std::nullopt;
    return name;
}

TPendingSave FinishPendingSave(const QByteArray &handOverImage, const QString &folder)
{
    const std::optional<QString> name =
        HandOverTarget(ReadSection(PuzzleSchema::SectionFileName, handOverImage));
    if (!name)
        return TPendingSave::TargetMissing;
    const QString target = QDir(folder).filePath(*name);
    if (!QFileInfo::exists(target))
        return TPendingSave::TargetMissing;
    QByteArray saved = handOverImage;
    RemoveSection(PuzzleSchema::SectionFileName, saved);
    if (HoldsExactly(target, saved))
        return TPendingSave::AlreadyThere;
    Platform::WriteExecutableFile(saved, target);
    return TPendingSave::Written;
}

#include "engine/picture/PictureRefusal.h"

#include "engine/picture/MemoryBudget.h"

namespace
{

constexpr std::int64_t MiB = 1024 * 1024;

// What is needed is rounded up and what is left down, so that the one never seems to fit the
// other when it does not.
QString MebibytesUp(std::int64_t bytes)
{
    return QString::number((bytes + MiB - 1) / MiB) + QStringLiteral(" MiB");
}

QString MebibytesDown(std::int64_t bytes)
{
    return QString::number(bytes / MiB) + QStringLiteral(" MiB");
}

} // namespace

QString RefusalMessage(const TPictureRefusal &refusal, const QString &role)
{
    switch (refusal.cause) {
    case TRefusalCause::NotFound:
        return QStringLiteral("The picture file was not found.");
    case TRefusalCause::Folder:
        return QStringLiteral("This is a folder, not a picture file.");
    case TRefusalCause::NoPermission:
        return QStringLiteral("You have no permission to read the picture file.");
    case TRefusalCause::Empty:
        return QStringLiteral("The picture file is empty.");
    case TRefusalCause::UnknownType:
        return QStringLiteral("Pictures of this type cannot be loaded: the file name must end in "
                              ".bmp, .dib, .wmf, .emf, .gif, .jpg, .jpeg, .ico, .png or .webp.");
    case TRefusalCause::WrongType:
        return QStringLiteral("The file is not the type of picture its extension says.");
    case TRefusalCause::Truncated:
        return QStringLiteral("The picture file is damaged: it ends before its pixels do.");
    case TRefusalCause::Damaged:
        return QStringLiteral("The picture file is damaged.");
    case TRefusalCause::TooManyPixels:
        return QStringLiteral("%1 is too large: it has %2 × %3 pixels, more than the limit of %4 "
                              "pixels.")
            .arg(role)
            .arg(refusal.size.width())
            .arg(refusal.size.height())
            .arg(refusal.limit);
    case TRefusalCause::OverMemoryBudget:
        return QStringLiteral("%1 is too large: loading it takes %2, and only %3 of the program's "
                              "%4 for pictures are left.")
            .arg(role, MebibytesUp(refusal.needed), MebibytesDown(refusal.limit),
                 MebibytesDown(MemoryBudget));
    }
    return QStringLiteral("The picture file is damaged.");
}

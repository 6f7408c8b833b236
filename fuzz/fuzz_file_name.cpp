// The "FILE_NAME" check of the hand-over copy: whatever a copy's payload names, the file it may
// write is a plain name inside its own folder, never the folder itself, its parent or a path.

#include "engine/container/ExecutablePayload.h"
#include "engine/container/PendingSave.h"
#include "engine/container/PuzzleSchema.h"

#include <QDir>
#include <QFileInfo>
#include <cstddef>
#include <cstdint>

namespace
{

void CheckStaysInFolder(const QByteArray &section)
{
    const std::optional<QString> name = HandOverTarget(section);
    if (!name)
        return;
    const QString folder = QStringLiteral("/folder");
    const QString target = QDir::cleanPath(PathInFolder(folder, *name));
    if (QFileInfo(target).path() != folder || target == folder)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    CheckStaysInFolder(bytes);
    CheckStaysInFolder(ReadSection(PuzzleSchema::SectionFileName, bytes));
    return 0;
}

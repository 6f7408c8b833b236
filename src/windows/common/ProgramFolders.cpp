#include "windows/common/ProgramFolders.h"

#include "platform/Platform.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace
{

bool UsableFolder(const QString &path)
{
    return QDir().mkpath(path) && QFileInfo(path).isWritable();
}

QString FolderBesideProgram(const QString &name)
{
    const QString beside = QDir::cleanPath(
        QDir(Platform::WorkingFolder()).absoluteFilePath(QStringLiteral("../") + name));
    if (UsableFolder(beside))
        return beside;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString fallback = QDir::cleanPath(documents + QStringLiteral("/Tessalune/") + name);
    UsableFolder(fallback); // a folder that cannot be made leaves the dialog to find its own
    return fallback;
}

} // namespace

QString MadePuzzlesFolder()
{
    return FolderBesideProgram(QStringLiteral("my_puzzles"));
}

QString PictureSourcesFolder()
{
    return FolderBesideProgram(QStringLiteral("g_sources"));
}

#include "app/CarriedRuntime.h"

#include "platform/Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>

#ifdef TESSALUNE_CARRIED_RUNTIME
namespace
{

QDir RuntimeFolder()
{
    return QFileInfo(Platform::RunningProgramPath()).dir();
}

} // namespace
#endif

void PrepareCarriedRuntime()
{
#ifdef TESSALUNE_CARRIED_RUNTIME
    // Only the carried plug-ins: a host's Qt plug-ins are built for another Qt.
    QCoreApplication::setLibraryPaths({RuntimeFolder().filePath(QStringLiteral("plugins"))});
#endif
}

void AddCarriedFonts()
{
#ifdef TESSALUNE_CARRIED_RUNTIME
    const QDir fonts(RuntimeFolder().filePath(QStringLiteral("fonts")));
    for (const QString &font : fonts.entryList({QStringLiteral("*.ttf")}, QDir::Files))
        QFontDatabase::addApplicationFont(fonts.filePath(font));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Arial Black"), QStringLiteral("Liberation Sans"));
#endif
}

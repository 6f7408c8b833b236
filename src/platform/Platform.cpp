#include "platform/Platform.h"

#include <QFile>

namespace Platform
{

QString RunningExecutablePath()
{
    return QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
}

} // namespace Platform

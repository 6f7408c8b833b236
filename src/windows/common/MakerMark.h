#pragma once
// Who made the program and which version it is: the mark, the version and the maker's web
// address, kept in one place for every window that shows or opens them. The version and the
// address come from the project's build description, which also writes them into --version,
// the launcher entry, the AppStream data and the package.

#include "windows/common/ProgramInfo.h"

#include <QString>

namespace MakerMark
{

inline QString Mark()
{
    return QStringLiteral("Tessalune, free jigsaw puzzle maker");
}

inline QString Version()
{
    return QStringLiteral(TESSALUNE_VERSION);
}

// The wizard's version label: the version followed by a short form of the mark.
inline QString VersionLabel()
{
    return QStringLiteral(TESSALUNE_VERSION " Tessalune");
}

inline QString WebAddress()
{
    return QStringLiteral(TESSALUNE_WEB_ADDRESS);
}

} // namespace MakerMark

#pragma once
// Who made the program: the mark shown in the About window and the maker's web address, kept
// in one place for every window that shows or opens them. The version and the address come from
// the project's build description, which also writes them into the installed launcher files.

#include "windows/common/ProgramInfo.h"

#include <QString>

namespace MakerMark
{

inline QString Mark()
{
    return QStringLiteral("Tessalune " TESSALUNE_VERSION ", free jigsaw puzzle maker");
}

inline QString WebAddress()
{
    return QStringLiteral(TESSALUNE_WEB_ADDRESS);
}

} // namespace MakerMark

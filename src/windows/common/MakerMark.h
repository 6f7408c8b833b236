#pragma once
// Who made the program: the mark shown in the About window and the maker's web address, kept
// in one place for every window that shows or opens them.

#include <QString>

namespace MakerMark
{

inline QString Mark()
{
    return QStringLiteral("Tessalune, free jigsaw puzzle maker");
}

inline QString WebAddress()
{
    return QStringLiteral("https://tessalune.example");
}

} // namespace MakerMark

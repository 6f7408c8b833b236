#pragma once
// The folders the maker offers for made puzzles and for source pictures: "../my_puzzles" and
// "../g_sources" seen from the working folder, made when missing. A program installed in a
// system folder cannot make them there, so it falls back to the same names in a "Tessalune"
// folder of the user's documents; a made puzzle started from there finds its folder again.

#include <QString>

QString MadePuzzlesFolder();
QString PictureSourcesFolder();

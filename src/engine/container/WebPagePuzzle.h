#pragma once
// A made puzzle as one self-contained web page that plays in any browser: the stored JPEG
// pictures (not re-encoded), the grid, every piece's outline as path data from the engine's own
// shaping rules, the puzzle's texts and the page's player. The page asks for nothing over the
// network; its content-security policy forbids it.

#include <QByteArray>
#include <QString>

class TJpegPicture;
struct TPuzzleGame;

// The page of the puzzle that the game and the pictures make; alternative may be null.
// Throws std::runtime_error when the puzzle could not be played (no pieces, a grid or picture
// the player refuses).
QByteArray PuzzleWebPage(const TJpegPicture &source, const TJpegPicture *alternative,
                         const TPuzzleGame &game);

// The page's file beside a puzzle file: its name with a trailing ".exe" (any letter case)
// replaced by, or else followed by, ".html".
QString WebPageFileName(const QString &puzzleFileName);

// Writes the page whole or not at all. Throws std::runtime_error.
void WritePuzzleWebPage(const QByteArray &page, const QString &fileName);

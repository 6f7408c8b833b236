#pragma once
// Which stored desktop positions a game restores: the rule the player applies to every piece
// when a game starts, kept here so that it can be checked without a window.

#include <QPoint>
#include <optional>

struct TPiece;

// The largest size of a window area (Qt's widget size limit); the desktop cannot reach beyond.
inline constexpr int MaxDesktopCoordinate = (1 << 24) - 1;

// The piece's position when a piece of this size placed there lies within -MaxDesktopCoordinate
// ... MaxDesktopCoordinate; nothing otherwise, and the piece then waits on the palette.
std::optional<QPoint> StoredPosition(const TPiece &piece, int pieceWidth, int pieceHeight);

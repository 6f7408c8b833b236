#pragma once
// Playing real puzzles in the play window from a test: a photo-like picture of our own, a
// document made as the maker makes it, and a driver that acts inside the game's modal loop once
// the game and its tools window show, then ends the game.

#include "support/TestPuzzles.h"

#include <QPoint>
#include <functional>
#include <memory>

class TJigsawPlayWindow;
class TPuzzleDesktop;
class TPieceImage;

// What a driver reports once the game has ended.
struct TDriverResult {
    bool ran = false;      // the action ran while the game and its tools window were shown
    bool timedOut = false; // the game had to be closed by the time limit
};

// Runs action inside the game's modal loop as soon as window and the tools window are shown,
// then ends the game with endGame (default: closing the window). Should the game not end within
// the time limit, the window is closed anyway. Call before RunGame or RunPlayerMode.
std::shared_ptr<TDriverResult> DriveGame(TJigsawPlayWindow &window, std::function<void()> action,
                                         std::function<void()> endGame = {});

// Drags a piece by the middle of its body until its top-left corner lies at the desktop point.
void DragPiece(TPuzzleDesktop &desktop, TPieceImage *image, QPoint desktopTarget);
// Where the solved puzzle's top-left piece goes: the first cell corner right of the palette.
QPoint SolvedOrigin(const TJigsawPlayWindow &window);
// Drags every piece from the palette to its solved place, one after another, as a player would.
void SolveByDragging(TJigsawPlayWindow &window);

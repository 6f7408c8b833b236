#pragma once
// What a puzzle must pass before it is played or cut, and before the maker writes it: a
// document with pieces, a grid that can be cut from the picture, and a cut that fits the
// memory budget. All are checked before the picture is decoded, so a puzzle that fails takes no
// memory for it.

#include "engine/jigsaw/PieceGeometry.h"

#include <cstdint>
#include <stdexcept>

class TJpegPicture;
class TPuzzleDocument;
struct TPuzzleGame;

// A puzzle that cannot be played; the message says why, for the user.
class EPuzzleRefused : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Throws EPuzzleRefused when the document is empty (none stored, or text that held no element)
// or its game has no pieces.
void RequirePieceRecords(const TPuzzleDocument &document);

// Bytes a game holds beside its decoded pictures and pieces for as long as it is played:
// fileBytes, the files it keeps in memory (the puzzle file's image, a picture's compressed data),
// and the document, counted at 1 KiB a node (a record takes about 0.8 KiB). Every check below
// counts them first, so that one budget covers everything a game holds.
std::int64_t GameHeldBytes(std::int64_t fileBytes, const TPuzzleDocument &document);

// GameHeldBytes of the game this process plays: the puzzle file's image, which it keeps to save
// back into, and the picture's own copy of its data.
std::int64_t PlayedGameHeldBytes(const TJpegPicture &source, const TPuzzleDocument &document);

// Bytes a cut takes at its peak: the decoded 24-bit picture, the decoder's own buffers (see
// TJpegPicture::DecoderBufferBytes), the 24-bit work bitmap and a 32-bit display image for every
// cell of the grid, each bitmap with rows padded to 4 bytes as QImage pads them.
std::int64_t CutMemoryNeed(int pictureWidth, int pictureHeight, std::int64_t decoderBufferBytes,
                           const TPuzzleGrid &grid, const TPieceGeometry &geometry);

// Bytes the pieces of a cut game hold for as long as it is played: a 32-bit display image for
// every cell of the grid.
std::int64_t HeldPiecesBytes(const TPuzzleGrid &grid, const TPieceGeometry &geometry);

// Bytes showing the solved puzzle takes beside the pieces: the puzzle's picture and the
// alternative picture decoded (24-bit, with their decoders' buffers) and a 32-bit copy of each
// for the screen.
std::int64_t SolvedDisplayNeed(int sourceWidth, int sourceHeight, std::int64_t sourceDecoderBytes,
                               int alternativeWidth, int alternativeHeight,
                               std::int64_t alternativeDecoderBytes);

// Throws EPuzzleRefused, naming the alternative picture, when showing it once the puzzle is
// solved needs more than MemoryBudget together with the pieces and heldBytes (GameHeldBytes).
// Reads only the pictures' headers.
void RequireSolvedDisplayWithinBudget(const TJpegPicture &source, const TJpegPicture &alternative,
                                      const TPuzzleGame &game, std::int64_t heldBytes);

// The pieces' geometry for the grid on a picture of this size; throws EPuzzleRefused when the
// picture has no area or the grid cannot be cut from it.
TPieceGeometry RequireCuttableGrid(int pictureWidth, int pictureHeight, int cols, int rows);

// Throws EPuzzleRefused when what the game holds (heldBytes, GameHeldBytes), or that and cutting
// a picture of this size on the game's grid, needs more than MemoryBudget. A grid that
// cannot be cut from the picture is left to RequireCuttableGrid.
void RequireCutWithinBudget(int pictureWidth, int pictureHeight, std::int64_t decoderBufferBytes,
                            const TPuzzleGame &game, std::int64_t heldBytes);

// Every check above, in that order: what the player would refuse, the maker refuses to write.
void RequirePlayablePuzzle(const TJpegPicture &picture, const TPuzzleDocument &document,
                           std::int64_t heldBytes);

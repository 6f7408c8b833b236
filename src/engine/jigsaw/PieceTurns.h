#pragma once
// Turned pieces: a puzzle may let its pieces lie in quarter turns, kept in each record's TURN.
// A piece turns about the centre of its upright image, so its stored position (the top-left of
// the upright image) means the same turned or not. Only upright pieces join (see Joining.h).

#include <QImage>
#include <QPoint>
#include <QSize>

class TKeyedNode;
class TRandomGenerator;

// The node holding the piece records: PIECES, or TURNED_PIECES in a puzzle with turned pieces.
// Null when there is neither.
const TKeyedNode *PiecesNodeOf(const TKeyedNode &document);
TKeyedNode *PiecesNodeOf(TKeyedNode &document);
bool HasTurnedPieces(const TKeyedNode &document);

// Quarter turns clockwise, 0 to 3; 0 when TURN is absent or not one of those.
int TurnOf(const TKeyedNode &record);
bool IsUpright(const TKeyedNode &record);
// Stores the turn, taken modulo 4.
void SetTurn(TKeyedNode &record, int quarterTurns);
// A random turn for every record of pieces, drawn in order.
void DrawTurns(TKeyedNode &pieces, TRandomGenerator &random);

// The image turned quarterTurns clockwise: its pixels moved exactly, none resampled.
QImage TurnedImage(const QImage &image, int quarterTurns);
// Where a point shown on a piece turned quarterTurns clockwise about the centre of its upright
// image of uprightSize lies on the upright image; both relative to the upright top-left.
QPoint UprightPoint(QPoint shown, QSize uprightSize, int quarterTurns);
// The top-left of the turned image when the upright one lies at the origin.
QPoint TurnedImageOffset(QSize uprightSize, int quarterTurns);

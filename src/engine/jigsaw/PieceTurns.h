#pragma once
// Turned pieces: a puzzle may let its pieces lie in quarter turns, kept in each piece's turn.
// A piece turns about the centre of its upright image, so its stored position (the top-left of
// the upright image) means the same turned or not. Only upright pieces join (see Joining.h).

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <vector>

struct TPiece;
class TRandomGenerator;

// Quarter turns taken modulo 4, 0 to 3.
int NormalisedTurn(int quarterTurns);
// A random turn for every piece, drawn in order.
void DrawTurns(std::vector<TPiece> &pieces, TRandomGenerator &random);

// The image turned quarterTurns clockwise: its pixels moved exactly, none resampled.
QImage TurnedImage(const QImage &image, int quarterTurns);
// Where a point shown on a piece turned quarterTurns clockwise about the centre of its upright
// image of uprightSize lies on the upright image; both relative to the upright top-left.
QPoint UprightPoint(QPoint shown, QSize uprightSize, int quarterTurns);
// The top-left of the turned image when the upright one lies at the origin.
QPoint TurnedImageOffset(QSize uprightSize, int quarterTurns);
// Where a part of an upright image of uprightSize lies once the image is turned quarterTurns
// clockwise, relative to the turned image's top-left.
QRect TurnedRect(const QRect &part, QSize uprightSize, int quarterTurns);

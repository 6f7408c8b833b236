#pragma once
// The look shared by the application's windows: the fonts they were laid out in, their colours,
// placing a window in the middle of the screen, and a label placed like a fixed-position caption.

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QString>

class QLabel;
class QWidget;

namespace WindowLook
{

inline const QColor Dark{0, 64, 128};
inline const QColor Medium{0, 128, 192};
inline const QColor Bright{0, 128, 255};
inline const QColor Pale{221, 221, 221};

// The windows are laid out in Arial pixel sizes; Liberation Sans has the same metrics.
QFont ArialFont(int pixelSize, bool bold = false, bool italic = false);
// "Arial Black", or a heavy Arial-metric face where it is missing.
QFont ArialBlackFont(int pixelSize, bool bold = false);
// The classic dialog face ("MS Sans Serif"), falling back to an Arial-metric sans serif.
QFont DialogFont(int pixelSize = 11);

// Fills the widget's background with colour.
void SetBackground(QWidget *widget, const QColor &colour);
// Sets the text colour of a widget.
void SetTextColour(QWidget *widget, const QColor &colour);

// A transparent picture for the program's own drawings: size in window pixels, made with
// pixelRatio device pixels to each (the screen's devicePixelRatio), so that drawing on it in
// window coordinates is sharp on a high-resolution screen rather than enlarged.
QImage TransparentCanvas(QSize size, qreal pixelRatio);

// The program's icon at every size the launcher has, for every window's title bar.
QIcon ProgramIcon();

// A picture among the program's resources, read by the decoder its name's ending names. Left to
// find the type itself, Qt loads every image plug-in it has (and their libraries) to ask each.
QImage ResourceImage(const QString &path);

// Moves a window so that a client area of its fixed size sits in the middle of its screen.
void CentreOnScreen(QWidget *window);

// How much a fixed-size window must grow for its word-wrapped label, laid out at labelSize, to
// show its text whole: wider up to the text's longest line (within a readable width), then as
// high as the wrapped text, all within the label's screen, where surround is the rest of the
// window around the label. Nothing for a text that fits.
QSize GrowthToShowText(const QLabel &label, QSize labelSize, QSize surround);

// A label at x, y that takes the size of its text, as captions do; transparent unless a
// background is set on it.
QLabel *MakeLabel(QWidget *parent, int x, int y, const QString &text, const QFont &font,
                  const QColor &colour);
// Sets a label's text and resizes it to fit, keeping its place.
void SetLabelText(QLabel *label, const QString &text);

// The start of a text taken from a puzzle (its name, author or website) as a window title or
// label shows it: a text of megabytes freezes the desktop, and X11 refuses such a title.
QString ShownPuzzleText(const QString &text);

} // namespace WindowLook

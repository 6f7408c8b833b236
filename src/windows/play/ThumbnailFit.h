#pragma once
// Where the tools window shows the puzzle's thumbnail inside its picture panel.

#include <QRect>
#include <QSize>

// The thumbnail's bounds in panel coordinates: a box 5 pixels inside each panel edge, shrunk on
// one axis to the picture's aspect ratio (sizes truncated), centred in the panel. A box that
// is relatively taller than the picture keeps its width; otherwise it keeps its height. Null
// for an empty picture; a panel smaller than the margins gives an empty size.
QRect FitThumbnailBounds(QSize panel, QSize picture);

#pragma once
// The desktop's colours: document colours (TColor, red in the lowest byte) as Qt colours and
// back, and the colour the desktop has when no background was chosen.

#include "engine/container/DocumentValues.h"

#include <QColor>

// The highest byte of the colour is ignored.
QColor ToQColor(TColor colour);
TColor FromQColor(const QColor &colour);

// The system's application-workspace colour: Qt paints its own workspace (the MDI area) in the
// application palette's dark shade.
TColor WorkspaceColour();

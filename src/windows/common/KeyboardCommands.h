#pragma once
// Keyboard helpers shared by the windows whose commands are flat tool buttons, which Qt clicks
// with Space only; and the file a drag from a file manager carries.

#include <QString>

class QKeyEvent;
class QMimeData;

// Enter or Return on a focused command button (not a check box or radio button) clicks it;
// true when the key was used.
bool ClickFocusedCommand(QKeyEvent *event);
// The one local file a drop carries, or empty (several files, a web address, text).
QString DroppedFile(const QMimeData *data);

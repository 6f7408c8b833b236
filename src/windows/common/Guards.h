#pragma once
// How failures end an action of a window: shown in the program's standard error box, or ended
// silently where a sequence must not bother the user (the start modes).

#include <functional>

class QWidget;

// Runs action; a failure ends it and is shown in the program's standard error box (the
// failure's message under the program's name). False after a failure.
bool RunShowingFailure(QWidget *owner, const std::function<void()> &action);

// Runs action; a failure ends it without any message. False after a failure.
bool RunSilently(const std::function<void()> &action);

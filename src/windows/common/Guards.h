#pragma once
// How failures end an action of a window: shown in the program's standard error box, or ended
// silently where a sequence must not bother the user (the start modes); and the busy cursor
// that long work shows until it ends, however it ends.

#include <functional>

class QWidget;

// Runs action; a failure ends it and is shown in the program's standard error box (the
// failure's message under the program's name). False after a failure.
bool RunShowingFailure(QWidget *owner, const std::function<void()> &action);

// Runs action; a failure ends it without any message. False after a failure.
bool RunSilently(const std::function<void()> &action);

// Shows the busy cursor for as long as it exists: the cursor before it comes back however the
// work ends.
class TBusyCursor
{
public:
    TBusyCursor();
    ~TBusyCursor();
    TBusyCursor(const TBusyCursor &) = delete;
    TBusyCursor &operator=(const TBusyCursor &) = delete;
};

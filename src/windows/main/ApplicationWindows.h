#pragma once
// Creates the program's single windows in their fixed order and publishes them under their
// names (see WindowInstances.h) for as long as the application's windows exist.

#include "windows/common/WindowInstances.h"

#include <memory>

class TFmain;

extern TFmain *Fmain;

// Creates the windows in order, the main window first, and shows the main window; its closing
// ends the program. The windows are destroyed in reverse order when this object goes, each name
// cleared before its window goes.
class TApplicationWindows
{
public:
    TApplicationWindows();
    ~TApplicationWindows();
    TApplicationWindows(const TApplicationWindows &) = delete;
    TApplicationWindows &operator=(const TApplicationWindows &) = delete;

private:
    template <typename TWindow> struct TOwnedWindow {
        explicit TOwnedWindow(TWindow *&name);
        std::unique_ptr<TWindow> window;
        TPublishedAs<TWindow> published;
    };

    // Declared in creation order: members go in reverse.
    TOwnedWindow<TFmain> mainWindow;
    TPublishedAs<TMainState> mainState;
    TOwnedWindow<TD_scale_image> scaleDialog;
    TOwnedWindow<TDmsg> messageWindow;
    TOwnedWindow<TFsure> confirmationWindow;
    TOwnedWindow<TD_puzzle_js> playWindow;
    TOwnedWindow<TD_puzzle_props> propertiesDialog;
    TOwnedWindow<TFabout> aboutWindow;
};

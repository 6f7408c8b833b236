#pragma once
// Creates the program's single windows in their fixed order and publishes them under their
// names (see WindowInstances.h) for as long as the application's windows exist.

#include "windows/common/WindowInstances.h"

#include <memory>

class TFmain;

extern TFmain *Fmain;

// Creates the windows in order, the main window first, and shows the main window; its closing
// ends the program. The windows are destroyed in reverse order when this object goes, and the
// names are cleared.
class TApplicationWindows
{
public:
    TApplicationWindows();
    ~TApplicationWindows();
    TApplicationWindows(const TApplicationWindows &) = delete;
    TApplicationWindows &operator=(const TApplicationWindows &) = delete;

private:
    std::unique_ptr<TFmain> mainWindow;
    std::unique_ptr<TD_scale_image> scaleDialog;
    std::unique_ptr<TDmsg> messageWindow;
    std::unique_ptr<TFsure> confirmationWindow;
    std::unique_ptr<TD_puzzle_js> playWindow;
    std::unique_ptr<TD_puzzle_props> propertiesDialog;
    std::unique_ptr<TFabout> aboutWindow;
};

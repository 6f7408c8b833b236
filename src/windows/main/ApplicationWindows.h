#pragma once
// The program's single window instances, created in their fixed order and reachable
// program-wide under their names for as long as the application's windows exist.

#include <memory>

class TD_backgrounds;
class TD_puzzle_js;
class TDmsg;
class TF_tools;
class TFabout;
class TFmain;
class TFsure;

extern TFmain *Fmain;
extern TDmsg *Dmsg;
extern TFsure *Fsure;
extern TD_puzzle_js *D_puzzle_js;
extern TFabout *Fabout;
// Created later: the backgrounds dialog by player mode, the tools window by the play window.
extern TD_backgrounds *D_backgrounds;
extern TF_tools *F_tools;

// Creates the windows in order, the main window first, and shows the main window; its closing
// ends the program. The windows are destroyed in reverse order when this object goes, and the
// names above are cleared.
class TApplicationWindows
{
public:
    TApplicationWindows();
    ~TApplicationWindows();
    TApplicationWindows(const TApplicationWindows &) = delete;
    TApplicationWindows &operator=(const TApplicationWindows &) = delete;

private:
    std::unique_ptr<TFmain> mainWindow;
    std::unique_ptr<TDmsg> messageWindow;
    std::unique_ptr<TFsure> confirmationWindow;
    std::unique_ptr<TD_puzzle_js> playWindow;
    std::unique_ptr<TFabout> aboutWindow;
};

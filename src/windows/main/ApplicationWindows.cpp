#include "windows/main/ApplicationWindows.h"

#include "windows/common/AboutWindow.h"
#include "windows/common/ConfirmationWindow.h"
#include "windows/common/MessageWindow.h"
#include "windows/main/MainWindow.h"
#include "windows/maker/PropertiesDialog.h"
#include "windows/maker/ScaleDialog.h"
#include "windows/play/JigsawPlayWindow.h"

TFmain *Fmain = nullptr;
TDmsg *Dmsg = nullptr;
TFsure *Fsure = nullptr;
TFabout *Fabout = nullptr;
TD_scale_image *D_scale_image = nullptr;
TD_puzzle_js *D_puzzle_js = nullptr;
TD_puzzle_props *D_puzzle_props = nullptr;
TD_backgrounds *D_backgrounds = nullptr;
TF_tools *F_tools = nullptr;
TMainState *MainState = nullptr;

template <typename TWindow>
TApplicationWindows::TOwnedWindow<TWindow>::TOwnedWindow(TWindow *&name)
    : window(std::make_unique<TWindow>()), published(name, window.get())
{
}

// Only the main window's closing ends the program; the others are closed and reused.
TApplicationWindows::TApplicationWindows()
    : mainWindow(Fmain), mainState(MainState, Fmain), scaleDialog(D_scale_image),
      messageWindow(Dmsg), confirmationWindow(Fsure), playWindow(D_puzzle_js),
      propertiesDialog(D_puzzle_props), aboutWindow(Fabout)
{
    Fmain->show();
}

TApplicationWindows::~TApplicationWindows() = default;

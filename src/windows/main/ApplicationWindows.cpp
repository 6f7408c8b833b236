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

namespace
{

// Publishes a new window under its program-wide name and keeps it.
template <typename TWindow> void Create(std::unique_ptr<TWindow> &owner, TWindow *&name)
{
    owner = std::make_unique<TWindow>();
    name = owner.get();
}

} // namespace

TApplicationWindows::TApplicationWindows()
{
    // Only the main window's closing ends the program; the others are closed and reused.
    Create(mainWindow, Fmain);
    MainState = Fmain;
    Create(scaleDialog, D_scale_image);
    Create(messageWindow, Dmsg);
    Create(confirmationWindow, Fsure);
    Create(playWindow, D_puzzle_js);
    Create(propertiesDialog, D_puzzle_props);
    Create(aboutWindow, Fabout);
    Fmain->show();
}

TApplicationWindows::~TApplicationWindows()
{
    Fabout = nullptr;
    aboutWindow.reset();
    D_puzzle_props = nullptr;
    propertiesDialog.reset();
    D_puzzle_js = nullptr;
    playWindow.reset();
    Fsure = nullptr;
    confirmationWindow.reset();
    Dmsg = nullptr;
    messageWindow.reset();
    D_scale_image = nullptr;
    scaleDialog.reset();
    MainState = nullptr;
    Fmain = nullptr;
    mainWindow.reset();
}

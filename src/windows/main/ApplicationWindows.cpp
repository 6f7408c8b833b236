#include "windows/main/ApplicationWindows.h"

#include "windows/main/AboutWindow.h"
#include "windows/main/MainWindow.h"
#include "windows/common/MessageWindow.h"
#include "windows/common/ConfirmationWindow.h"
#include "windows/play/JigsawPlayWindow.h"

TFmain *Fmain = nullptr;
TDmsg *Dmsg = nullptr;
TFsure *Fsure = nullptr;
TD_puzzle_js *D_puzzle_js = nullptr;
TFabout *Fabout = nullptr;
TD_backgrounds *D_backgrounds = nullptr;
TF_tools *F_tools = nullptr;

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
    Create(messageWindow, Dmsg);
    Create(confirmationWindow, Fsure);
    Create(playWindow, D_puzzle_js);
    Create(aboutWindow, Fabout);
    Fmain->show();
}

TApplicationWindows::~TApplicationWindows()
{
    Fabout = nullptr;
    aboutWindow.reset();
    D_puzzle_js = nullptr;
    playWindow.reset();
    Fsure = nullptr;
    confirmationWindow.reset();
    Dmsg = nullptr;
    messageWindow.reset();
    Fmain = nullptr;
    mainWindow.reset();
}

#include "app/ApplicationStart.h"

#include "app/about.h"
#include "app/main.h"
#include "app/msg.h"
#include "app/sure.h"

TFmain *Fmain = nullptr;
TDmsg *Dmsg = nullptr;
TFsure *Fsure = nullptr;
TFabout *Fabout = nullptr;

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
    Create(aboutWindow, Fabout);
    Fmain->show();
}

TApplicationWindows::~TApplicationWindows()
{
    Fabout = nullptr;
    aboutWindow.reset();
    Fsure = nullptr;
    confirmationWindow.reset();
    Dmsg = nullptr;
    messageWindow.reset();
    Fmain = nullptr;
    mainWindow.reset();
}

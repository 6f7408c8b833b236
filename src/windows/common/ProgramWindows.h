#pragma once
// The program's single windows, handed out by their one owner: the application's window
// creation (ApplicationWindows.h) publishes each for as long as it exists, and the play window
// and player mode publish the tools window and the backgrounds dialog they make. Every window
// reaches the others only through here; each slot is null while its window does not exist
// (tests publish only the windows they make).

class TAboutWindow;
class TBackgroundsDialog;
class TConfirmationWindow;
class TJigsawPlayWindow;
class TMainWindow;
class TMessageWindow;
class TPropertiesDialog;
class TScaleDialog;
class TToolsWindow;
struct TMainState;

struct TProgramWindows {
    TMainWindow *mainWindow = nullptr;
    // The main window's puzzle state, which the maker's windows read and write.
    TMainState *mainState = nullptr;
    TMessageWindow *messageWindow = nullptr;
    TConfirmationWindow *confirmationWindow = nullptr;
    TAboutWindow *aboutWindow = nullptr;
    TScaleDialog *scaleDialog = nullptr;
    TJigsawPlayWindow *playWindow = nullptr;
    TPropertiesDialog *propertiesDialog = nullptr;
    // Made later than the others: the backgrounds dialog by player mode, the tools window by
    // the play window.
    TBackgroundsDialog *backgroundsDialog = nullptr;
    TToolsWindow *toolsWindow = nullptr;
};

// The one set of published windows.
TProgramWindows &ProgramWindows();

// Publishes a window in its slot of ProgramWindows() for as long as this lives, and empties the
// slot when it goes, so that nothing reaches a window that no longer exists.
template <typename T> class TPublishedAs
{
public:
    TPublishedAs(T *&slot, T *window) : m_slot(slot) { slot = window; }
    ~TPublishedAs() { m_slot = nullptr; }
    TPublishedAs(const TPublishedAs &) = delete;
    TPublishedAs &operator=(const TPublishedAs &) = delete;

private:
    T *&m_slot;
};

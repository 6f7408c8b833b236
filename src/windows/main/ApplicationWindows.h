#pragma once
// Creates the program's single windows in their fixed order and publishes them under their
// slots of ProgramWindows() for as long as the application's windows exist.

#include "windows/common/ProgramWindows.h"

#include <memory>

class TMainWindow;

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
    TOwnedWindow<TMainWindow> m_mainWindow;
    TPublishedAs<TMainState> m_mainState;
    TOwnedWindow<TScaleDialog> m_scaleDialog;
    TOwnedWindow<TMessageWindow> m_messageWindow;
    TOwnedWindow<TConfirmationWindow> m_confirmationWindow;
    TOwnedWindow<TJigsawPlayWindow> m_playWindow;
    TOwnedWindow<TPropertiesDialog> m_propertiesDialog;
    TOwnedWindow<TAboutWindow> m_aboutWindow;
};

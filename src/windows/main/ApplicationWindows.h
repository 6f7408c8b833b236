#pragma once
// Owns the program's single windows: makes the main window and shows it, and makes every other
// window the first time something asks for it (see ProgramWindows.h), so that a start pays only
// for the windows it shows.
#include "windows/common/ProgramWindows.h"

#include <memory>

class TFocusRing;
class TMainWindow;

// The main window's closing ends the program. The windows are destroyed in reverse order of
// the members below when this object goes, each slot emptied before its window goes.
class TApplicationWindows
{
public:
    TApplicationWindows();
    ~TApplicationWindows();
    TApplicationWindows(const TApplicationWindows &) = delete;
    TApplicationWindows &operator=(const TApplicationWindows &) = delete;

private:
    // A window of the slot's type, made by the slot's maker on first use and owned here.
    template <typename TWindow> class TOwnedWindow
    {
    public:
        explicit TOwnedWindow(TWindowSlot<TWindow> &slot);
        ~TOwnedWindow() { m_slot.Clear(); }
        TOwnedWindow(const TOwnedWindow &) = delete;
        TOwnedWindow &operator=(const TOwnedWindow &) = delete;

    private:
        TWindowSlot<TWindow> &m_slot;
        std::unique_ptr<TWindow> m_window;
    };

    TOwnedWindow<TMainWindow> m_mainWindow;
    TPublishedAs<TMainState> m_mainState;
    TOwnedWindow<TScaleDialog> m_scaleDialog;
    TOwnedWindow<TMessageWindow> m_messageWindow;
    TOwnedWindow<TConfirmationWindow> m_confirmationWindow;
    TOwnedWindow<TJigsawPlayWindow> m_playWindow;
    TOwnedWindow<TPropertiesDialog> m_propertiesDialog;
    TOwnedWindow<TAboutWindow> m_aboutWindow;
    std::unique_ptr<TFocusRing> m_focusRing;
};

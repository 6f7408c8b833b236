#pragma once
// Owns the program's sessions and single windows: makes the maker and player sessions, makes
// the main window on them and shows it, and makes every other window the first time something
// asks for it (see ProgramWindows.h), so that a start pays only for the windows it shows.
#include "windows/common/MakerSession.h"
#include "windows/common/PlayerSession.h"
#include "windows/common/ProgramWindows.h"

#include <functional>
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
        // make, when given, makes the window; otherwise it is made without arguments.
        explicit TOwnedWindow(TWindowSlot<TWindow> &slot,
                              std::function<std::unique_ptr<TWindow>()> make = {});
        ~TOwnedWindow() { m_slot.Clear(); }
        TOwnedWindow(const TOwnedWindow &) = delete;
        TOwnedWindow &operator=(const TOwnedWindow &) = delete;

    private:
        TWindowSlot<TWindow> &m_slot;
        std::unique_ptr<TWindow> m_window;
    };

    // Declared first: the windows that work on them go before them.
    TMakerSession m_makerSession;
    TPlayerSession m_playerSession;
    TOwnedWindow<TMainWindow> m_mainWindow;
    TOwnedWindow<TScaleDialog> m_scaleDialog;
    TOwnedWindow<TMessageWindow> m_messageWindow;
    TOwnedWindow<TConfirmationWindow> m_confirmationWindow;
    TOwnedWindow<TJigsawPlayWindow> m_playWindow;
    TOwnedWindow<TPropertiesDialog> m_propertiesDialog;
    TOwnedWindow<TAboutWindow> m_aboutWindow;
    std::unique_ptr<TFocusRing> m_focusRing;
};

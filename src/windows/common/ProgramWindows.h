#pragma once
// The program's single windows, handed out by their one owner: the application's window
// creation (ApplicationWindows.h) gives each slot a maker, so that a window is made the first
// time something asks for it, and owns what it made; the play window and player mode publish
// the tools window and the backgrounds dialog they make. Every window reaches the others only
// through here (tests publish only the windows they make).

#include <cstddef>
#include <functional>
#include <utility>

class TAboutWindow;
class TBackgroundsDialog;
class TConfirmationWindow;
class TJigsawPlayWindow;
class TMainWindow;
class TMessageWindow;
class TPropertiesDialog;
class TScaleDialog;
class TToolsWindow;

// One program window's place: the window published there, or the maker that makes it the first
// time it is asked for.
template <typename T> class TWindowSlot
{
public:
    // The window, made now when it is not there yet and the slot has a maker; null otherwise.
    T *Get()
    {
        if (m_window == nullptr && m_make)
            m_window = m_make();
        return m_window;
    }
    T *operator->() { return Get(); }
    T &operator*() { return *Get(); }
    // Whether asking gives a window: it is there or can be made.
    explicit operator bool() const { return m_window != nullptr || static_cast<bool>(m_make); }
    bool operator==(std::nullptr_t) const { return !static_cast<bool>(*this); }
    // The window if it is there now, without making it.
    T *Existing() const { return m_window; }

    void Publish(T *window) { m_window = window; }
    void SetMaker(std::function<T *()> make) { m_make = std::move(make); }
    // Empties the slot: no window, no maker.
    void Clear()
    {
        m_window = nullptr;
        m_make = nullptr;
    }

private:
    T *m_window = nullptr;
    std::function<T *()> m_make;
};

struct TProgramWindows {
    TWindowSlot<TMainWindow> mainWindow;
    TWindowSlot<TMessageWindow> messageWindow;
    TWindowSlot<TConfirmationWindow> confirmationWindow;
    TWindowSlot<TAboutWindow> aboutWindow;
    TWindowSlot<TScaleDialog> scaleDialog;
    TWindowSlot<TJigsawPlayWindow> playWindow;
    TWindowSlot<TPropertiesDialog> propertiesDialog;
    // Published by their makers: the backgrounds dialog by player mode, the tools window by the
    // play window.
    TWindowSlot<TBackgroundsDialog> backgroundsDialog;
    TWindowSlot<TToolsWindow> toolsWindow;
};

// The one set of published windows.
TProgramWindows &ProgramWindows();

// Publishes a window in its slot of ProgramWindows() for as long as this lives, and empties the
// slot when it goes, so that nothing reaches a window that no longer exists.
template <typename T> class TPublishedAs
{
public:
    TPublishedAs(TWindowSlot<T> &slot, T *window) : m_slot(slot) { slot.Publish(window); }
    ~TPublishedAs() { m_slot.Publish(nullptr); }
    TPublishedAs(const TPublishedAs &) = delete;
    TPublishedAs &operator=(const TPublishedAs &) = delete;

private:
    TWindowSlot<T> &m_slot;
};

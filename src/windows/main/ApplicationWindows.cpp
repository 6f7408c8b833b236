#include "windows/main/ApplicationWindows.h"

#include "windows/common/AboutWindow.h"
#include "windows/common/ConfirmationWindow.h"
#include "windows/common/FocusRing.h"
#include "windows/common/MessageWindow.h"
#include "windows/common/WindowLook.h"
#include "windows/main/MainWindow.h"
#include "windows/maker/PropertiesDialog.h"
#include "windows/maker/ScaleDialog.h"
#include "windows/play/JigsawPlayWindow.h"

#include <QApplication>
#include <type_traits>

template <typename TWindow>
TApplicationWindows::TOwnedWindow<TWindow>::TOwnedWindow(
    TWindowSlot<TWindow> &slot, std::function<std::unique_ptr<TWindow>()> make)
    : m_slot(slot)
{
    slot.SetMaker([this, make = std::move(make)] {
        if constexpr (std::is_default_constructible_v<TWindow>)
            m_window = make ? make() : std::make_unique<TWindow>();
        else
            m_window = make();
        return m_window.get();
    });
}

// Only the main window's closing ends the program; the others are closed and reused.
TApplicationWindows::TApplicationWindows()
    : m_mainWindow(
          ProgramWindows().mainWindow,
          [this] { return std::make_unique<TMainWindow>(m_makerSession, m_playerSession); }),
      m_scaleDialog(ProgramWindows().scaleDialog), m_messageWindow(ProgramWindows().messageWindow),
      m_confirmationWindow(ProgramWindows().confirmationWindow),
      m_playWindow(ProgramWindows().playWindow),
      m_propertiesDialog(ProgramWindows().propertiesDialog),
      m_aboutWindow(ProgramWindows().aboutWindow)
{
    // Every window, the ones made later included, shows the program's icon.
    QApplication::setWindowIcon(WindowLook::ProgramIcon());
    m_focusRing = std::make_unique<TFocusRing>();
    ProgramWindows().mainWindow->show();
}

TApplicationWindows::~TApplicationWindows() = default;

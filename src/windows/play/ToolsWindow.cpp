#include "windows/play/ToolsWindow.h"

#include "engine/container/ExecutablePayload.h"
#include "engine/container/PuzzleFile.h"
#include "engine/jigsaw/PaletteOrder.h"
#include "engine/jigsaw/PlayProgress.h"
#include "engine/jigsaw/PuzzleGame.h"
#include "windows/common/AboutWindow.h"
#include "windows/common/ConfirmationWindow.h"
#include "windows/common/Guards.h"
#include "windows/common/MessageWindow.h"
#include "windows/common/ProgramWindows.h"
#include "windows/common/UserSettings.h"
#include "windows/common/WindowLook.h"
#include "windows/desktop/PuzzleDesktop.h"
#include "windows/play/BackgroundsDialog.h"
#include "windows/play/SortOrderBox.h"
#include "windows/play/ThumbnailFit.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QScreen>
#include <QShortcut>
#include <QStackedWidget>
#include <QToolButton>
#include <algorithm>

namespace
{

// The designed place of the window, kept until the play window restores a stored one.
const QRect DesignedGeometry(361, 84, TToolsWindow::DefaultWidth, TToolsWindow::DefaultHeight);
constexpr int CommandColumnWidth = 119;
constexpr int PageBorder = 4;

// Keeps the tools window out of the way of whatever a command opens, until the command ends
// (also when it fails). It is minimised and also hidden, so that a window that stays on top
// can never cover the command's dialogs, even where nothing iconifies it.
class TMinimisedDuringCommand
{
public:
    explicit TMinimisedDuringCommand(QWidget *window) : m_window(window)
    {
        window->hide();
        window->setWindowState(window->windowState() | Qt::WindowMinimized);
    }
    ~TMinimisedDuringCommand()
    {
        if (m_restore)
            m_window->showNormal();
    }
    TMinimisedDuringCommand(const TMinimisedDuringCommand &) = delete;
    TMinimisedDuringCommand &operator=(const TMinimisedDuringCommand &) = delete;

    // The command ended the window's use: it stays minimised.
    void KeepMinimised() { m_restore = false; }

private:
    QWidget *m_window;
    bool m_restore = true;
};

// Every key of the game, for the Keys command.
QString PlayKeysText()
{
    return TToolsWindow::tr(
        "P: take a piece from the palette; N: take the next piece on the desktop.\n"
        "Arrow keys: move the piece a cell; Enter or Space: drop it.\n"
        "R, the right button or Shift+wheel down over a piece: turn it clockwise;\n"
        "Shift+wheel up: turn it back (in puzzles with turned pieces).\n"
        "Ctrl+Z: undo; Ctrl+Shift+Z or Ctrl+Y: redo.\n"
        "Ctrl+wheel, Ctrl++ and Ctrl+-: zoom; Ctrl+0: fit the desktop.\n"
        "Ctrl+click or a band drawn on the empty desktop: select pieces to move together.\n"
        "Shift+drag: take one piece out of its joined group.\n"
        "Ctrl+E: edge pieces only; Ctrl+L: find lost pieces.\n"
        "Wheel over the palette, Page Up, Page Down, Home, End: browse the palette.\n"
        "Ctrl+Shift+L: lay out all palette pieces.\n"
        "F11: full screen; Tab: next control.");
}

// Odd orders ("... M") put tabs first, even ones (holes first, or "None") ascend.
int SortDirectionOfOrder(int order)
{
    return order % 2 == 1 ? -1 : 1;
}

// A text of the game, as its maker typed it.
QString GameText(const TPuzzleGame *game, QByteArray TPuzzleGame::*text)
{
    return game ? QString::fromUtf8(game->*text) : QString();
}

} // namespace

TToolsWindow::TToolsWindow(TGame game, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), m_game(std::move(game))
{
    setWindowTitle(QStringLiteral("Tools"));
    // The program ends with the main window; hiding this one after an exit must not end it.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(WindowLook::DialogFont());
    setMinimumSize(MinimumWidth, MinimumHeight);
    setGeometry(DesignedGeometry);

    auto *panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_thumbnailPanel = panel;
    m_thumbnailPanel->installEventFilter(this);
    m_thumbnailLabel = new QLabel(m_thumbnailPanel);
    m_thumbnailLabel->setScaledContents(true);

    CreateCommandColumn();

    auto *columns = new QHBoxLayout(this);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(0);
    columns->addWidget(m_thumbnailPanel, 1);
    columns->addWidget(m_pages);
}

void TToolsWindow::CreateCommandColumn()
{
    // One page with no tab: the command column shows as a plain panel.
    m_pages = new QStackedWidget(this);
    m_pages->setFixedWidth(CommandColumnWidth);
    m_pages->setContentsMargins(PageBorder, PageBorder, PageBorder, PageBorder);
    m_commandsPage = new QWidget;
    m_pages->addWidget(m_commandsPage);
    m_pages->setCurrentWidget(m_commandsPage);

    m_commandPanel = new QWidget(m_commandsPage);
    WindowLook::SetBackground(m_commandPanel, WindowLook::Medium);
    auto *fill = new QHBoxLayout(m_commandsPage);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(m_commandPanel);

    m_sortOrderBox = new TSortOrderBox(m_commandPanel);
    m_sortOrderBox->setGeometry(7, 11, 64, 30);
    m_sortOrderBox->setCurrentIndex(0);

    m_sortButton =
        AddCommand(QStringLiteral("Sort"), QRect(74, 11, 31, 31), &TToolsWindow::SortClicked);
    m_desktopButton =
        AddCommand(QStringLiteral("Desktop"), QRect(7, 54, 99, 24), &TToolsWindow::DesktopClicked);
    m_resetButton =
        AddCommand(QStringLiteral("Reset game"), QRect(7, 82, 99, 24), &TToolsWindow::ResetClicked);
    m_browseButton = AddCommand(QStringLiteral("Browse my puzzles"), QRect(5, 110, 99, 24),
                                &TToolsWindow::BrowseClicked);
    m_aboutButton =
        AddCommand(QStringLiteral("About"), QRect(7, 138, 99, 24), &TToolsWindow::AboutClicked);
    m_exitButton =
        AddCommand(QStringLiteral("Exit"), QRect(7, 166, 99, 24), &TToolsWindow::ExitClicked);
    CreatePlayAids();
    CreateBigPuzzleAids();
    for (QToolButton *button : {m_sortButton, m_desktopButton, m_resetButton, m_browseButton,
                                m_aboutButton, m_exitButton}) {
        button->setFocusPolicy(Qt::StrongFocus);
        button->setAccessibleName(button->text());
    }
    m_sortOrderBox->setAccessibleName(QStringLiteral("Sort order"));
    m_sortButton->setToolTip(QStringLiteral("Sort the palette"));
    m_desktopButton->setToolTip(QStringLiteral("Change the desktop's background"));
    m_resetButton->setToolTip(QStringLiteral("Put every piece back and start again"));
    m_browseButton->setToolTip(QStringLiteral("Open another puzzle"));
    m_aboutButton->setToolTip(QStringLiteral("About this puzzle"));
    m_exitButton->setToolTip(QStringLiteral("End the game"));
}

// Below the specified commands, each aid with its keys in the tooltip; the keys work in every
// window of the game.
void TToolsWindow::CreatePlayAids()
{
    TPuzzleDesktop *desktop = m_game.desktop;
    // The desktop's command, whatever it returns; nothing without a desktop.
    const auto onDesktop = [desktop](auto act) {
        return [desktop, act] {
            if (desktop)
                (desktop->*act)();
        };
    };
    m_undoButton =
        AddAid(QStringLiteral("Undo"), QStringLiteral("Take back the last move"),
               QRect(7, 194, 48, 20), {QKeySequence::Undo}, onDesktop(&TPuzzleDesktop::Undo));
    m_redoButton = AddAid(
        QStringLiteral("Redo"), QStringLiteral("Make the move again"), QRect(58, 194, 48, 20),
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)},
        onDesktop(&TPuzzleDesktop::Redo));
    m_zoomOutButton =
        AddAid(QStringLiteral("-"), QStringLiteral("Zoom out"), QRect(7, 215, 31, 20),
               {QKeySequence(Qt::CTRL | Qt::Key_Minus)}, onDesktop(&TPuzzleDesktop::ZoomOut));
    m_fitButton = AddAid(QStringLiteral("Fit"), QStringLiteral("Zoom to see the whole desktop"),
                         QRect(40, 215, 33, 20), {QKeySequence(Qt::CTRL | Qt::Key_0)},
                         onDesktop(&TPuzzleDesktop::ZoomToFit));
    m_zoomInButton =
        AddAid(QStringLiteral("+"), QStringLiteral("Zoom in"), QRect(75, 215, 31, 20),
               {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)},
               onDesktop(&TPuzzleDesktop::ZoomIn));
    m_edgePiecesButton = AddAid(
        QStringLiteral("Edge pieces"), QStringLiteral("Show only the border pieces on the palette"),
        QRect(7, 236, 99, 20), {QKeySequence(Qt::CTRL | Qt::Key_E)}, [this] {
            if (m_game.desktop)
                m_game.desktop->SetBorderPiecesOnly(m_edgePiecesButton->isChecked());
        });
    m_edgePiecesButton->setCheckable(true);
    m_findLostButton =
        AddAid(QStringLiteral("Find lost pieces"),
               QStringLiteral("Bring pieces outside the view or under the palette into view"),
               QRect(7, 257, 99, 20), {QKeySequence(Qt::CTRL | Qt::Key_L)},
               onDesktop(&TPuzzleDesktop::FindLostPieces));
    m_fullScreenButton = AddAid(QStringLiteral("Full screen"), QStringLiteral("Full screen"),
                                QRect(7, 278, 66, 20), {QKeySequence(Qt::Key_F11)}, [this] {
                                    if (m_game.toggleFullScreen)
                                        m_game.toggleFullScreen();
                                });

    m_keysButton = new QToolButton(m_commandPanel);
    m_keysButton->setText(QStringLiteral("Keys"));
    m_keysButton->setAutoRaise(true);
    m_keysButton->setGeometry(75, 278, 31, 20);
    m_keysButton->setFocusPolicy(Qt::StrongFocus);
    m_keysButton->setAccessibleName(QStringLiteral("Keys of the game"));
    m_keysButton->setToolTip(PlayKeysText());
    WindowLook::SetTextColour(m_keysButton, Qt::black);
    connect(m_keysButton, &QToolButton::clicked, this, [this] {
        if (ProgramWindows().messageWindow == nullptr)
            return;
        TMinimisedDuringCommand minimised(this);
        ProgramWindows().messageWindow->ShowText(PlayKeysText());
    });

    m_moveJoinedBox = new QCheckBox(QStringLiteral("Move joined"), m_commandPanel);
    m_moveJoinedBox->setGeometry(7, 299, 99, 18);
    m_moveJoinedBox->setAccessibleName(QStringLiteral("Joined pieces move together"));
    m_moveJoinedBox->setToolTip(
        QStringLiteral("Joined pieces move together; Shift while dragging takes one piece"));
    WindowLook::SetTextColour(m_moveJoinedBox, Qt::black);
    m_moveJoinedBox->setChecked(StoredGroupMoves());
    if (m_game.desktop)
        m_game.desktop->SetGroupMoves(m_moveJoinedBox->isChecked());
    connect(m_moveJoinedBox, &QCheckBox::toggled, this, &TToolsWindow::MoveJoinedToggled);

    m_clockLabel = new QLabel(m_thumbnailPanel);
    m_clockLabel->setGeometry(6, 4, 220, 18);
    m_clockLabel->setAccessibleName(QStringLiteral("Time played"));
}

QToolButton *TToolsWindow::AddAid(const QString &caption, const QString &description,
                                  const QRect &geometry, const QList<QKeySequence> &keys,
                                  std::function<void()> action)
{
    auto *button = new QToolButton(m_commandPanel);
    button->setText(caption);
    button->setAutoRaise(true);
    button->setGeometry(geometry);
    button->setFocusPolicy(Qt::StrongFocus);
    button->setAccessibleName(description);
    button->setToolTip(QStringLiteral("%1 (%2)").arg(
        description, keys.first().toString(QKeySequence::NativeText)));
    WindowLook::SetTextColour(button, Qt::black);
    connect(button, &QToolButton::clicked, this,
            [this, action] { RunShowingFailure(this, action); });
    for (const QKeySequence &key : keys) {
        auto *shortcut = new QShortcut(key, this);
        shortcut->setContext(Qt::ApplicationShortcut);
        // A checkable aid changes its state as a click would.
        connect(shortcut, &QShortcut::activated, button, &QToolButton::click);
    }
    return button;
}

// Under the play aids: laying out every palette piece and the palette's smaller pieces; over the
// thumbnail, under the clock: the game's progress, the zoom and what laying out left behind.
void TToolsWindow::CreateBigPuzzleAids()
{
    m_layOutButton =
        AddAid(tr("Lay out all"), tr("Lay out the palette's pieces on free places of the desktop"),
               QRect(7, 320, 99, 20), {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L)},
               [this] { LayOutClicked(); });
    m_smallPiecesBox = new QCheckBox(tr("Small pieces"), m_commandPanel);
    m_smallPiecesBox->setGeometry(7, 341, 99, 18);
    m_smallPiecesBox->setAccessibleName(tr("Palette pieces at half size"));
    m_smallPiecesBox->setToolTip(tr("The palette shows its pieces at half size"));
    WindowLook::SetTextColour(m_smallPiecesBox, Qt::black);
    m_smallPiecesBox->setChecked(TUserSettings().SmallPalettePieces());
    connect(m_smallPiecesBox, &QCheckBox::toggled, this, &TToolsWindow::SmallPiecesToggled);

    m_progressLabel = new QLabel(m_thumbnailPanel);
    m_progressLabel->setGeometry(6, 22, 220, 18);
    m_progressLabel->setAccessibleName(tr("Progress"));
    m_zoomLabel = new QLabel(m_thumbnailPanel);
    m_zoomLabel->setGeometry(6, 40, 220, 18);
    m_zoomLabel->setAccessibleName(tr("Zoom"));
    m_layOutNote = new QLabel(m_thumbnailPanel);
    m_layOutNote->setGeometry(6, 58, 220, 30);
    m_layOutNote->setWordWrap(true);
    m_layOutNote->setAccessibleName(tr("Laying out"));
    if (m_game.desktop == nullptr)
        return;
    m_game.desktop->SetSmallPalettePieces(m_smallPiecesBox->isChecked());
    m_game.desktop->SetCoveringWindow(this);
    connect(m_game.desktop, &TPuzzleDesktop::ProgressChanged, this, &TToolsWindow::ShowProgress);
    connect(m_game.desktop, &TPuzzleDesktop::ZoomChanged, this, &TToolsWindow::ShowZoom);
    ShowProgress();
    ShowZoom(m_game.desktop->Zoom());
}

void TToolsWindow::ShowProgress()
{
    const TPlayProgress progress = m_game.desktop->Progress();
    const QLocale locale;
    m_progressLabel->setText(
        tr("%1 of %Ln on the table · %2 % joined", nullptr, progress.pieces)
            .arg(locale.toString(progress.onDesktop), locale.toString(JoinedPercent(progress))));
    m_progressLabel->setToolTip(tr("Joins made: %1 of %Ln", nullptr, progress.possibleJoins)
                                    .arg(locale.toString(progress.joins)));
    m_layOutNote->clear();
}

void TToolsWindow::ShowZoom(double zoom)
{
    m_zoomLabel->setText(tr("Zoom %1 %").arg(QLocale().toString(qRound(zoom * 100))));
}

void TToolsWindow::LayOutClicked()
{
    if (m_game.desktop == nullptr)
        return;
    const int stayed = m_game.desktop->LayOutPalettePieces();
    if (stayed > 0)
        m_layOutNote->setText(
            tr("No room on the desktop for %Ln; they stay on the palette.", nullptr, stayed));
}

void TToolsWindow::SmallPiecesToggled(bool small)
{
    TUserSettings().SetSmallPalettePieces(small);
    if (m_game.desktop)
        m_game.desktop->SetSmallPalettePieces(small);
}

void TToolsWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    const int needed = m_commandPanel->childrenRect().bottom() + 1 + 2 * PageBorder;
    if (height() >= needed)
        return;
    resize(width(), needed);
    // Grown downwards, it stays on the screen.
    const int below = frameGeometry().bottom() - screen()->availableGeometry().bottom();
    if (below > 0)
        move(x(), std::max(screen()->availableGeometry().top(), y() - below));
}

bool TToolsWindow::StoredGroupMoves()
{
    return TUserSettings().GroupMoves();
}

void TToolsWindow::MoveJoinedToggled(bool together)
{
    TUserSettings().SetGroupMoves(together);
    if (m_game.desktop)
        m_game.desktop->SetGroupMoves(together);
}

void TToolsWindow::ShowPlayTime(const QString &text)
{
    m_clockLabel->setText(text);
}

QToolButton *TToolsWindow::AddCommand(const QString &caption, const QRect &geometry,
                                      void (TToolsWindow::*handler)())
{
    auto *button = new QToolButton(m_commandPanel);
    button->setText(caption);
    button->setAutoRaise(true);
    button->setGeometry(geometry);
    WindowLook::SetTextColour(button, Qt::black);
    // A failing command is reported, like every window action's failure, and never reaches the
    // event loop; by then the window is back in its normal state.
    connect(button, &QToolButton::clicked, this,
            [this, handler] { RunShowingFailure(this, [this, handler] { (this->*handler)(); }); });
    return button;
}

void TToolsWindow::ShowPuzzleThumbnail(const QImage &thumbnail, QSize pictureSize)
{
    m_thumbnailLabel->setPixmap(QPixmap::fromImage(thumbnail));
    m_thumbnailPictureSize = pictureSize.isValid() ? pictureSize : thumbnail.size();
    FitThumbnail();
}

void TToolsWindow::FitThumbnail()
{
    if (m_thumbnailLabel->pixmap().isNull())
        return;
    m_thumbnailLabel->setGeometry(
        FitThumbnailBounds(m_thumbnailPanel->size(), m_thumbnailPictureSize));
}

bool TToolsWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_thumbnailPanel && event->type() == QEvent::Resize)
        FitThumbnail();
    return QWidget::eventFilter(watched, event);
}

void TToolsWindow::closeEvent(QCloseEvent *event)
{
    // Only a confirmed Exit may close (hide) the window; the caption's button does nothing.
    if (m_exitConfirmed)
        QWidget::closeEvent(event);
    else
        event->ignore();
}

bool TToolsWindow::event(QEvent *event)
{
    // After a confirmed exit the window is done: activation is dropped unprocessed.
    if (m_exitConfirmed && event->type() == QEvent::WindowActivate)
        return true;
    if (event->type() == QEvent::Show)
        m_frameCheckPending = true;
    const bool result = QWidget::event(event);
    // The frame is known only after the window manager has taken the shown window.
    if (m_frameCheckPending && (event->type() == QEvent::Move || event->type() == QEvent::Resize ||
                                event->type() == QEvent::WindowActivate))
        KeepFrameOnScreen();
    return result;
}

void TToolsWindow::KeepFrameOnScreen()
{
    const QRect frame = frameGeometry();
    if (frame == geometry() || screen() == nullptr)
        return;
    m_frameCheckPending = false;
    const QRect available = screen()->availableGeometry();
    const QPoint shift(
        std::max(available.left() - frame.left(), std::min(0, available.right() - frame.right())),
        std::max(available.top() - frame.top(), std::min(0, available.bottom() - frame.bottom())));
    if (!shift.isNull())
        setGeometry(geometry().translated(shift));
}

void TToolsWindow::SortClicked()
{
    const int order = m_sortOrderBox->currentIndex();
    SetSortDirection(SortDirectionOfOrder(order));
    if (m_game.desktop)
        m_game.desktop->SetSortOrder(order);
}

void TToolsWindow::DesktopClicked()
{
    if (!m_game.backgrounds)
        return;
    TMinimisedDuringCommand minimised(this);
    if (m_game.backgrounds->RunDialog(QString()) != QLatin1String("Y") || !m_game.desktop)
        return;
    if (m_game.backgrounds->IsTextureChosen())
        m_game.desktop->SetBackgroundPicture(m_game.backgrounds->ChosenTexture());
    else
        m_game.desktop->SetBackgroundColor(m_game.backgrounds->ChosenColor());
}

void TToolsWindow::ResetClicked()
{
    TMinimisedDuringCommand minimised(this);
    if (ProgramWindows().confirmationWindow->Ask(
            QStringLiteral("Are you sure you want to reset the game?")) &&
        m_game.resetPuzzle)
        m_game.resetPuzzle();
}

void TToolsWindow::BrowseClicked()
{
    TMinimisedDuringCommand minimised(this);
    if (m_game.browsePuzzles)
        m_game.browsePuzzles();
}

void TToolsWindow::AboutClicked()
{
    TMinimisedDuringCommand minimised(this);
    const TPuzzleGame *game = m_game.game ? m_game.game() : nullptr;
    ProgramWindows().aboutWindow->ShowPuzzleAbout(
        GameText(game, &TPuzzleGame::name), GameText(game, &TPuzzleGame::author),
        GameText(game, &TPuzzleGame::website), IsPortableImage(LoadedExeImage()));
}

void TToolsWindow::ExitClicked()
{
    TMinimisedDuringCommand minimised(this);
    if (!ProgramWindows().confirmationWindow->Ask(QStringLiteral("Exit the game?")))
        return;
    if (m_game.closePlayWindow)
        m_game.closePlayWindow();
    m_exitConfirmed = true;
    minimised.KeepMinimised();
    close();
}

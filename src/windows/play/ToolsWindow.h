#pragma once
// The tools window: a small topmost window beside the play window for the whole game, showing
// the puzzle's thumbnail and the player's commands (sort the palette, desktop background, reset,
// browse for puzzles, the puzzle's About, exit), and below them the play aids (undo, redo, zoom,
// edge pieces, lost pieces, full screen, joined pieces moving together) with their keys, and the
// time played. It holds no game data: every command asks the game it serves, the confirmation
// and About windows, or the main window.

#include <QKeySequence>
#include <QList>
#include <QSize>
#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QStackedWidget;
class QToolButton;
class TBackgroundsDialog;
struct TPuzzleGame;
class TPuzzleDesktop;
class TSortOrderBox;

class TToolsWindow : public QWidget
{
    Q_OBJECT
public:
    // What the window acts on, handed over by the play window that creates it. None of it is
    // owned; an unset member makes its command do nothing beyond the confirmation.
    struct TGame {
        TPuzzleDesktop *desktop = nullptr;         // Sort and Desktop
        TBackgroundsDialog *backgrounds = nullptr; // Desktop
        // The play window's game, read by About (null reads as empty values).
        std::function<const TPuzzleGame *()> game;
        std::function<void()> closePlayWindow; // Exit, after Yes: ends the game
        std::function<void()> resetPuzzle;     // Reset game, after Yes: the session's reset
        // Browse my puzzles: the play window's request, browsing from the current folder.
        std::function<void()> browsePuzzles;
        std::function<void()> toggleFullScreen; // Full screen: the play window's
    };

    static constexpr int DefaultWidth = 344;
    // Tall enough for every control, the big puzzles' aids at the foot included.
    static constexpr int DefaultHeight = 367;
    static constexpr int MinimumWidth = 303;
    static constexpr int MinimumHeight = 150;

    explicit TToolsWindow(TGame game, QWidget *parent = nullptr);

    // Shows the puzzle's thumbnail and fits it by the aspect of the picture it was made from
    // (pictureSize; when not given, the thumbnail's own size).
    void ShowPuzzleThumbnail(const QImage &thumbnail, QSize pictureSize = QSize());
    // Fits the thumbnail into the picture panel; nothing while there is no picture.
    void FitThumbnail();

    // Shows the time played, or the solve's times, under the thumbnail.
    void ShowPlayTime(const QString &text);
    // The player's choice that joined pieces move together, kept in the user's settings.
    static bool StoredGroupMoves();

    // True once Exit was confirmed; from then on the window may close (it is hidden, never
    // destroyed) and ignores activation.
    bool ExitConfirmed() const { return m_exitConfirmed; }

    QWidget *m_thumbnailPanel;
    QLabel *m_thumbnailLabel;
    QStackedWidget *m_pages;
    QWidget *m_commandsPage;
    QWidget *m_commandPanel;
    TSortOrderBox *m_sortOrderBox;
    QToolButton *m_sortButton;
    QToolButton *m_desktopButton;
    QToolButton *m_resetButton;
    QToolButton *m_browseButton;
    QToolButton *m_aboutButton;
    QToolButton *m_exitButton;
    QToolButton *m_undoButton;
    QToolButton *m_redoButton;
    QToolButton *m_zoomOutButton;
    QToolButton *m_fitButton;
    QToolButton *m_zoomInButton;
    QToolButton *m_edgePiecesButton;
    QToolButton *m_findLostButton;
    QToolButton *m_fullScreenButton;
    QToolButton *m_keysButton;
    QCheckBox *m_moveJoinedBox;
    QLabel *m_clockLabel;
    // Big puzzles: laying out every palette piece, smaller palette pieces, and the readouts.
    QToolButton *m_layOutButton;
    QCheckBox *m_smallPiecesBox;
    QLabel *m_progressLabel;
    QLabel *m_zoomLabel;
    QLabel *m_layOutNote;

protected:
    void closeEvent(QCloseEvent *event) override;
    // A window given an older, smaller size (a stored one) grows to show every control.
    void showEvent(QShowEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void CreateCommandColumn();
    void CreatePlayAids();
    // A command with its keys, shown in its tooltip and reachable from anywhere in the game.
    QToolButton *AddAid(const QString &caption, const QString &description, const QRect &geometry,
                        const QList<QKeySequence> &keys, std::function<void()> action);
    QToolButton *AddCommand(const QString &caption, const QRect &geometry,
                            void (TToolsWindow::*handler)());
    void SortClicked();
    void DesktopClicked();
    void ResetClicked();
    void BrowseClicked();
    void AboutClicked();
    void ExitClicked();
    void MoveJoinedToggled(bool together);
    void CreateBigPuzzleAids();
    void ShowProgress();
    void ShowZoom(double zoom);
    void LayOutClicked();
    void SmallPiecesToggled(bool small);
    // Moves the window so that its frame, once the window manager has drawn one, lies on the
    // screen: its placement counts the frame's place but not its size.
    void KeepFrameOnScreen();

    TGame m_game;
    QSize m_thumbnailPictureSize;
    bool m_exitConfirmed = false;
    bool m_frameCheckPending = false;
};

#pragma once
// The tools window: a small topmost window beside the play window for the whole game, showing
// the puzzle's thumbnail and the player's commands (sort the palette, desktop background, reset,
// browse for puzzles, the puzzle's About, exit). It holds no game data: every command asks the
// game it serves, the confirmation and About windows, or the main window.

#include <QSize>
#include <QWidget>
#include <functional>

class QComboBox;
class QLabel;
class QStackedWidget;
class QToolButton;
class TD_backgrounds;
class TKelPigger;
class TO_pd;
class TSortOrderBox;

class TF_tools : public QWidget
{
    Q_OBJECT
public:
    // What the window acts on, handed over by the play window that creates it. None of it is
    // owned; an unset member makes its command do nothing beyond the confirmation.
    struct TGame {
        TO_pd *desktop = nullptr;              // Sort and Desktop
        TD_backgrounds *backgrounds = nullptr; // Desktop
        // The play window's puzzle document, read by About (null reads as empty values).
        std::function<const TKelPigger *()> document;
        std::function<void()> closePlayWindow; // Exit, after Yes: ends the game
        std::function<void()> resetPuzzle;     // Reset game, after Yes: the main window's reset
        // Browse my puzzles: the main window's browsing, starting in the current folder.
        std::function<void()> browsePuzzles;
    };

    static constexpr int DefaultWidth = 344;
    static constexpr int DefaultHeight = 335;
    static constexpr int MinimumWidth = 303;
    static constexpr int MinimumHeight = 150;

    explicit TF_tools(TGame game, QWidget *parent = nullptr);

    // Shows the puzzle's thumbnail and fits it by the aspect of the picture it was made from
    // (pictureSize; when not given, the thumbnail's own size).
    void ShowPuzzleThumbnail(const QImage &thumbnail, QSize pictureSize = QSize());
    // Fits the thumbnail into the picture panel; nothing while there is no picture.
    void FitThumbnail();

    // True once Exit was confirmed; from then on the window may close (it is hidden, never
    // destroyed) and ignores activation.
    bool ExitConfirmed() const { return exitConfirmed; }

    QWidget *Panel_img;
    QLabel *Image1;
    QStackedWidget *PageControl1;
    QWidget *TabSheet_classic;
    QWidget *Panel1;
    TSortOrderBox *CB_order;
    QToolButton *SB_sort_pieces;
    QToolButton *SB_desktop;
    QToolButton *SB_reset;
    QToolButton *SB_browse;
    QToolButton *SB_about;
    QToolButton *SB_exit;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void CreateCommandColumn();
    QToolButton *AddCommand(const QString &caption, const QRect &geometry,
                            void (TF_tools::*handler)());
    void SB_sort_piecesClick();
    void SB_desktopClick();
    void SB_resetClick();
    void SB_browseClick();
    void SB_aboutClick();
    void SB_exitClick();

    TGame game;
    QSize thumbnailPictureSize;
    bool exitConfirmed = false;
};

#pragma once
// The base play window: a borderless, maximised window whose two pages have no visible tabs, the
// puzzle page (filled by a derived window's game) and the premium page, which shows the
// alternative picture once the puzzle is solved. It runs a game modally, starts the tools window
// after its first activation, restores the tools window's placement from the puzzle document
// once and stores it back when the game closes, and plays the solved display.

#include "engine/jigsaw/PlayClock.h"
#include "windows/play/ToolsWindow.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QImage>
#include <QPointer>
#include <functional>

class QLabel;
class QStackedWidget;
class QTimer;
class TJpegPicture;
class TPlayerSession;
class TPuzzleDocument;

// Posted by the play window to itself on its first activation; shows the tools window once the
// activation has completed.
inline constexpr int WM_SHOW_TOOLS = 0x0409;

// A picture drawn centred and unscaled inside the control's bounds, cut off at them. While it
// fills its page it follows the page's size; otherwise its bounds are set freely.
class TCentredPicture : public QWidget
{
public:
    explicit TCentredPicture(QWidget *page);

    // Keeps a copy of picture.
    void SetPicture(const QImage &picture);
    const QImage &Picture() const { return m_picture; }
    void SetFillsPage(bool fills);
    bool FillsPage() const { return m_fillsPage; }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QImage m_picture;
    bool m_fillsPage = true;
};

class TPlayWindowBase : public QDialog
{
    Q_OBJECT
public:
    // Receives the preparation's progress in percent.
    using TProgressCallback = std::function<void(int percent)>;
    // The tools window's margin from the screen's right edge and its top, when the document
    // holds no place for it.
    static constexpr int ToolsDefaultMargin = 10;

    explicit TPlayWindowBase(QWidget *parent = nullptr);

    // Plays the session's game (the session is not owned and must outlive the window's use of
    // it): keeps the callback, prepares the game, shows the window maximised and modally, and
    // once it has closed stores the tools window's placement and the time played in the game and
    // keeps the game in the session's document. Drops and turns are told to the session; its
    // Solved stops the clock and its GameReset lays the game out anew. A failure of the
    // preparation is thrown before anything is shown.
    void RunGame(TPlayerSession &session, TProgressCallback progress);

    // Prepares the game of the picture and document of the session given to RunGame; nothing
    // here.
    virtual void PrepareGame();
    // Keeps the tools window's left, top, width and height in the game.
    virtual void StoreToolsPlacement();
    // Shows the premium page: the solved picture closes in towards the centre, then the
    // alternative picture opens out from it, one step a timer tick; SolvedPictureShown follows.
    // Both pictures are copied.
    virtual void ShowSolvedPicture(const QImage &solved, const QImage &alternative);
    // A line over the top of the game for a few seconds.
    void ShowNotice(const QString &text);

    // The clock: the player acted; the puzzle was found solved, which stops the clock, keeps
    // the time and the best time in the document and shows both.
    void NotePlayerActivity();
    void PuzzleSolved();
    const TPlayClock &Clock() const { return m_clock; }
    // The text shown for the time played, or for the solve.
    QString PlayTimeText() const;
    // Between the maximised window and the whole screen.
    void ToggleFullScreen();

    QStackedWidget *m_pages;
    QWidget *m_puzzlePage;
    QWidget *m_solvedPage;
    TCentredPicture *m_solvedPicture;
    QLabel *m_solveTimeLabel;
    QTimer *m_clockTimer;
    QTimer *m_solvedTimer;

signals:
    // The solved display has ended with the alternative picture filling its page.
    void SolvedPictureShown();
    // The game is prepared and about to show.
    void GamePrepared();
    // The caption the game is shown under, from the puzzle's name.
    void CaptionChosen(const QString &caption);
    // The tools window's Browse my puzzles.
    void BrowseRequested();

protected:
    bool event(QEvent *event) override;
    // A minimised game does not count as played time.
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    // The game is left only through the tools window: Esc does not close it.
    void keyPressEvent(QKeyEvent *event) override;

    // On the first activation posts WM_SHOW_TOOLS; later activations do nothing.
    virtual void Activated();
    // What the tools window acts on; the base gives the game and the window's closing.
    virtual TToolsWindow::TGame ToolsGame();
    // Hands percent to the progress callback, if any.
    void ReportProgress(int percent) const;
    // Every piece back on the palette and the puzzle page shown.
    virtual void ResetGame();
    // What the tools window shows of the puzzle's picture (made by the game's preparation, so
    // that the picture is decoded once), and the picture's own size.
    void SetPuzzleThumbnail(QImage thumbnail, QSize pictureSize);

    // The session of the running game and its picture and document; null outside RunGame.
    TPlayerSession *m_session = nullptr;
    TJpegPicture *m_sourcePicture = nullptr;
    TPuzzleDocument *m_document = nullptr;
    TProgressCallback m_progress;
    bool m_toolsPlacementPending = true;
    bool m_firstActivation = true;

private:
    void PlaceNotice();

    void PrepareForGame();
    void ShowToolsMessage();
    void CreateToolsWindow();
    void RestoreToolsPlacement(TToolsWindow &tools) const;
    void ClockTick();
    void SolvedDisplayStep();

    QElapsedTimer m_monotonic;
    TPlayClock m_clock;
    bool m_solved = false;

    // The solved display: the picture shown once the solved one has closed in, whether it is
    // still closing, and the steps it took.
    QImage m_solvedAlternative;
    bool m_solvedClosing = false;
    int m_solvedStepsClosed = 0;

    QImage m_puzzleThumbnail;
    QSize m_puzzlePictureSize;
    // The notice over the game, while it shows.
    QPointer<QLabel> m_notice;
};

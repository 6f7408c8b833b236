#pragma once
// The main window: shows the loading page, and on its
// first activation decides how this copy of the program starts: maker, player, finishing a
// save as the hand-over copy "tmp.exe", or cleaning up after one. It also hosts the question
// whether a changed game is saved, and the save hand-over itself.

#include "engine/container/PuzzleFile.h"
#include "platform/Platform.h"
#include "windows/maker/MakerPage.h"

#include <QImage>
#include <QWidget>
#include <functional>
#include <memory>

class QFileDialog;
class QFrame;
class QLabel;
class QProgressBar;
class QStackedWidget;
class QToolButton;
class TBandedGradient;
class TJpegPicture;
class TMakerSession;
class TPlayerSession;
class TShapeWidget;

// The start message: posted by the main window to itself, delivered after its first activation.
inline constexpr int WM_START_MODE = 0x0408;

enum class TStartMode { Maker = 0, Player = 1, FinishSaving = 2, CleanUp = 3 };

class TMainWindow : public QWidget
{
    Q_OBJECT
public:
    // Works on the two sessions (not owned; they outlive the window): the maker page on maker,
    // player mode on player. executablePath is the file this process runs as, or the puzzle file
    // it was asked to play; its folder is where the hand-over copy and the exported picture are
    // written. Tests pass a copy of a puzzle executable.
    TMainWindow(TMakerSession &maker, TPlayerSession &player,
                const QString &executablePath = PlayedFilePath());
    ~TMainWindow() override;

    TStartMode DecideStartMode() const;
    // True when the first command-line parameter is exactly "maketn".
    bool ThumbnailRequested() const;
    // Writes the payload's picture beside the executable as a ".jpg" file and asks to end.
    void ExportThumbnail();
    // Fills the player session's picture and document from the payload. Throws on a document
    // text the container refuses.
    void LoadPuzzleFromPayload();
    // Lets the user pick a puzzle executable and starts it; the working folder is the same
    // afterwards on every path.
    void BrowsePuzzles(bool from_current_folder);
    // Plays the puzzle in `path` in a new process of this program, whatever the file's ending
    // or permissions (a dropped or chosen file). Throws, starting nothing, when the file does
    // not hold a puzzle: a file is never executed unchecked.
    void PlayPuzzleFile(const QString &path);
    // After a game: ends at once when nothing changed, else stores the document in the image
    // and waits on the save page for YES or NO.
    void KeepChanges();

    // Player mode. Loads the payload's puzzle, plays it and then asks whether to save; any
    // failure on the way ends the sequence without a message.
    void RunPlayerMode();
    // Runs the play window on the player session; returns when the game ends.
    void PlayPuzzle();
    // The preparation's progress on the loading page, repainted at once.
    void ShowProgress(int percent);
    // A solved puzzle with an alternative picture shows it.
    void ShowAlternativePicture();
    // The session's Solved: the alternative picture is shown, a failure said over the game.
    void PuzzleSolved();
    // The play window's game is prepared: this window gets out of its way.
    void MinimiseForGame();
    // The tools window's Browse my puzzles: from the current folder.
    void BrowseCurrentFolder();
    // Reads the alternative picture from the payload; false when the puzzle has none.
    bool LoadAlternativePicture();

    TMakerSession &Maker() { return m_maker; }
    TPlayerSession &Player() { return m_player; }

    bool m_thumbnailMode = false;
    bool m_firstActivation = true;

    QStackedWidget *m_pages;
    // Null until the maker is first shown (MakerPage).
    TMakerPage *m_makerPage = nullptr;
    QWidget *m_loadingPage;
    QWidget *m_saveQuestionPage;
    QWidget *m_savingPage;
    // m_loadingPage
    QFrame *m_loadingBand;
    TShapeWidget *m_loadingStripe;
    QLabel *m_loadingTitle;
    TBandedGradient *m_loadingGradient;
    QProgressBar *m_loadingProgress;
    // m_saveQuestionPage
    TBandedGradient *m_saveGradient;
    QFrame *m_saveQuestionPanel;
    QLabel *m_saveQuestionLabel;
    QToolButton *m_saveYesButton;
    QToolButton *m_saveNoButton;
    // m_savingPage
    QFrame *m_savingBand;
    TShapeWidget *m_savingStripe;
    QLabel *m_savingTitle;

    QFileDialog *m_browseDialog = nullptr;

protected:
    bool event(QEvent *event) override;
    // Enter and keypad Enter click the focused command, as Space does (YES or NO of the save
    // page).
    void keyPressEvent(QKeyEvent *event) override;

private:
    void CreatePages();
    TMakerPage &MakerPage();
    void CreateLoadPage();
    void CreateSavePage();
    void CreateSavingPage();
    QWidget *AddPage();
    // The dialog that chooses a puzzle to play.
    QFileDialog &BrowseDialog();

    void ResetState();
    void Activated();
    void StartModeMessage();
    void SaveYesClicked();
    void SaveNoClicked();
    void SetSaveAnswersEnabled(bool enabled);
    // Finishing a save ends this process; a failure is shown (and written to stderr) first, and
    // leaves "tmp.exe" for the next start.
    void EndShowingFailure(const std::function<void()> &action);
    void FinishSaving();
    void CleanUp();
    // True when this process plays a puzzle file it was given rather than its own executable:
    // its game is saved straight into that file.
    bool PlaysOpenedFile() const;
    // Reads the opened file; one that cannot be read or holds no puzzle is reported and the
    // program ends.
    bool OpenedFileHoldsPuzzle();
    // Path of a file in the executable's folder.
    QString BesideExecutable(const QString &fileName) const;

    TMakerSession &m_maker;
    TPlayerSession &m_player;
    QString m_executablePath;
};

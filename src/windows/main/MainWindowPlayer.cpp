// Player mode of the main window: the puzzle of the payload is loaded, played in the play
// window while this window shows the preparation's progress, and afterwards the save question
// decides what happens to the changed game.
#include "engine/container/DocumentValues.h"
#include "engine/container/ExecutablePayload.h"
#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/container/PuzzleFile.h"
#include "engine/jigsaw/PlayChecks.h"
#include "engine/picture/JpegPicture.h"
#include "windows/common/Guards.h"
#include "windows/common/PlayerSession.h"
#include "windows/common/WindowLook.h"
#include "windows/main/ApplicationWindows.h"
#include "windows/main/MainWindow.h"
#include "windows/play/BackgroundsDialog.h"
#include "windows/play/JigsawPlayWindow.h"

#include <QProgressBar>
#include <QStackedWidget>
#include <stdexcept>

namespace
{

TJigsawPlayWindow &PlayWindow()
{
    if (ProgramWindows().playWindow == nullptr)
        throw std::logic_error("There is no play window");
    return *ProgramWindows().playWindow;
}

// The backgrounds dialog reads and writes the player session's game. It belongs to the play
// window, above which it opens.
void CreateBackgroundsDialog(TPlayerSession &session)
{
    if (ProgramWindows().backgroundsDialog != nullptr)
        return;
    auto *dialog =
        new TBackgroundsDialog([&session] { return &session.Document().Game(); }, &PlayWindow());
    ProgramWindows().backgroundsDialog.Publish(dialog);
    QObject::connect(dialog, &QObject::destroyed, [dialog] {
        if (ProgramWindows().backgroundsDialog.Existing() == dialog)
            ProgramWindows().backgroundsDialog.Publish(nullptr);
    });
}

} // namespace

void TMainWindow::RunPlayerMode()
{
    // A puzzle that cannot be played says why, instead of leaving the loading page up.
    RunShowingFailure(this, [this] {
        m_pages->setCurrentWidget(m_loadingPage);
        LoadPuzzleFromPayload();
        if (m_player.KeepGameRecord(m_executablePath))
            PlayWindow().ShowNotice(tr("The last game was restored."));
        CreateBackgroundsDialog(m_player);
        PlayPuzzle();
        m_pages->setCurrentWidget(m_saveQuestionPage);
        showNormal();
        repaint();
        KeepChanges();
    });
}

void TMainWindow::PlayPuzzle()
{
    TJigsawPlayWindow &playWindow = PlayWindow();
    connect(&playWindow, &TPlayWindowBase::GamePrepared, this, &TMainWindow::MinimiseForGame,
            Qt::UniqueConnection);
    connect(&playWindow, &TPlayWindowBase::CaptionChosen, this, &TMainWindow::setWindowTitle,
            Qt::UniqueConnection);
    connect(&playWindow, &TPlayWindowBase::BrowseRequested, this, &TMainWindow::BrowseCurrentFolder,
            Qt::UniqueConnection);
    // Queued: the play window stops the clock for the solve first.
    connect(&m_player, &TPlayerSession::Solved, this, &TMainWindow::PuzzleSolved,
            static_cast<Qt::ConnectionType>(Qt::QueuedConnection | Qt::UniqueConnection));
    playWindow.RunGame(m_player, [this](int percent) { ShowProgress(percent); });
}

void TMainWindow::ShowProgress(int percent)
{
    m_loadingProgress->setValue(percent);
    m_loadingProgress->repaint();
}

void TMainWindow::MinimiseForGame()
{
    setWindowState(windowState() | Qt::WindowMinimized);
    // Also withdrawn: a window manager may drop or refuse the request (and without one nothing
    // minimises), which left the loading page up behind the game. The play window names the
    // game in the task bar.
    hide();
}

void TMainWindow::PuzzleSolved()
{
    RunShowingFailure(&PlayWindow(), [this] { ShowAlternativePicture(); });
}

void TMainWindow::BrowseCurrentFolder()
{
    BrowsePuzzles(true);
}

void TMainWindow::ShowAlternativePicture()
{
    if (!LoadAlternativePicture())
        return;
    // The alternative picture's own copy of its data is held beside the game's.
    const TJpegPicture &source = m_player.SourcePicture();
    const TJpegPicture &alternativePicture = m_player.AlternativePicture();
    RequireSolvedDisplayWithinBudget(source, alternativePicture, m_player.Document().Game(),
                                     PlayedGameHeldBytes(source, m_player.Document()) +
                                         alternativePicture.Data().size());
    const QImage solved = source.ToBitmap();
    const QImage alternative = alternativePicture.ToBitmap();
    PlayWindow().ShowSolvedPicture(solved, alternative);
}

bool TMainWindow::LoadAlternativePicture()
{
    // Read each time the puzzle is found solved, not at start.
    const QByteArray bytes = AlternativePictureOf(LoadedExeImage());
    if (TrimBlanksAndControls(bytes).isEmpty())
        return false;
    m_player.AlternativePicture().SetData(bytes);
    return true;
}

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
#include "windows/common/WindowLook.h"
#include "windows/desktop/PuzzleDesktop.h"
#include "windows/main/ApplicationWindows.h"
#include "windows/main/MainWindow.h"
#include "windows/play/BackgroundsDialog.h"
#include "windows/play/JigsawPlayWindow.h"

#include <QProgressBar>
#include <QStackedWidget>
#include <stdexcept>

namespace
{

// The main window's caption while a puzzle without a name is played.
const QString UnnamedPuzzleCaption = QStringLiteral("Puzzle");

TJigsawPlayWindow &PlayWindow()
{
    if (ProgramWindows().playWindow == nullptr)
        throw std::logic_error("There is no play window");
    return *ProgramWindows().playWindow;
}

// The backgrounds dialog reads and writes the main window's document. It belongs to the play
// window, above which it opens.
void CreateBackgroundsDialog(TMainWindow &main)
{
    if (ProgramWindows().backgroundsDialog != nullptr)
        return;
    auto *dialog = new TBackgroundsDialog(
        [&main] { return main.document ? &main.document->Game() : nullptr; }, &PlayWindow());
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
        CreateBackgroundsDialog(*this);
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
    connect(playWindow.m_desktop, &TPuzzleDesktop::OnPieceDropped, this, &TMainWindow::PieceDropped,
            Qt::UniqueConnection);
    TPlayWindowBase::THost host;
    host.minimize = [this] { setWindowState(windowState() | Qt::WindowMinimized); };
    host.showCaption = [this, &playWindow](const QString &name) {
        const QString caption =
            name.isEmpty() ? UnnamedPuzzleCaption : WindowLook::ShownPuzzleText(name);
        setWindowTitle(caption);
        playWindow.setWindowTitle(caption); // the task bar names the game after its puzzle
    };
    host.resetPuzzle = [this] { ResetPuzzle(); };
    host.browsePuzzles = [this] { BrowsePuzzles(true); };
    playWindow.SetHost(std::move(host));
    playWindow.RunGame(sourcePicture.get(), document.get(),
                       [this](int percent) { ShowProgress(percent); });
}

void TMainWindow::ShowProgress(int percent)
{
    m_loadingProgress->setValue(percent);
    m_loadingProgress->repaint();
}

void TMainWindow::PieceDropped(TPuzzleDesktop *desktop)
{
    // Every drop counts, also one back onto the palette or onto the same place.
    gameChanged = true;
    if (!desktop->IsSolved())
        return;
    // The time shows in the tools window also when there is no picture to show.
    PlayWindow().PuzzleSolved();
    RunShowingFailure(desktop->window(), [this] { ShowAlternativePicture(); });
}

void TMainWindow::ShowAlternativePicture()
{
    if (!LoadAlternativePicture())
        return;
    // The alternative picture's own copy of its data is held beside the game's.
    RequireSolvedDisplayWithinBudget(*sourcePicture, *alternativePicture, document->Game(),
                                     PlayedGameHeldBytes(*sourcePicture, *document) +
                                         alternativePicture->Data().size());
    const QImage solved = sourcePicture->ToBitmap();
    const QImage alternative = alternativePicture->ToBitmap();
    PlayWindow().ShowSolvedPicture(solved, alternative);
}

bool TMainWindow::LoadAlternativePicture()
{
    // Read each time the puzzle is found solved, not at start.
    const QByteArray bytes = AlternativePictureOf(LoadedExeImage());
    if (TrimBlanksAndControls(bytes).isEmpty())
        return false;
    alternativePicture->SetData(bytes);
    return true;
}

void TMainWindow::ResetPuzzle()
{
    TJigsawPlayWindow &playWindow = PlayWindow();
    playWindow.m_desktop->ResetGame();
    playWindow.m_pages->setCurrentWidget(playWindow.m_puzzlePage);
}

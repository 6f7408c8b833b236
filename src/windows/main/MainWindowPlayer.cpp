// Player mode of the main window: the puzzle of the payload is loaded, played in the play
// window while this window shows the preparation's progress, and afterwards the save question
// decides what happens to the changed game.
#include "engine/container/DocumentValues.h"
#include "engine/container/ExecutablePayload.h"
#include "engine/container/KelPigger.h"
#include "engine/container/PuzzleSchema.h"
#include "engine/picture/JpegPicture.h"
#include "windows/common/Guards.h"
#include "windows/common/WindowLook.h"
#include "windows/desktop/PuzzleDesktop.h"
#include "windows/main/ApplicationWindows.h"
#include "windows/main/MainWindow.h"
#include "windows/play/BackgroundsDialog.h"
#include "windows/play/JigsawPlayWindow.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QProgressBar>
#include <QStackedWidget>
#include <stdexcept>

namespace
{

// The main window's caption while a puzzle without a name is played.
const QString UnnamedPuzzleCaption = QStringLiteral("Puzzle");

TD_puzzle_js &PlayWindow()
{
    if (D_puzzle_js == nullptr)
        throw std::logic_error("There is no play window");
    return *D_puzzle_js;
}

// The backgrounds dialog reads and writes the main window's document. It belongs to the play
// window, above which it opens.
void CreateBackgroundsDialog(TFmain &main)
{
    if (D_backgrounds != nullptr)
        return;
    auto *dialog = new TD_backgrounds([&main] { return main.Document.get(); }, &PlayWindow());
    D_backgrounds = dialog;
    QObject::connect(dialog, &QObject::destroyed, [dialog] {
        if (D_backgrounds == dialog)
            D_backgrounds = nullptr;
    });
}

} // namespace

void TFmain::RunPlayerMode()
{
    // A puzzle that cannot be played says why, instead of leaving the loading page up.
    RunShowingFailure(this, [this] {
        PageControl1->setCurrentWidget(TabSheet_load);
        LoadPuzzleFromPayload();
        CreateBackgroundsDialog(*this);
        PlayPuzzle();
        PageControl1->setCurrentWidget(TabSheet_save);
        showNormal();
        QCoreApplication::processEvents();
        KeepChanges();
    });
}

void TFmain::PlayPuzzle()
{
    TD_puzzle_js &playWindow = PlayWindow();
    connect(playWindow.Odesktop, &TO_pd::OnPieceDropped, this, &TFmain::PieceDropped,
            Qt::UniqueConnection);
    TP_puzzle::THost host;
    host.minimize = [this] { setWindowState(windowState() | Qt::WindowMinimized); };
    host.showCaption = [this](const QString &name) {
        setWindowTitle(name.isEmpty() ? UnnamedPuzzleCaption : WindowLook::ShownPuzzleText(name));
    };
    host.resetPuzzle = [this] { ResetPuzzle(); };
    host.browsePuzzles = [this] { BrowsePuzzles(true); };
    playWindow.SetHost(std::move(host));
    playWindow.RunGame(SourcePicture.get(), Document.get(),
                       [this](int percent) { ShowProgress(percent); });
}

void TFmain::ShowProgress(int percent)
{
    ProgressBar1->setValue(percent);
    QCoreApplication::processEvents();
}

void TFmain::PieceDropped(TO_pd *desktop)
{
    // Every drop counts, also one back onto the palette or onto the same place.
    GameChanged = true;
    if (desktop->IsSolved())
        RunShowingFailure(desktop->window(), [this] { ShowAlternativePicture(); });
}

void TFmain::ShowAlternativePicture()
{
    if (!LoadAlternativePicture())
        return;
    const QImage solved = SourcePicture->ToBitmap();
    const QImage alternative = AlternativePicture->ToBitmap();
    PlayWindow().ShowSolvedPicture(solved, alternative);
}

bool TFmain::LoadAlternativePicture()
{
    // Read each time the puzzle is found solved, not at start.
    const QByteArray bytes = ReadSection(PuzzleSchema::SectionAlternativeImage);
    if (TrimBlanksAndControls(bytes).isEmpty())
        return false;
    QBuffer stream;
    StringToStream(bytes, stream);
    AlternativePicture->LoadFromStream(stream);
    return true;
}

void TFmain::ResetPuzzle()
{
    TD_puzzle_js &playWindow = PlayWindow();
    playWindow.Odesktop->ResetGame();
    playWindow.PageControl1->setCurrentWidget(playWindow.TabSheet_puzzle);
}

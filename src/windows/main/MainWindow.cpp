#include "windows/main/MainWindow.h"

#include "engine/container/ExecutablePayload.h"
#include "engine/container/PendingSave.h"
#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/container/PuzzleFile.h"
#include "engine/picture/JpegPicture.h"
#include "engine/picture/MemoryBudget.h"
#include "windows/common/FileDialogs.h"
#include "windows/common/Guards.h"
#include "windows/common/KeyboardCommands.h"
#include "windows/common/MakerSession.h"
#include "windows/common/PlayerSession.h"
#include "windows/common/ProgramFolders.h"
#include "windows/common/WindowLook.h"
#include "windows/common/WorkingFolderKeeper.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QSaveFile>
#include <QStackedWidget>
#include <QToolButton>
#include <cstdio>
#include <stdexcept>

namespace
{

// The path with its extension (if any) replaced by ".jpg".
QString ThumbnailPath(const QString &executablePath)
{
    const QFileInfo file(executablePath);
    return file.dir().filePath(file.completeBaseName() + QStringLiteral(".jpg"));
}

// Writes the picture's JPEG bytes as a file that is either complete or not there at all.
void SavePictureFile(const TJpegPicture &picture, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw Platform::FileError("create file", path, file.errorString());
    picture.SaveToStream(file);
    if (!file.commit())
        throw Platform::FileError("write file", path, file.errorString());
}

// How long a start waits for another process to let go of the hand-over copy. The copy lets go
// once it has written the puzzle; one that holds on longer is showing a failure.
constexpr int HandOverLockWaitMs = 10000;
constexpr int LockPollMs = 50;

// A hand-over copy nobody may open is not one another process is busy with: waiting for it
// would only end in the wrong message.
void RequireReadableIfPresent(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) && QFileInfo::exists(path))
        throw Platform::FileError("open file", path, file.errorString());
}

// The lock on the hand-over copy once no other process holds it. Null when the file is gone
// (its save is finished) or the wait ran out.
std::unique_ptr<Platform::TFileLock> WaitForHandOverLock(const QString &path)
{
    QElapsedTimer clock;
    clock.start();
    while (QFileInfo::exists(path)) {
        auto lock = Platform::TFileLock::TryLock(path);
        if (lock && lock->StillAt(path))
            return lock;
        RequireReadableIfPresent(path);
        if (clock.elapsed() > HandOverLockWaitMs)
            return nullptr;
        Platform::Delay(LockPollMs);
    }
    return nullptr;
}

QByteArray FileBytes(const QString &path)
{
    return Platform::ReadFileWithin(path, MemoryBudget);
}

std::runtime_error SaveWithoutTarget(const QByteArray &fileNameSection)
{
    if (fileNameSection.isEmpty())
        return std::runtime_error("\"tmp.exe\" names no puzzle to save the game into");
    return std::runtime_error("The puzzle \"" + QFile::decodeName(fileNameSection).toStdString() +
                              "\" that \"tmp.exe\" holds a saved game for cannot be found");
}

// A save that did not reach its own puzzle is told to the user; kept names the file that holds
// the game when the puzzle's name now belongs to another puzzle.
void ReportUnfinishedSave(TPendingSave pending, const QByteArray &fileNameSection,
                          const QString &kept)
{
    if (pending == TPendingSave::TargetMissing)
        throw SaveWithoutTarget(fileNameSection);
    if (pending == TPendingSave::KeptBeside)
        throw std::runtime_error("The puzzle \"" +
                                 QFile::decodeName(fileNameSection).toStdString() +
                                 "\" is another puzzle now; the game saved for it was kept as \"" +
                                 kept.toStdString() + "\"");
}

// Settles a hand-over copy left at handOverPath before anything else is written there: a copy
// stopped before its puzzle held its game has that save finished into `folder`, then the copy
// goes. False when a running copy holds it past the wait (it finishes its own save); throws,
// after removing the copy, when its save has nowhere to go.
bool SettleHandOver(const QString &handOverPath, const QString &folder)
{
    const auto lock = WaitForHandOverLock(handOverPath);
    if (!lock)
        return !QFileInfo::exists(handOverPath);
    const QByteArray image = FileBytes(handOverPath);
    const QByteArray fileName = HandOverFileNameOf(image);
    QString kept;
    const TPendingSave pending = fileName.isEmpty()
                                     ? TPendingSave::AlreadyThere // not a save at all
                                     : FinishPendingSave(image, folder, &kept);
    if (lock->StillAt(handOverPath)) // not a newer copy put there meanwhile
        QFile::remove(handOverPath);
    ReportUnfinishedSave(pending, fileName, kept);
    return true;
}

std::runtime_error NotAPuzzle(const QString &path)
{
    return std::runtime_error("\"" + QDir::toNativeSeparators(path).toStdString() +
                              "\" is not a puzzle");
}

} // namespace

TMainWindow::TMainWindow(TMakerSession &maker, TPlayerSession &player,
                         const QString &executablePath)
    : m_maker(maker), m_player(player), m_executablePath(executablePath)
{
    setWindowTitle(QStringLiteral("Tessalune"));
    setFixedSize(746, 444);
    setFont(WindowLook::ArialFont(11));
    WindowLook::CentreOnScreen(this);
    CreatePages();
    ResetState();
}

QFileDialog &TMainWindow::BrowseDialog()
{
    // Made on first use: a file dialog is costly to build, and most games never browse.
    if (m_browseDialog != nullptr)
        return *m_browseDialog;
    m_browseDialog = NewFileDialog(this);
    // Puzzles sent by mail or saved on Linux need not end in ".exe"; the choice is checked.
    m_browseDialog->setNameFilters({QStringLiteral("Puzzles (*)"), QStringLiteral("EXE (*.exe)")});
    m_browseDialog->setFileMode(QFileDialog::ExistingFile);
    m_browseDialog->setAcceptMode(QFileDialog::AcceptOpen);
    return *m_browseDialog;
}

TMainWindow::~TMainWindow() = default;

void TMainWindow::ResetState()
{
    RunShowingFailure(this, [this] {
        m_thumbnailMode = false;
        m_firstActivation = true;
        m_pages->setCurrentWidget(m_loadingPage);
        if (m_makerPage != nullptr)
            m_makerPage->SetStep(1);
        m_maker.Reset();
        m_player.Reset();
        if (ThumbnailRequested()) {
            ExportThumbnail();
            m_thumbnailMode = true;
        }
    });
}

bool TMainWindow::event(QEvent *event)
{
    if (event->type() == QEvent::Type(WM_START_MODE)) {
        RunShowingFailure(this, [this] { StartModeMessage(); });
        return true;
    }
    if (event->type() == QEvent::WindowActivate)
        Activated();
    // Not every window system activates a newly shown window (a display without a window
    // manager never does), and the start waits for the first activation: ask for it.
    if (event->type() == QEvent::Show && m_firstActivation)
        activateWindow();
    return QWidget::event(event);
}

void TMainWindow::keyPressEvent(QKeyEvent *event)
{
    if (!ClickFocusedCommand(event))
        QWidget::keyPressEvent(event);
}

void TMainWindow::Activated()
{
    if (!m_firstActivation)
        return;
    m_firstActivation = false;
    // Posted, so that the start work runs from the message loop once activation has finished.
    if (!m_thumbnailMode)
        QCoreApplication::postEvent(this, new QEvent(QEvent::Type(WM_START_MODE)));
}

TStartMode TMainWindow::DecideStartMode() const
{
    if (PlaysOpenedFile())
        return TStartMode::Player; // StartModeMessage checked that it holds a puzzle
    if (QFileInfo(m_executablePath)
            .fileName()
            .compare(QLatin1String(HandOverFileName), Qt::CaseInsensitive) == 0)
        return TStartMode::FinishSaving;
    if (QFileInfo(QDir(Platform::WorkingFolder()).filePath(QLatin1String(HandOverFileName)))
            .isFile())
        return TStartMode::CleanUp;
    if (IsPuzzleImage(LoadedExeImage()))
        return TStartMode::Player;
    return TStartMode::Maker;
}

void TMainWindow::StartModeMessage()
{
    // A file given to play is checked before anything else reads it: one that cannot be read or
    // holds no puzzle says so and ends, rather than opening the maker on it.
    if (PlaysOpenedFile() && !OpenedFileHoldsPuzzle())
        return;
    switch (DecideStartMode()) {
    case TStartMode::Maker:
        m_pages->setCurrentWidget(&MakerPage());
        break;
    case TStartMode::Player:
        RunPlayerMode();
        break;
    case TStartMode::FinishSaving:
        EndShowingFailure([this] { FinishSaving(); });
        break;
    case TStartMode::CleanUp:
        EndShowingFailure([this] { CleanUp(); });
        break;
    }
}

bool TMainWindow::ThumbnailRequested() const
{
    const QStringList arguments = QCoreApplication::arguments();
    return arguments.size() > 1 && arguments.at(1) == QLatin1String(ThumbnailParameter);
}

void TMainWindow::ExportThumbnail()
{
    LoadPuzzleFromPayload();
    RunSilently(
        [this] { SavePictureFile(m_player.SourcePicture(), ThumbnailPath(m_executablePath)); });
    Platform::RequestQuit();
}

void TMainWindow::LoadPuzzleFromPayload()
{
    // Taken as it is: read through a stream, the picture's bytes were copied once more and held
    // in a buffer grown past their size.
    m_player.SourcePicture().SetData(PuzzlePictureOf(LoadedExeImage()));
    m_player.Document() = PuzzleDocumentOf(LoadedExeImage());
}

void TMainWindow::BrowsePuzzles(bool from_current_folder)
{
    const TWorkingFolderKeeper keeper;
    const QString madePuzzles = MadePuzzlesFolder(); // made in either case
    QFileDialog &dialog = BrowseDialog();
    dialog.setDirectory(from_current_folder ? keeper.Folder() : madePuzzles);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QStringList chosen = dialog.selectedFiles();
    if (!chosen.isEmpty())
        PlayPuzzleFile(chosen.first());
}

void TMainWindow::PlayPuzzleFile(const QString &path)
{
    const QString file = QFileInfo(path).absoluteFilePath();
    if (!IsPuzzleImage(ReadPuzzleFile(file)))
        throw NotAPuzzle(file);
    Platform::StartProgram(Platform::RunningProgramPath(), file);
}

bool TMainWindow::OpenedFileHoldsPuzzle()
{
    try {
        if (IsPuzzleImage(LoadedExeImage()))
            return true;
        throw NotAPuzzle(m_executablePath);
    } catch (const std::exception &) {
        EndShowingFailure(
            [failure = std::current_exception()] { std::rethrow_exception(failure); });
        return false;
    }
}

bool TMainWindow::PlaysOpenedFile() const
{
    return !OpenedPuzzleFile().isEmpty() && m_executablePath == OpenedPuzzleFile();
}

QString TMainWindow::BesideExecutable(const QString &fileName) const
{
    return PathInFolder(QFileInfo(m_executablePath).path(), fileName);
}

void TMainWindow::KeepChanges()
{
    if (!m_player.changed) {
        close();
        return;
    }
    StorePlayedDocument(m_player.Document().Text());
}

void TMainWindow::SaveYesClicked()
{
    // The waits let clicks through: once YES is pressed the question is answered, unless the
    // hand-over fails and the question is open again.
    SetSaveAnswersEnabled(false);
    const bool handedOver = RunShowingFailure(this, [this] {
        if (PlaysOpenedFile()) {
            // This process does not run the file: its program part stays as it is, and only the
            // changed sections differ.
            Platform::ReplaceFileKeepingPermissions(ExeImage(), m_executablePath);
            close();
            return;
        }
        // The name of the file to overwrite goes into the written copy only, so that a retry
        // after a failure still writes a copy with exactly one "FILE_NAME".
        QByteArray handOver = LoadedExeImage();
        AddHandOverFileName(QFile::encodeName(QFileInfo(m_executablePath).fileName()), handOver);
        const QString handOverPath = BesideExecutable(QLatin1String(HandOverFileName));
        // Another puzzle's pending save in this folder is finished first, never overwritten.
        if (!SettleHandOver(handOverPath, QFileInfo(m_executablePath).path()))
            throw std::runtime_error("Another copy of the program keeps \"tmp.exe\" busy");
        WriteImageToFile(handOver, handOverPath);
        // Until the copy runs, no other start may finish its save and delete it.
        const auto lock = Platform::TFileLock::TryLock(handOverPath);
        Platform::Delay(200);
        try {
            Platform::StartProgram(handOverPath);
        } catch (...) {
            // A copy that never runs would only make the next start end at once.
            QFile::remove(handOverPath);
            throw;
        }
        close();
    });
    if (!handedOver)
        SetSaveAnswersEnabled(true);
}

void TMainWindow::SetSaveAnswersEnabled(bool enabled)
{
    m_saveYesButton->setEnabled(enabled);
    m_saveNoButton->setEnabled(enabled);
}

void TMainWindow::SaveNoClicked()
{
    close();
}

void TMainWindow::EndShowingFailure(const std::function<void()> &action)
{
    RunShowingFailure(this, [&action] {
        try {
            action();
        } catch (const std::exception &failure) {
            std::fprintf(stderr, "tessalune: %s\n", failure.what());
            throw;
        }
    });
    Platform::RequestQuit();
}

void TMainWindow::FinishSaving()
{
    m_pages->setCurrentWidget(m_savingPage);
    repaint();
    // Held while the save is finished, so that no other start deletes this copy meanwhile.
    const auto lock = WaitForHandOverLock(m_executablePath);
    if (!lock) {
        if (!QFileInfo::exists(m_executablePath))
            return; // another start finished this save already
        throw std::runtime_error("Another copy of the program keeps \"tmp.exe\" busy");
    }
    Platform::Delay(300);
    const QByteArray image = LoadedExeImage();
    const QByteArray fileName = HandOverFileNameOf(image);
    QString kept;
    ReportUnfinishedSave(FinishPendingSave(image, QFileInfo(m_executablePath).path(), &kept),
                         fileName, kept);
    const QString puzzlePath = BesideExecutable(*HandOverTarget(fileName));
    Platform::Delay(200);
    Platform::StartProgram(puzzlePath);
}

void TMainWindow::CleanUp()
{
    m_pages->setCurrentWidget(m_savingPage);
    const QString handOverPath =
        QDir(Platform::WorkingFolder()).filePath(QLatin1String(HandOverFileName));
    // A copy still held by a running process finishes its own save.
    SettleHandOver(handOverPath, Platform::WorkingFolder());
}

#include "windows/main/MainWindow.h"

#include "engine/container/ExecutablePayload.h"
#include "engine/container/KelPigger.h"
#include "engine/container/PendingSave.h"
#include "engine/container/PuzzleSchema.h"
#include "engine/picture/JpegPicture.h"
#include "windows/common/Guards.h"
#include "windows/common/ProgramFolders.h"
#include "windows/common/WindowLook.h"
#include "windows/common/WorkingFolderKeeper.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
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
void SavePictureFile(const TJPEGImage &picture, const QString &path)
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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Platform::FileError("read file", path, file.errorString());
    return file.readAll();
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
    const QByteArray fileName = ReadSection(PuzzleSchema::SectionFileName, image);
    QString kept;
    const TPendingSave pending = fileName.isEmpty()
                                     ? TPendingSave::AlreadyThere // not a save at all
                                     : FinishPendingSave(image, folder, &kept);
    if (lock->StillAt(handOverPath)) // not a newer copy put there meanwhile
        QFile::remove(handOverPath);
    ReportUnfinishedSave(pending, fileName, kept);
    return true;
}

} // namespace

TFmain::TFmain(const QString &executablePath) : executablePath(executablePath)
{
    setWindowTitle(QStringLiteral("Tessalune"));
    setFixedSize(746, 444);
    setFont(WindowLook::ArialFont(11));
    WindowLook::CentreOnScreen(this);
    CreatePages();
    OpenDialog_browse = new QFileDialog(this);
    OpenDialog_browse->setNameFilter(QStringLiteral("EXE (*.exe)"));
    OpenDialog_browse->setFileMode(QFileDialog::ExistingFile);
    OpenDialog_browse->setAcceptMode(QFileDialog::AcceptOpen);
    FormCreate();
}

TFmain::~TFmain()
{
    FormDestroy();
}

void TFmain::FormCreate()
{
    RunShowingFailure(this, [this] {
        GameChanged = false;
        SourceChosen = false;
        ThumbnailMode = false;
        FirstActivation = true;
        PageControl1->setCurrentWidget(TabSheet_load);
        TabSheet_new->SetStep(1);
        Document = std::make_unique<TKelPigger>();
        SourcePicture = std::make_unique<TJPEGImage>();
        AlternativePicture = std::make_unique<TJPEGImage>();
        BlankBitmap = std::make_unique<QImage>(1, 1, QImage::Format_RGB888);
        BlankBitmap->fill(Qt::white);
        SourcePicture->Assign(*BlankBitmap);
        AlternativePicture->Assign(*BlankBitmap);
        if (ThumbnailRequested()) {
            ExportThumbnail();
            ThumbnailMode = true;
        }
    });
}

void TFmain::FormDestroy()
{
    BlankBitmap.reset();
    SourcePicture.reset();
    AlternativePicture.reset();
    Document.reset();
}

bool TFmain::event(QEvent *event)
{
    if (event->type() == QEvent::Type(WM_START_MODE)) {
        RunShowingFailure(this, [this] { StartModeMessage(); });
        return true;
    }
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    // Not every window system activates a newly shown window (a display without a window
    // manager never does), and the start waits for the first activation: ask for it.
    if (event->type() == QEvent::Show && FirstActivation)
        activateWindow();
    return QWidget::event(event);
}

void TFmain::FormActivate()
{
    if (!FirstActivation)
        return;
    FirstActivation = false;
    // Posted, so that the start work runs from the message loop once activation has finished.
    if (!ThumbnailMode)
        QCoreApplication::postEvent(this, new QEvent(QEvent::Type(WM_START_MODE)));
}

TStartMode TFmain::DecideStartMode() const
{
    if (QFileInfo(executablePath)
            .fileName()
            .compare(QLatin1String(HandOverFileName), Qt::CaseInsensitive) == 0)
        return TStartMode::FinishSaving;
    if (QFileInfo(QDir(Platform::WorkingFolder()).filePath(QLatin1String(HandOverFileName)))
            .isFile())
        return TStartMode::CleanUp;
    if (ReadSection(PuzzleSchema::SectionIsPuzzle) == PuzzleSchema::IsPuzzleValue)
        return TStartMode::Player;
    return TStartMode::Maker;
}

void TFmain::StartModeMessage()
{
    switch (DecideStartMode()) {
    case TStartMode::Maker:
        PageControl1->setCurrentWidget(TabSheet_new);
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

bool TFmain::ThumbnailRequested() const
{
    const QStringList arguments = QCoreApplication::arguments();
    return arguments.size() > 1 && arguments.at(1) == QStringLiteral("maketn");
}

void TFmain::ExportThumbnail()
{
    LoadPuzzleFromPayload();
    RunSilently([this] { SavePictureFile(*SourcePicture, ThumbnailPath(executablePath)); });
    Platform::RequestQuit();
}

void TFmain::LoadPuzzleFromPayload()
{
    QBuffer stream;
    StringToStream(ReadSection(PuzzleSchema::SectionSourceImage), stream);
    SourcePicture->LoadFromStream(stream);
    Document->LoadFromText(ReadSection(PuzzleSchema::SectionDocument));
}

void TFmain::BrowsePuzzles(bool from_current_folder)
{
    const TWorkingFolderKeeper keeper;
    const QString madePuzzles = MadePuzzlesFolder(); // made in either case
    OpenDialog_browse->setDirectory(from_current_folder ? keeper.Folder() : madePuzzles);
    if (OpenDialog_browse->exec() != QDialog::Accepted)
        return;
    const QStringList chosen = OpenDialog_browse->selectedFiles();
    if (!chosen.isEmpty())
        Platform::StartProgram(chosen.first());
}

QString TFmain::BesideExecutable(const QString &fileName) const
{
    return PathInFolder(QFileInfo(executablePath).path(), fileName);
}

void TFmain::KeepChanges()
{
    if (!GameChanged) {
        close();
        return;
    }
    ReplaceSection(PuzzleSchema::SectionDocument, Document->SaveToText());
}

void TFmain::SB_save_okClick()
{
    // The waits let clicks through: once YES is pressed the question is answered, unless the
    // hand-over fails and the question is open again.
    SetSaveAnswersEnabled(false);
    const bool handedOver = RunShowingFailure(this, [this] {
        // The name of the file to overwrite goes into the written copy only, so that a retry
        // after a failure still writes a copy with exactly one "FILE_NAME".
        QByteArray handOver = LoadedExeImage();
        AppendSection(PuzzleSchema::SectionFileName,
                      QFile::encodeName(QFileInfo(executablePath).fileName()), handOver);
        const QString handOverPath = BesideExecutable(QLatin1String(HandOverFileName));
        // Another puzzle's pending save in this folder is finished first, never overwritten.
        if (!SettleHandOver(handOverPath, QFileInfo(executablePath).path()))
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

void TFmain::SetSaveAnswersEnabled(bool enabled)
{
    SB_save_ok->setEnabled(enabled);
    SB_save_cancel->setEnabled(enabled);
}

void TFmain::SB_save_cancelClick()
{
    close();
}

void TFmain::EndShowingFailure(const std::function<void()> &action)
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

void TFmain::FinishSaving()
{
    PageControl1->setCurrentWidget(TabSheet_saving);
    QCoreApplication::processEvents();
    // Held while the save is finished, so that no other start deletes this copy meanwhile.
    const auto lock = WaitForHandOverLock(executablePath);
    if (!lock) {
        if (!QFileInfo::exists(executablePath))
            return; // another start finished this save already
        throw std::runtime_error("Another copy of the program keeps \"tmp.exe\" busy");
    }
    Platform::Delay(300);
    const QByteArray image = LoadedExeImage();
    const QByteArray fileName = ReadSection(PuzzleSchema::SectionFileName, image);
    QString kept;
    ReportUnfinishedSave(FinishPendingSave(image, QFileInfo(executablePath).path(), &kept),
                         fileName, kept);
    const QString puzzlePath = BesideExecutable(*HandOverTarget(fileName));
    Platform::Delay(200);
    Platform::StartProgram(puzzlePath);
}

void TFmain::CleanUp()
{
    PageControl1->setCurrentWidget(TabSheet_saving);
    const QString handOverPath =
        QDir(Platform::WorkingFolder()).filePath(QLatin1String(HandOverFileName));
    // A copy still held by a running process finishes its own save.
    SettleHandOver(handOverPath, Platform::WorkingFolder());
}

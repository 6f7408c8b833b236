#include "windows/main/MainWindow.h"

#include "engine/container/ExecutablePayload.h"
#include "engine/container/KelPigger.h"
#include "engine/container/PuzzleSchema.h"
#include "engine/picture/JpegPicture.h"
#include "windows/common/Guards.h"
#include "windows/common/WindowLook.h"
#include "windows/common/WorkingFolderKeeper.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QSaveFile>
#include <QStackedWidget>
#include <QToolButton>
#include <stdexcept>

namespace
{

const QString HandOverFileName = QStringLiteral("tmp.exe");
const QString MadePuzzlesFolder = QStringLiteral("../my_puzzles");

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

// The hand-over copy writes only inside its own folder: the section must name a plain file.
QString HandOverTarget(const QByteArray &fileNameSection)
{
    const QString name = QFile::decodeName(fileNameSection);
    if (name.isEmpty() || name == QStringLiteral(".") || name == QStringLiteral("..") ||
        name.contains(u'/') || name.contains(u'\\') || fileNameSection.contains('\0'))
        throw std::runtime_error("The hand-over copy names no file of its folder");
    return name;
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
    if (QFileInfo(executablePath).fileName().toUpper() == HandOverFileName.toUpper())
        return TStartMode::FinishSaving;
    if (QFileInfo(QDir(Platform::WorkingFolder()).filePath(HandOverFileName)).isFile())
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
        RunSilently([this] { FinishSaving(); });
        break;
    case TStartMode::CleanUp:
        RunSilently([this] { CleanUp(); });
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
    const QDir workingFolder(keeper.Folder());
    const QString madePuzzles = QDir::cleanPath(workingFolder.absoluteFilePath(MadePuzzlesFolder));
    workingFolder.mkpath(madePuzzles);
    OpenDialog_browse->setDirectory(from_current_folder ? keeper.Folder() : madePuzzles);
    if (OpenDialog_browse->exec() != QDialog::Accepted)
        return;
    const QStringList chosen = OpenDialog_browse->selectedFiles();
    if (!chosen.isEmpty())
        Platform::StartProgram(chosen.first());
}

QString TFmain::BesideExecutable(const QString &fileName) const
{
    return QFileInfo(executablePath).dir().filePath(fileName);
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
        const QString handOverPath = BesideExecutable(HandOverFileName);
        WriteImageToFile(handOver, handOverPath);
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

void TFmain::FinishSaving()
{
    PageControl1->setCurrentWidget(TabSheet_saving);
    QCoreApplication::processEvents();
    Platform::Delay(300);
    const QByteArray fileName = ReadSection(PuzzleSchema::SectionFileName);
    DeleteSection(PuzzleSchema::SectionFileName);
    const QString puzzlePath = BesideExecutable(HandOverTarget(fileName));
    SaveExeAs(puzzlePath);
    Platform::Delay(200);
    Platform::StartProgram(puzzlePath);
    Platform::RequestQuit();
}

void TFmain::CleanUp()
{
    PageControl1->setCurrentWidget(TabSheet_saving);
    QFile::remove(QDir(Platform::WorkingFolder()).filePath(HandOverFileName));
    Platform::RequestQuit();
}

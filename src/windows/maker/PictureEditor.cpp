#include "windows/maker/PictureEditor.h"

#include "engine/jigsaw/DesktopColours.h"
#include "engine/picture/GraphicLoading.h"
#include "engine/picture/JpegPicture.h"
#include "engine/picture/Rotation.h"
#include "windows/common/ConfirmationWindow.h"
#include "windows/common/FileDialogs.h"
#include "windows/common/Guards.h"
#include "windows/common/KeyboardCommands.h"
#include "windows/common/MessageWindow.h"
#include "windows/common/ProgramFolders.h"
#include "windows/common/ProgramWindows.h"
#include "windows/common/UserSettings.h"
#include "windows/common/WindowLook.h"
#include "windows/common/WorkingFolderKeeper.h"
#include "windows/maker/PictureView.h"
#include "windows/maker/RotateGlyphs.h"
#include "windows/maker/ScaleDialog.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QToolButton>
#include <algorithm>
#include <optional>

namespace
{

constexpr int BottomBarHeight = 41;
constexpr int CommandColumnWidth = 176;
// Ok and Cancel keep these distances from the window's right edge.
constexpr int OkFromRight = TPictureEditor::DefaultWidth - 441;
constexpr int CancelFromRight = TPictureEditor::DefaultWidth - 525;
constexpr int ButtonTop = 7;
constexpr int ImageMargin = 14;

// Every picture type the loader takes by the dialog's patterns; metafiles and icons load when
// their name is typed.
const QStringList OpenFilters = {
    QStringLiteral("All supported (*.jpg *.jpeg *.gif *.bmp *.dib *.png *.webp)"),
    QStringLiteral("JPG, JPEG (*.jpg *.jpeg)"),
    QStringLiteral("GIF (*.gif)"),
    QStringLiteral("BMP,DIB (*.bmp *.dib)"),
    QStringLiteral("PNG (*.png)"),
    QStringLiteral("WebP (*.webp)"),
};

// The picture's size shrunk, keeping its proportions, to lie within room; its own size when it
// does already.
QSize FittedSize(QSize picture, QSize room)
{
    if (picture.isEmpty() || (picture.width() <= room.width() && picture.height() <= room.height()))
        return picture;
    return picture.scaled(room.expandedTo(QSize(1, 1)), Qt::KeepAspectRatio).expandedTo({1, 1});
}

QPushButton *MakeButton(QWidget *parent, const QString &caption, const QRect &geometry)
{
    auto *button = new QPushButton(caption, parent);
    button->setGeometry(geometry);
    return button;
}

} // namespace

TPictureEditor::TPictureEditor(QWidget *parent) : QDialog(parent)
{
    setFont(WindowLook::DialogFont());
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(DefaultWidth, DefaultHeight);

    m_pictureScroll = new QScrollArea(this);
    m_pictureScroll->setFrameStyle(QFrame::NoFrame);
    m_pictureScroll->setAlignment(Qt::AlignCenter);
    m_pictureScroll->setContextMenuPolicy(Qt::NoContextMenu);
    WindowLook::SetBackground(m_pictureScroll->viewport(), ToQColor(WorkspaceColour()));
    // The picture with its margin all round; the scroll box centres it when it is smaller.
    m_imageFrame = new QWidget;
    m_pictureView = new TPictureView(m_imageFrame);
    m_pictureView->move(ImageMargin, ImageMargin);
    connect(m_pictureView, &TPictureView::ShownSizeChanged, this, &TPictureEditor::PlaceImage);
    m_pictureScroll->setWidget(m_imageFrame);
    PlaceImage();

    m_buttonPanel = new QFrame(this);
    m_buttonPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_okButton = MakeButton(m_buttonPanel, QStringLiteral("Ok"), QRect(441, ButtonTop, 75, 25));
    m_cancelButton =
        MakeButton(m_buttonPanel, QStringLiteral("Cancel"), QRect(525, ButtonTop, 75, 25));
    m_okButton->setDefault(true);
    m_okButton->setToolTip(QStringLiteral("Use this picture (Enter)"));
    m_cancelButton->setToolTip(QStringLiteral("Keep the picture as it was (Esc)"));
    setAcceptDrops(true);
    connect(m_okButton, &QPushButton::clicked, this, &TPictureEditor::OkClicked);
    connect(m_cancelButton, &QPushButton::clicked, this, &TPictureEditor::CancelClicked);

    CreateCommands();
    CreateOpenDialog();
}

void TPictureEditor::CreateCommands()
{
    m_toolPanel = new QFrame(this);
    m_toolPanel->setFrameStyle(QFrame::NoFrame);
    m_loadFromFileButton =
        MakeButton(m_toolPanel, QStringLiteral("Load from file"), QRect(21, 7, 141, 25));
    m_pasteButton =
        MakeButton(m_toolPanel, QStringLiteral("Paste from clipboard"), QRect(21, 35, 141, 25));
    m_scaleButton = MakeButton(m_toolPanel, QStringLiteral("Scale image"), QRect(21, 63, 141, 25));
    m_rotateLeftButton = AddRotateButton(21, false);
    m_rotateRightButton = AddRotateButton(91, true);
    // A camera photo is seen whole, not as its top-left corner.
    m_fitCheckBox = new QCheckBox(QStringLiteral("Fit to window"), m_toolPanel);
    m_fitCheckBox->setGeometry(21, 135, 141, 21);
    m_fitCheckBox->setChecked(true);
    connect(m_fitCheckBox, &QCheckBox::toggled, this, &TPictureEditor::FitPicture);
    m_loadFromFileButton->setToolTip(
        QStringLiteral("Load a picture file (or drop one on this window)"));
    m_pasteButton->setToolTip(
        QStringLiteral("Use the picture on the clipboard (Ctrl+C copies the shown picture)"));
    m_scaleButton->setToolTip(QStringLiteral("View the picture smaller or larger"));
    m_rotateLeftButton->setToolTip(QStringLiteral("Rotate a quarter turn anticlockwise"));
    m_rotateRightButton->setToolTip(QStringLiteral("Rotate a quarter turn clockwise"));

    // A failing command is shown in the error box and never reaches the event loop.
    const auto handle = [this](QAbstractButton *button, void (TPictureEditor::*handler)()) {
        connect(button, &QAbstractButton::clicked, this, [this, handler] {
            RunShowingFailure(this, [this, handler] { (this->*handler)(); });
        });
    };
    handle(m_loadFromFileButton, &TPictureEditor::LoadFromFileClicked);
    handle(m_pasteButton, &TPictureEditor::PasteClicked);
    handle(m_scaleButton, &TPictureEditor::ScaleClicked);
    handle(m_rotateLeftButton, &TPictureEditor::RotateLeftClicked);
    handle(m_rotateRightButton, &TPictureEditor::RotateRightClicked);
}

QToolButton *TPictureEditor::AddRotateButton(int x, bool clockwise)
{
    auto *button = new QToolButton(m_toolPanel);
    button->setText(QStringLiteral("Rotate"));
    button->setIcon(QPixmap::fromImage(MakeRotateGlyph(clockwise, devicePixelRatioF())));
    button->setIconSize(QSize(RotateGlyphSize, RotateGlyphSize));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    button->setGeometry(x, 98, 71, 29);
    // The clockwise button has its glyph right of the caption.
    if (clockwise)
        button->setLayoutDirection(Qt::RightToLeft);
    return button;
}

void TPictureEditor::CreateOpenDialog()
{
    m_openDialog = NewFileDialog(this);
    m_openDialog->setNameFilters(OpenFilters);
    m_openDialog->setFileMode(QFileDialog::ExistingFile);
    m_openDialog->setAcceptMode(QFileDialog::AcceptOpen);
    m_openDialog->setDirectory(TUserSettings().PictureFolder(PictureSourcesFolder()));
}

void TPictureEditor::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    const int w = width();
    const int h = height();
    const int upperHeight = std::max(0, h - BottomBarHeight);
    m_buttonPanel->setGeometry(0, upperHeight, w, BottomBarHeight);
    m_toolPanel->setGeometry(w - CommandColumnWidth, 0, CommandColumnWidth, upperHeight);
    m_pictureScroll->setGeometry(0, 0, std::max(0, w - CommandColumnWidth), upperHeight);
    m_okButton->move(w - OkFromRight, ButtonTop);
    m_cancelButton->move(w - CancelFromRight, ButtonTop);
    FitPicture();
}

void TPictureEditor::FitPicture()
{
    if (m_fitCheckBox == nullptr) // a resize while the window is being made
        return;
    if (!m_fitCheckBox->isChecked()) {
        m_pictureView->ShowRealSize();
        return;
    }
    const QSize room = m_pictureScroll->size() - QSize(2 * ImageMargin, 2 * ImageMargin);
    const QSize picture = m_pictureView->Picture().size();
    const QSize fitted = FittedSize(picture, room);
    if (fitted == picture)
        m_pictureView->ShowRealSize();
    else
        m_pictureView->ShowStretched(fitted);
}

void TPictureEditor::PlaceImage()
{
    m_imageFrame->resize(m_pictureView->size() + QSize(2 * ImageMargin, 2 * ImageMargin));
}

bool TPictureEditor::EditPicture(TJpegPicture &picture, const QString &caption,
                                 const QString &startFile, const TEditedPicture &edited)
{
    setWindowTitle(caption);
    m_callersPicture = &picture;
    m_editedPicture = edited;
    ShowPicture();
    m_edited = false;
    m_accepted = false;
    m_loadFromFileButton->setFocus(); // the keyboard starts where a mouse user would
    if (!startFile.isEmpty())
        QMetaObject::invokeMethod(
            this,
            [this, startFile] {
                RunShowingFailure(this, [this, &startFile] { LoadPictureFile(startFile); });
            },
            Qt::QueuedConnection); // once the window shows, so its messages sit over it
    exec();
    if (m_accepted)
        StorePicture();
    m_callersPicture = nullptr;
    return m_accepted && m_edited;
}

void TPictureEditor::ShowPicture()
{
    QImage blank(1, 1, QImage::Format_RGB32);
    blank.fill(Qt::white);
    m_pictureView->SetPicture(blank);
    RunSilently([this] {
        const QImage decoded = m_callersPicture->ToBitmap();
        if (!decoded.isNull())
            m_pictureView->SetPicture(decoded);
    });
    FitPicture();
}

void TPictureEditor::StorePicture()
{
    RunSilently([this] { m_callersPicture->Assign(m_pictureView->Picture()); });
}

void TPictureEditor::OkClicked()
{
    m_accepted = true;
    accept();
}

void TPictureEditor::LoadFromFileClicked()
{
    const TWorkingFolderKeeper keeper;
    if (m_openDialog->exec() != QDialog::Accepted)
        return;
    const QStringList chosen = m_openDialog->selectedFiles();
    if (chosen.isEmpty())
        return;
    TUserSettings().SetPictureFolderOf(chosen.first());
    LoadPictureFile(chosen.first());
}

void TPictureEditor::LoadPictureFile(const QString &fileName)
{
    m_pictureView->ShowRealSize();
    TLoadedGraphic loaded;
    {
        // A missing file gives none at once, without the cursor flickering.
        std::optional<TBusyCursor> busy;
        if (QFileInfo(fileName).isFile())
            busy.emplace();
        loaded = LoadGraphic(fileName, MemoryLeftBeside(m_editedPicture.heldBeside));
    }
    m_pictureView->SetPicture(loaded.bitmap); // none leaves an empty picture
    m_edited = true;
    FitPicture();
    // A picture brought in is most often the one wanted: Enter then takes it.
    if (!loaded.bitmap.isNull())
        m_okButton->setFocus();
    if (loaded.refusal && ProgramWindows().messageWindow)
        ProgramWindows().messageWindow->ShowText(
            RefusalMessage(*loaded.refusal, m_editedPicture.role));
}

void TPictureEditor::PasteClicked()
{
    const QImage pasted = QGuiApplication::clipboard()->image();
    if (pasted.isNull()) {
        if (ProgramWindows().messageWindow)
            ProgramWindows().messageWindow->ShowText(
                QStringLiteral("Sorry, can't paste clipboard content as a picture."));
        return;
    }
    if (!ProgramWindows().confirmationWindow ||
        !ProgramWindows().confirmationWindow->Ask(QStringLiteral("Paste from clipboard ?")))
        return;
    m_pictureView->ShowRealSize();
    m_pictureView->SetPicture(pasted);
    m_edited = true;
    FitPicture();
}

void TPictureEditor::ScaleClicked()
{
    if (!ProgramWindows().scaleDialog)
        return;
    if (ProgramWindows().scaleDialog->ScaleView(m_pictureView, true))
        m_edited = true;
    // A scale chosen for viewing replaces the fit; a resampled picture is fitted anew.
    if (m_pictureView->IsStretched()) {
        const QSignalBlocker keepTheView(m_fitCheckBox);
        m_fitCheckBox->setChecked(false);
    } else
        FitPicture();
}

void TPictureEditor::RotatePicture(bool clockwise)
{
    m_edited = true;
    const TBusyCursor busy;
    QImage copy = m_pictureView->Picture();
    QImage turned;
    if (clockwise)
        RotateBitmapCW(copy, turned);
    else
        RotateBitmapCCW(copy, turned);
    copy = QImage(); // the copy goes before the turned picture takes its display form
    // A view scaled by the scale dialog stays at its scale, turned with the picture.
    if (m_pictureView->IsStretched())
        m_pictureView->ShowStretched(m_pictureView->size().transposed());
    m_pictureView->SetPicture(turned);
    if (m_fitCheckBox->isChecked())
        FitPicture();
}

void TPictureEditor::CopyPicture()
{
    // An empty picture is no bitmap: the clipboard keeps what it holds.
    if (!m_pictureView->Picture().isNull())
        QGuiApplication::clipboard()->setImage(m_pictureView->Picture());
}

void TPictureEditor::CancelClicked()
{
    reject();
}

void TPictureEditor::keyPressEvent(QKeyEvent *event)
{
    HandleKey(event);
}

void TPictureEditor::HandleKey(QKeyEvent *event)
{
    // Ctrl+C copies, whatever other modifier keys are held; Enter and Esc are the dialog's.
    if (event->key() == Qt::Key_C && event->modifiers().testFlag(Qt::ControlModifier))
        RunShowingFailure(this, [this] { CopyPicture(); });
    else
        QDialog::keyPressEvent(event);
}

void TPictureEditor::dragEnterEvent(QDragEnterEvent *event)
{
    if (!DroppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TPictureEditor::dropEvent(QDropEvent *event)
{
    const QString file = DroppedFile(event->mimeData());
    if (file.isEmpty())
        return;
    event->acceptProposedAction();
    RunShowingFailure(this, [this, &file] { LoadPictureFile(file); });
}

bool EditPictureInNewEditor(TJpegPicture &picture, const QString &caption, QWidget *parent,
                            const QString &startFile, const TEditedPicture &edited)
{
    TPictureEditor editor(parent);
    return editor.EditPicture(picture, caption, startFile, edited);
}

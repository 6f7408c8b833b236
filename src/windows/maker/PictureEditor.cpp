#include "windows/maker/PictureEditor.h"

#include "engine/jigsaw/DesktopColours.h"
#include "engine/picture/GraphicLoading.h"
#include "engine/picture/JpegPicture.h"
#include "engine/picture/Rotation.h"
#include "windows/common/ConfirmationWindow.h"
#include "windows/common/Guards.h"
#include "windows/common/MainState.h"
#include "windows/common/MessageWindow.h"
#include "windows/common/ProgramFolders.h"
#include "windows/common/WindowInstances.h"
#include "windows/common/WindowLook.h"
#include "windows/common/WorkingFolderKeeper.h"
#include "windows/maker/PictureView.h"
#include "windows/maker/RotateGlyphs.h"
#include "windows/maker/ScaleDialog.h"

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QToolButton>
#include <algorithm>
#include <optional>

namespace
{

constexpr int BottomBarHeight = 41;
constexpr int CommandColumnWidth = 176;
// Ok and Cancel keep these distances from the window's right edge.
constexpr int OkFromRight = TF_picture_mgm::DefaultWidth - 441;
constexpr int CancelFromRight = TF_picture_mgm::DefaultWidth - 525;
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

QPushButton *MakeButton(QWidget *parent, const QString &caption, const QRect &geometry)
{
    auto *button = new QPushButton(caption, parent);
    button->setGeometry(geometry);
    // Keys other than Ctrl+C do nothing in this window; Enter is not a shortcut for a button.
    button->setAutoDefault(false);
    return button;
}

} // namespace

TF_picture_mgm::TF_picture_mgm(QWidget *parent) : QDialog(parent)
{
    setFont(WindowLook::DialogFont());
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(DefaultWidth, DefaultHeight);

    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setFrameStyle(QFrame::NoFrame);
    ScrollBox1->setAlignment(Qt::AlignCenter);
    ScrollBox1->setContextMenuPolicy(Qt::NoContextMenu);
    WindowLook::SetBackground(ScrollBox1->viewport(), ToQColor(WorkspaceColour()));
    // The picture with its margin all round; the scroll box centres it when it is smaller.
    imageFrame = new QWidget;
    Image1 = new TPictureView(imageFrame);
    Image1->move(ImageMargin, ImageMargin);
    connect(Image1, &TPictureView::ShownSizeChanged, this, &TF_picture_mgm::PlaceImage);
    ScrollBox1->setWidget(imageFrame);
    PlaceImage();

    Panel1 = new QFrame(this);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    btn_ok = MakeButton(Panel1, QStringLiteral("Ok"), QRect(441, ButtonTop, 75, 25));
    btn_cancel = MakeButton(Panel1, QStringLiteral("Cancel"), QRect(525, ButtonTop, 75, 25));
    connect(btn_ok, &QPushButton::clicked, this, &TF_picture_mgm::btn_okClick);
    connect(btn_cancel, &QPushButton::clicked, this, &TF_picture_mgm::btn_cancelClick);

    CreateCommands();
    FormCreate();
}

void TF_picture_mgm::CreateCommands()
{
    Panel2 = new QFrame(this);
    Panel2->setFrameStyle(QFrame::NoFrame);
    btn_load_from_file =
        MakeButton(Panel2, QStringLiteral("Load from file"), QRect(21, 7, 141, 25));
    btn_paste = MakeButton(Panel2, QStringLiteral("Paste from clipboard"), QRect(21, 35, 141, 25));
    btn_scale = MakeButton(Panel2, QStringLiteral("Scale image"), QRect(21, 63, 141, 25));
    SB_r_l = AddRotateButton(21, false);
    SB_r_r = AddRotateButton(91, true);

    // A failing command is shown in the error box and never reaches the event loop.
    const auto handle = [this](QAbstractButton *button, void (TF_picture_mgm::*handler)()) {
        connect(button, &QAbstractButton::clicked, this, [this, handler] {
            RunShowingFailure(this, [this, handler] { (this->*handler)(); });
        });
    };
    handle(btn_load_from_file, &TF_picture_mgm::btn_load_from_fileClick);
    handle(btn_paste, &TF_picture_mgm::btn_pasteClick);
    handle(btn_scale, &TF_picture_mgm::btn_scaleClick);
    handle(SB_r_l, &TF_picture_mgm::SB_r_lClick);
    handle(SB_r_r, &TF_picture_mgm::SB_r_rClick);
}

QToolButton *TF_picture_mgm::AddRotateButton(int x, bool clockwise)
{
    auto *button = new QToolButton(Panel2);
    button->setText(QStringLiteral("Rotate"));
    button->setIcon(QPixmap::fromImage(MakeRotateGlyph(clockwise)));
    button->setIconSize(QSize(RotateGlyphSize, RotateGlyphSize));
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    button->setGeometry(x, 98, 71, 29);
    // The clockwise button has its glyph right of the caption.
    if (clockwise)
        button->setLayoutDirection(Qt::RightToLeft);
    return button;
}

void TF_picture_mgm::FormCreate()
{
    OpenDialog1 = new QFileDialog(this);
    OpenDialog1->setNameFilters(OpenFilters);
    OpenDialog1->setFileMode(QFileDialog::ExistingFile);
    OpenDialog1->setAcceptMode(QFileDialog::AcceptOpen);
    OpenDialog1->setDirectory(PictureSourcesFolder());
}

void TF_picture_mgm::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    const int w = width();
    const int h = height();
    const int upperHeight = std::max(0, h - BottomBarHeight);
    Panel1->setGeometry(0, upperHeight, w, BottomBarHeight);
    Panel2->setGeometry(w - CommandColumnWidth, 0, CommandColumnWidth, upperHeight);
    ScrollBox1->setGeometry(0, 0, std::max(0, w - CommandColumnWidth), upperHeight);
    btn_ok->move(w - OkFromRight, ButtonTop);
    btn_cancel->move(w - CancelFromRight, ButtonTop);
}

void TF_picture_mgm::PlaceImage()
{
    imageFrame->resize(Image1->size() + QSize(2 * ImageMargin, 2 * ImageMargin));
}

bool TF_picture_mgm::EditPicture(TJPEGImage &picture, const QString &caption)
{
    setWindowTitle(caption);
    callersPicture = &picture;
    ShowPicture();
    edited = false;
    accepted = false;
    exec();
    if (accepted)
        StorePicture();
    callersPicture = nullptr;
    return accepted && edited;
}

void TF_picture_mgm::ShowPicture()
{
    QImage blank(1, 1, QImage::Format_RGB32);
    blank.fill(Qt::white);
    Image1->SetPicture(blank);
    RunSilently([this] {
        const QImage decoded = callersPicture->ToBitmap();
        if (!decoded.isNull())
            Image1->SetPicture(decoded);
    });
}

void TF_picture_mgm::StorePicture()
{
    RunSilently([this] { callersPicture->Assign(Image1->Picture()); });
}

void TF_picture_mgm::btn_okClick()
{
    accepted = true;
    accept();
}

void TF_picture_mgm::btn_load_from_fileClick()
{
    const TWorkingFolderKeeper keeper;
    if (OpenDialog1->exec() != QDialog::Accepted)
        return;
    const QStringList chosen = OpenDialog1->selectedFiles();
    if (!chosen.isEmpty())
        LoadPictureFile(chosen.first());
}

void TF_picture_mgm::LoadPictureFile(const QString &fileName)
{
    Image1->ShowRealSize();
    QImage loaded;
    {
        // A missing file gives none at once, without the cursor flickering.
        std::optional<TBusyCursor> busy;
        if (QFileInfo(fileName).isFile())
            busy.emplace();
        loaded = LoadGraphicAsBitmap(fileName);
    }
    Image1->SetPicture(loaded); // none leaves an empty picture
    edited = true;
}

void TF_picture_mgm::btn_pasteClick()
{
    const QImage pasted = QGuiApplication::clipboard()->image();
    if (pasted.isNull()) {
        if (Dmsg)
            Dmsg->ShowText(QStringLiteral("Sorry, can't paste clipboard content as a picture."));
        return;
    }
    if (!Fsure || !Fsure->Ask(QStringLiteral("Paste from clipboard ?")))
        return;
    Image1->ShowRealSize();
    Image1->SetPicture(pasted);
    edited = true;
}

void TF_picture_mgm::btn_scaleClick()
{
    if (D_scale_image)
        D_scale_image->ScaleView(Image1, true);
}

void TF_picture_mgm::RotatePicture(bool clockwise)
{
    edited = true;
    const TBusyCursor busy;
    QImage copy = Image1->Picture();
    QImage turned;
    if (clockwise)
        RotateBitmapCW(copy, turned);
    else
        RotateBitmapCCW(copy, turned);
    copy = QImage(); // the copy goes before the turned picture takes its display form
    // A view scaled by the scale dialog stays at its scale, turned with the picture.
    if (Image1->IsStretched())
        Image1->ShowStretched(Image1->size().transposed());
    Image1->SetPicture(turned);
}

void TF_picture_mgm::CopyPicture()
{
    // An empty picture is no bitmap: the clipboard keeps what it holds.
    if (!Image1->Picture().isNull())
        QGuiApplication::clipboard()->setImage(Image1->Picture());
}

void TF_picture_mgm::btn_cancelClick()
{
    reject();
}

void TF_picture_mgm::keyPressEvent(QKeyEvent *event)
{
    FormKeyDown(event);
}

void TF_picture_mgm::FormKeyDown(QKeyEvent *event)
{
    // Ctrl+C copies, whatever other modifier keys are held; no other key does anything here
    // (not even Esc or Enter, which would close a dialog).
    if (event->key() == Qt::Key_C && event->modifiers().testFlag(Qt::ControlModifier))
        RunShowingFailure(this, [this] { CopyPicture(); });
}

TOpenPictureEditor::TOpenPictureEditor(QWidget *parent)
    : editor(std::make_unique<TF_picture_mgm>(parent))
{
    if (MainState)
        MainState->CurrentEditor = editor.get();
}

TOpenPictureEditor::~TOpenPictureEditor()
{
    if (MainState && MainState->CurrentEditor == editor.get())
        MainState->CurrentEditor = nullptr;
}

bool EditPictureInNewEditor(TJPEGImage &picture, const QString &caption, QWidget *parent)
{
    TOpenPictureEditor open(parent);
    return open.Editor().EditPicture(picture, caption);
}

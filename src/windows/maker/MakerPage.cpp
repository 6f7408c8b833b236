#include "windows/maker/MakerPage.h"

#include "engine/container/ExecutablePayload.h"
#include "engine/container/PuzzleExecutable.h"
#include "engine/picture/JpegPicture.h"
#include "platform/Platform.h"
#include "windows/common/AboutWindow.h"
#include "windows/common/ClickableLabel.h"
#include "windows/common/ConfirmationWindow.h"
#include "windows/common/Guards.h"
#include "windows/common/MainState.h"
#include "windows/common/MakerMark.h"
#include "windows/common/ProgramFolders.h"
#include "windows/common/ShapeWidget.h"
#include "windows/common/WindowInstances.h"
#include "windows/common/WindowLook.h"
#include "windows/maker/MakerBanner.h"
#include "windows/maker/PictureEditor.h"
#include "windows/maker/PropertiesDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QRadioButton>
#include <QToolButton>

using namespace WindowLook;

namespace
{

constexpr int PageWidth = 738;
constexpr int PageHeight = 412;
constexpr int BottomHeight = 110;
constexpr int ThumbnailMargin = 8;
const QString RunItQuestion =
    QStringLiteral("New puzzle game has been created.\nDo you want to run it now?");

QFrame *MakePanel(QWidget *parent, const QRect &geometry, const QColor &colour)
{
    auto *panel = new QFrame(parent);
    panel->setGeometry(geometry);
    SetBackground(panel, colour);
    return panel;
}

TShapeWidget *MakeOutline(QWidget *parent, const QRect &geometry, const QBrush &brush)
{
    auto *shape = new TShapeWidget(parent, TShapeWidget::TKind::Rectangle, geometry, brush);
    shape->SetOutline(Qt::white, 2);
    return shape;
}

QToolButton *MakeCommandButton(QWidget *parent, const QRect &geometry, const QString &caption)
{
    auto *button = new QToolButton(parent);
    button->setGeometry(geometry);
    button->setText(caption);
    button->setAutoRaise(true);
    button->setFont(ArialFont(11, true));
    button->setFocusPolicy(Qt::NoFocus);
    SetTextColour(button, Qt::white);
    return button;
}

TClickableLabel *MakeStepLabel(QWidget *parent, int x, int y, const QString &text, int pixelSize,
                               bool bold)
{
    auto *label = new TClickableLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(ArialFont(pixelSize, bold));
    SetTextColour(label, Qt::white);
    label->move(x, y);
    SetLabelText(label, text);
    return label;
}

} // namespace

TMakerPage::TMakerPage(TMainState &state, QWidget *parent)
    : QWidget(parent), state(state),
      editPicture([this](TJPEGImage &picture, const QString &caption) {
          return EditPictureInNewEditor(picture, caption, this);
      })
{
    resize(PageWidth, PageHeight);
    CreateBannerPanel();
    CreateThumbnailPanel();
    CreateBottomPanel();
    CreateSaveDialog();
}

void TMakerPage::SetPictureEditing(TPictureEditing editing)
{
    editPicture = std::move(editing);
}

void TMakerPage::CreateBannerPanel()
{
    Panel_new = MakePanel(this, QRect(0, 0, PageWidth, PageHeight - BottomHeight), Pale);
    Shape6 = new TShapeWidget(Panel_new, TShapeWidget::TKind::Rectangle,
                              QRect(0, 0, PageWidth, 110), Dark);
    Image1 = new QLabel(Panel_new);
    Image1->setPixmap(QPixmap::fromImage(MakerBanner()));
    Image1->setGeometry(14, 0, BannerWidth, BannerHeight);
    Label1 = MakeLabel(Panel_new, 580, 14, QStringLiteral("Tessalune"), ArialFont(21, true, true),
                       Qt::white);
    Shape5 = new TShapeWidget(Panel_new, TShapeWidget::TKind::Rectangle, QRect(259, 63, 463, 36),
                              QBrush(Bright, Qt::HorPattern));
    Label5 = new TClickableLabel(Panel_new);
    Label5->setTextFormat(Qt::PlainText);
    Label5->setFont(ArialFont(11));
    SetTextColour(Label5, Qt::white);
    Label5->move(658, 91);
    Label5->setCursor(Qt::PointingHandCursor);
    SetLabelText(Label5, MakerMark::VersionLabel());
    connect(Label5, &TClickableLabel::Clicked, this, &TMakerPage::Label5Click);
}

void TMakerPage::CreateThumbnailPanel()
{
    Panel_img = MakePanel(Panel_new, QRect(21, 120, 218, 182), QColor(192, 192, 192));
    Panel_img->hide();
    Image_demo = new QLabel(Panel_img);
    Image_demo->setGeometry(0, 0, 16, 16);
    Image_demo->setScaledContents(true);
    RB_src_picture = new QRadioButton(
        QStringLiteral("Source picture (click Step 1 again if you want to change it)"), Panel_new);
    RB_src_picture->setGeometry(273, 126, 379, 17);
    RB_src_picture->setChecked(true);
    RB_src_picture->hide();
    RB_premium_picture = new QRadioButton(
        QStringLiteral(
            "Alternative picture for solved puzzle (click Step 2 again if you want to change it)"),
        Panel_new);
    RB_premium_picture->setGeometry(273, 147, 435, 17);
    RB_premium_picture->hide();
    for (QRadioButton *button : {RB_src_picture, RB_premium_picture})
        connect(button, &QRadioButton::clicked, this,
                [this] { RunShowingFailure(this, [this] { RB_thumbnail_click(); }); });
}

void TMakerPage::CreateBottomPanel()
{
    Panel_bottom =
        MakePanel(this, QRect(0, PageHeight - BottomHeight, PageWidth, BottomHeight), Medium);
    Shape4 = MakeOutline(Panel_bottom, QRect(19, 20, 220, 72), Dark);
    Shape9 = MakeOutline(Panel_bottom, QRect(19, 43, 220, 26), Qt::NoBrush);
    SB_browse = MakeCommandButton(Panel_bottom, QRect(22, 21, 215, 22),
                                  QStringLiteral("BROWSE \"MY PUZZLES\"  FOLDER"));
    connect(SB_browse, &QToolButton::clicked, this, &TMakerPage::SB_browseClick);
    SB_about = MakeCommandButton(Panel_bottom, QRect(22, 44, 215, 23), QStringLiteral("ABOUT"));
    connect(SB_about, &QToolButton::clicked, this, &TMakerPage::SB_aboutClick);
    SB_exit = MakeCommandButton(Panel_bottom, QRect(22, 68, 215, 22), QStringLiteral("EXIT"));
    connect(SB_exit, &QToolButton::clicked, this, &TMakerPage::SB_exitClick);

    Shape1 = MakeOutline(Panel_bottom, QRect(432, 20, 89, 72), Medium);
    Label_1 = MakeStepLabel(Panel_bottom, 443, 34, QStringLiteral("STEP 1:"), 13, true);
    Label_1_ =
        MakeStepLabel(Panel_bottom, 445, 50, QStringLiteral("set source \r\ngraphic"), 11, false);
    Shape2 = MakeOutline(Panel_bottom, QRect(530, 20, 89, 72), Medium);
    Label_2 = MakeStepLabel(Panel_bottom, 541, 34, QStringLiteral("STEP 2:"), 13, true);
    Label_2_ = MakeStepLabel(Panel_bottom, 543, 50, QStringLiteral("set puzzle \r\nproperties"), 11,
                             false);
    Shape3 = MakeOutline(Panel_bottom, QRect(628, 20, 89, 72), Medium);
    Label_3 = MakeStepLabel(Panel_bottom, 639, 34, QStringLiteral("STEP 3:"), 13, true);
    // A label shows "&" as it stands; the doubled ampersand of the layout meant one.
    Label_3_ = MakeStepLabel(Panel_bottom, 641, 50, QStringLiteral("make & save \r\nnew puzzle"),
                             11, false);
}

void TMakerPage::CreateSaveDialog()
{
    SaveDialog1 = new QFileDialog(this);
    SaveDialog1->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog1->setFileMode(QFileDialog::AnyFile);
    SaveDialog1->setDefaultSuffix(QStringLiteral("exe"));
    SaveDialog1->setNameFilters(
        {QStringLiteral("Executable files (*.exe)"), QStringLiteral("All files (*)")});
    SaveDialog1->setSizeGripEnabled(true);
}

void TMakerPage::SetStep(int step)
{
    TClickableLabel *const titles[] = {Label_1, Label_2, Label_3};
    TClickableLabel *const captions[] = {Label_1_, Label_2_, Label_3_};
    TShapeWidget *const boxes[] = {Shape1, Shape2, Shape3};
    for (int i = 0; i < 3; ++i) {
        boxes[i]->SetBrush(Medium);
        for (TClickableLabel *label : {titles[i], captions[i]}) {
            label->unsetCursor();
            disconnect(label, &TClickableLabel::Clicked, this, nullptr);
        }
    }
    Panel_img->hide();
    RB_src_picture->hide();
    RB_premium_picture->hide();
    state.Step = step;
    if (step < 1 || step > 3)
        return;
    for (int i = 0; i < step; ++i)
        MakeStepClickable(titles[i], captions[i]);
    boxes[step - 1]->SetBrush(Dark);
    if (step >= 2) {
        Panel_img->show();
        RB_src_picture->show();
    }
    if (step == 3)
        RB_premium_picture->show();
}

void TMakerPage::MakeStepClickable(TClickableLabel *title, TClickableLabel *caption)
{
    for (TClickableLabel *label : {title, caption}) {
        label->setCursor(Qt::PointingHandCursor);
        connect(label, &TClickableLabel::Clicked, this, [this, title] { step_click(title); });
    }
}

void TMakerPage::step_click(TClickableLabel *sender)
{
    // A failure shows its message and leaves the wizard at its step.
    RunShowingFailure(this, [this, sender] { RunStep(sender); });
}

void TMakerPage::RunStep(TClickableLabel *sender)
{
    if (sender == Label_1) {
        ChooseSourcePicture();
        SetStep(state.SourceChosen ? 2 : 1);
    } else if (sender == Label_2) {
        if (EditProperties())
            SetStep(3);
    } else if (sender == Label_3) {
        if (SaveNewPuzzle())
            OfferToRun(SaveDialog1->selectedFiles().value(0));
    }
}

bool TMakerPage::ChooseSourcePicture()
{
    bool changed = false;
    try {
        changed = editPicture(*state.SourcePicture, QStringLiteral("Source picture"));
        if (changed) {
            // A file that failed to load leaves no picture: nothing to make a puzzle of.
            state.SourceChosen = !state.SourcePicture->Empty();
            ShowThumbnail();
        }
    } catch (...) {
        // Showing the thumbnail decodes a picture and may fail itself, so this is not left
        // to a destructor.
        SelectSourcePicture();
        throw;
    }
    SelectSourcePicture();
    return changed;
}

void TMakerPage::SelectSourcePicture()
{
    if (RB_src_picture->isChecked())
        return;
    RB_src_picture->setChecked(true);
    RB_thumbnail_click();
}

bool TMakerPage::EditProperties()
{
    bool use = false;
    const bool done = D_puzzle_props->RunProperties(state.SourcePicture.get(), state.Document.get(),
                                                    state.AlternativePicture.get(), use);
    SetPremiumAvailable(use);
    return done;
}

void TMakerPage::SetPremiumAvailable(bool flag)
{
    state.UseAlternativePicture = flag;
    if (RB_premium_picture->isChecked() && !flag)
        SelectSourcePicture();
    RB_premium_picture->setEnabled(flag);
    // A new alternative picture replaces the one shown.
    if (RB_premium_picture->isChecked())
        ShowThumbnail();
}

void TMakerPage::RB_thumbnail_click()
{
    ShowThumbnail();
}

void TMakerPage::ShowThumbnail()
{
    const TJPEGImage &picture =
        RB_src_picture->isChecked() ? *state.SourcePicture : *state.AlternativePicture;
    Image_demo->setPixmap(QPixmap::fromImage(picture.ToBitmap()));
    FitImage(Image_demo, Panel_img->height() - ThumbnailMargin,
             Panel_img->width() - ThumbnailMargin);
    Image_demo->move((Panel_img->width() - Image_demo->width()) / 2,
                     (Panel_img->height() - Image_demo->height()) / 2);
}

void TMakerPage::FitImage(QLabel *image, int boxHeight, int boxWidth)
{
    const QPixmap picture = image->pixmap();
    const double w = picture.width(), h = picture.height();
    if (w <= 0 || h <= 0 || boxHeight <= 0 || boxWidth <= 0 || image->width() == 0) {
        image->resize(1, 1);
        return;
    }
    if (double(boxHeight) / boxWidth > h / w)
        image->resize(boxWidth, int(boxWidth / (w / h)));
    else
        image->resize(int(boxHeight / (h / w)), boxHeight);
}

bool TMakerPage::SaveNewPuzzle()
{
    SaveDialog1->setDirectory(MadePuzzlesFolder());
    if (SaveDialog1->exec() != QDialog::Accepted || SaveDialog1->selectedFiles().isEmpty())
        return false;
    WritePuzzleExecutable(WritePuzzlePayload(), SaveDialog1->selectedFiles().first());
    return true;
}

QByteArray TMakerPage::WritePuzzlePayload() const
{
    return WithPuzzleSections(
        LoadedExeImage(), *state.SourcePicture,
        state.UseAlternativePicture ? state.AlternativePicture.get() : nullptr, *state.Document);
}

void TMakerPage::OfferToRun(const QString &puzzle)
{
    if (Fsure->Ask(RunItQuestion)) {
        RunShowingFailure(this, [&puzzle] { Platform::StartProgram(puzzle); });
    }
    window()->close();
}

void TMakerPage::SB_browseClick()
{
    emit BrowsePuzzlesRequested();
}

void TMakerPage::SB_aboutClick()
{
    Fabout->ShowProgramAbout();
}

void TMakerPage::SB_exitClick()
{
    window()->close();
}

void TMakerPage::Label5Click()
{
    Fabout->OpenLink(MakerMark::WebAddress());
}

#include "windows/maker/MakerPage.h"

#include "engine/container/ExecutablePayload.h"
#include "engine/container/PuzzleExecutable.h"
#include "engine/container/PuzzleFile.h"
#include "engine/container/WebPagePuzzle.h"
#include "engine/picture/GraphicLoading.h"
#include "engine/picture/JpegPicture.h"
#include "platform/Platform.h"
#include "windows/common/AboutWindow.h"
#include "windows/common/ClickableLabel.h"
#include "windows/common/ConfirmationWindow.h"
#include "windows/common/FileDialogs.h"
#include "windows/common/Guards.h"
#include "windows/common/KeyboardCommands.h"
#include "windows/common/MakerMark.h"
#include "windows/common/MakerSession.h"
#include "windows/common/ProgramFolders.h"
#include "windows/common/ProgramWindows.h"
#include "windows/common/ShapeWidget.h"
#include "windows/common/UserSettings.h"
#include "windows/common/WindowLook.h"
#include "windows/maker/MakerBanner.h"
#include "windows/maker/PictureEditor.h"
#include "windows/maker/PropertiesDialog.h"

#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPixmap>
#include <QRadioButton>
#include <QToolButton>
#include <iterator>

using namespace WindowLook;

namespace
{

constexpr int PageWidth = 738;
constexpr int PageHeight = 412;
constexpr int BottomHeight = 110;
constexpr int ThumbnailMargin = 8;
// Names the written file, so that "No" does not leave the user wondering where it went.
QString RunItQuestion(const QString &puzzle)
{
    // A zero-width space after each separator lets a long path wrap in the question's box.
    QString shown = QDir::toNativeSeparators(QFileInfo(puzzle).absoluteFilePath());
    shown.replace(QDir::separator(), QString(QDir::separator()) + QChar(0x200B));
    return QStringLiteral("New puzzle game has been created.\n%1\n\nDo you want to run it now?")
        .arg(shown);
}

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
    button->setFocusPolicy(Qt::StrongFocus);
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

TMakerPage::TMakerPage(TMakerSession &state, QWidget *parent, const QString &portableProgram)
    : QWidget(parent), m_state(state),
      m_editPicture([this](TJpegPicture &picture, const TEditedPicture &edited,
                           const QString &caption, const QString &file) {
          return EditPictureInNewEditor(picture, caption, this, file, edited);
      }),
      m_portableProgram(portableProgram)
{
    resize(PageWidth, PageHeight);
    setAcceptDrops(true);
    CreateBannerPanel();
    CreateThumbnailPanel();
    CreateBottomPanel();
}

void TMakerPage::SetPictureEditing(TPictureEditing editing)
{
    m_editPicture = std::move(editing);
}

void TMakerPage::CreateBannerPanel()
{
    m_bannerPanel = MakePanel(this, QRect(0, 0, PageWidth, PageHeight - BottomHeight), Pale);
    m_bannerBackground = new TShapeWidget(m_bannerPanel, TShapeWidget::TKind::Rectangle,
                                          QRect(0, 0, PageWidth, 110), Dark);
    m_bannerImage = new QLabel(m_bannerPanel);
    m_bannerImage->setPixmap(QPixmap::fromImage(MakerBanner(devicePixelRatioF())));
    m_bannerImage->setGeometry(14, 0, BannerWidth, BannerHeight);
    m_titleLabel = MakeLabel(m_bannerPanel, 580, 14, QStringLiteral("Tessalune"),
                             ArialFont(21, true, true), Qt::white);
    m_versionStripe = new TShapeWidget(m_bannerPanel, TShapeWidget::TKind::Rectangle,
                                       QRect(259, 63, 463, 36), QBrush(Bright, Qt::HorPattern));
    m_versionLabel = new TClickableLabel(m_bannerPanel);
    m_versionLabel->setTextFormat(Qt::PlainText);
    m_versionLabel->setFont(ArialFont(11));
    SetTextColour(m_versionLabel, Qt::white);
    m_versionLabel->move(658, 91);
    m_versionLabel->setCursor(Qt::PointingHandCursor);
    m_versionLabel->SetKeyboardReachable(true);
    m_versionLabel->setToolTip(QStringLiteral("Open the maker's website (Enter)"));
    SetLabelText(m_versionLabel, MakerMark::VersionLabel());
    connect(m_versionLabel, &TClickableLabel::Clicked, this, &TMakerPage::VersionClicked);
}

void TMakerPage::CreateThumbnailPanel()
{
    m_thumbnailPanel = MakePanel(m_bannerPanel, QRect(21, 120, 218, 182), QColor(192, 192, 192));
    m_thumbnailPanel->hide();
    m_thumbnailImage = new QLabel(m_thumbnailPanel);
    m_thumbnailImage->setGeometry(0, 0, 16, 16);
    m_thumbnailImage->setScaledContents(true);
    m_sourcePictureRadio = new QRadioButton(
        QStringLiteral("Source picture (click Step 1 again if you want to change it)"),
        m_bannerPanel);
    m_sourcePictureRadio->setGeometry(273, 126, 379, 17);
    m_sourcePictureRadio->setChecked(true);
    m_sourcePictureRadio->hide();
    m_alternativePictureRadio = new QRadioButton(
        QStringLiteral(
            "Alternative picture for solved puzzle (click Step 2 again if you want to change it)"),
        m_bannerPanel);
    m_alternativePictureRadio->setGeometry(273, 147, 435, 17);
    m_alternativePictureRadio->hide();
    for (QRadioButton *button : {m_sourcePictureRadio, m_alternativePictureRadio})
        connect(button, &QRadioButton::clicked, this,
                [this] { RunShowingFailure(this, [this] { ThumbnailChoiceClicked(); }); });
}

void TMakerPage::CreateBottomPanel()
{
    m_commandPanel =
        MakePanel(this, QRect(0, PageHeight - BottomHeight, PageWidth, BottomHeight), Medium);
    m_commandFrame = MakeOutline(m_commandPanel, QRect(19, 20, 220, 72), Dark);
    m_aboutFrame = MakeOutline(m_commandPanel, QRect(19, 43, 220, 26), Qt::NoBrush);
    m_browseButton = MakeCommandButton(m_commandPanel, QRect(22, 21, 215, 22),
                                       QStringLiteral("BROWSE \"MY PUZZLES\"  FOLDER"));
    m_browseButton->setToolTip(QStringLiteral("Open a puzzle you have made (Enter)"));
    connect(m_browseButton, &QToolButton::clicked, this, &TMakerPage::BrowseClicked);
    m_aboutButton =
        MakeCommandButton(m_commandPanel, QRect(22, 44, 215, 23), QStringLiteral("ABOUT"));
    m_aboutButton->setToolTip(QStringLiteral("About Tessalune (Enter)"));
    connect(m_aboutButton, &QToolButton::clicked, this, &TMakerPage::AboutClicked);
    m_exitButton =
        MakeCommandButton(m_commandPanel, QRect(22, 68, 215, 22), QStringLiteral("EXIT"));
    m_exitButton->setToolTip(QStringLiteral("Close the maker (Enter)"));
    connect(m_exitButton, &QToolButton::clicked, this, &TMakerPage::ExitClicked);
    CreatePortableCheckBox();
    CreateWebPageCheckBox();

    m_step1Frame = MakeOutline(m_commandPanel, QRect(432, 20, 89, 72), Medium);
    m_step1Title = MakeStepLabel(m_commandPanel, 443, 34, QStringLiteral("STEP 1:"), 13, true);
    m_step1Caption =
        MakeStepLabel(m_commandPanel, 445, 50, QStringLiteral("set source \r\ngraphic"), 11, false);
    m_step2Frame = MakeOutline(m_commandPanel, QRect(530, 20, 89, 72), Medium);
    m_step2Title = MakeStepLabel(m_commandPanel, 541, 34, QStringLiteral("STEP 2:"), 13, true);
    m_step2Caption = MakeStepLabel(m_commandPanel, 543, 50,
                                   QStringLiteral("set puzzle \r\nproperties"), 11, false);
    m_step3Frame = MakeOutline(m_commandPanel, QRect(628, 20, 89, 72), Medium);
    m_step3Title = MakeStepLabel(m_commandPanel, 639, 34, QStringLiteral("STEP 3:"), 13, true);
    // A label shows "&" as it stands; the doubled ampersand of the layout meant one.
    m_step3Caption = MakeStepLabel(m_commandPanel, 641, 50,
                                   QStringLiteral("make & save \r\nnew puzzle"), 11, false);
    m_step1Title->setToolTip(QStringLiteral("Step 1: choose the puzzle's picture (Enter)"));
    m_step2Title->setToolTip(QStringLiteral("Step 2: name, size and borders (Enter)"));
    m_step3Title->setToolTip(QStringLiteral("Step 3: write the puzzle to a file (Enter)"));
    m_step1Caption->setToolTip(m_step1Title->toolTip());
    m_step2Caption->setToolTip(m_step2Title->toolTip());
    m_step3Caption->setToolTip(m_step3Title->toolTip());

    // Tab goes through the page in screen order: the link, the thumbnail choice, the commands
    // and then the steps from left to right.
    QWidget *const order[] = {m_versionLabel,    m_sourcePictureRadio, m_alternativePictureRadio,
                              m_browseButton,    m_aboutButton,        m_exitButton,
                              m_webPageCheckBox, m_step1Title,         m_step2Title,
                              m_step3Title};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void TMakerPage::CreatePortableCheckBox()
{
    const QString &portableProgram = m_portableProgram;
    // A portable puzzle carries the portable program part in place of this program.
    const qint64 added =
        QFileInfo(portableProgram).size() - QFileInfo(Platform::RunningExecutablePath()).size();
    const qint64 addedMegabytes = (added + (1 << 19)) >> 20;
    m_portableCheckBox =
        new QCheckBox(portableProgram.isEmpty()
                          ? QStringLiteral("Portable puzzle\n(not installed)")
                          : QStringLiteral("Portable puzzle, plays without\nTessalune (+%1 MB)")
                                .arg(addedMegabytes),
                      m_commandPanel);
    m_portableCheckBox->setGeometry(250, 38, 178, 36);
    m_portableCheckBox->setToolTip(
        tr("Plays on x86-64 Linux desktops with glibc 2.31 or newer (Debian 11, Ubuntu 20.04 "
           "and later) and X11 or XWayland, where Tessalune is not installed"));
    SetTextColour(m_portableCheckBox, Qt::white);
    m_portableCheckBox->setEnabled(!portableProgram.isEmpty());
    m_portableCheckBox->setChecked(!portableProgram.isEmpty() && TUserSettings().Portable());
    connect(m_portableCheckBox, &QCheckBox::toggled, this,
            [](bool portable) { TUserSettings().SetPortable(portable); });
}

QFileDialog &TMakerPage::SaveDialog()
{
    // Made on first use: a file dialog is costly to build, and a player never shows it.
    if (m_saveDialog != nullptr)
        return *m_saveDialog;
    m_saveDialog = NewFileDialog(this);
    m_saveDialog->setAcceptMode(QFileDialog::AcceptSave);
    m_saveDialog->setFileMode(QFileDialog::AnyFile);
    // A Linux file manager takes a name ending in ".exe" for a Windows program, so none is
    // added; a name typed with it is kept.
    m_saveDialog->setNameFilters(
        {QStringLiteral("Puzzles (*)"), QStringLiteral("Executable files (*.exe)")});
    m_saveDialog->setSizeGripEnabled(true);
    return *m_saveDialog;
}

void TMakerPage::SetStep(int step)
{
    TClickableLabel *const titles[] = {m_step1Title, m_step2Title, m_step3Title};
    TClickableLabel *const captions[] = {m_step1Caption, m_step2Caption, m_step3Caption};
    TShapeWidget *const boxes[] = {m_step1Frame, m_step2Frame, m_step3Frame};
    for (int i = 0; i < 3; ++i) {
        boxes[i]->SetBrush(Medium);
        for (TClickableLabel *label : {titles[i], captions[i]}) {
            label->unsetCursor();
            disconnect(label, &TClickableLabel::Clicked, this, nullptr);
        }
        titles[i]->SetKeyboardReachable(false);
    }
    m_thumbnailPanel->hide();
    m_sourcePictureRadio->hide();
    m_alternativePictureRadio->hide();
    m_state.step = step;
    if (step < 1 || step > 3)
        return;
    for (int i = 0; i < step; ++i)
        MakeStepClickable(titles[i], captions[i]);
    boxes[step - 1]->SetBrush(Dark);
    // Enter goes on with the step to do next.
    titles[step - 1]->setFocus();
    if (step >= 2) {
        m_thumbnailPanel->show();
        m_sourcePictureRadio->show();
    }
    if (step == 3)
        m_alternativePictureRadio->show();
}

void TMakerPage::MakeStepClickable(TClickableLabel *title, TClickableLabel *caption)
{
    title->SetKeyboardReachable(true);
    for (TClickableLabel *label : {title, caption}) {
        label->setCursor(Qt::PointingHandCursor);
        connect(label, &TClickableLabel::Clicked, this, [this, title] { StepClicked(title); });
    }
}

void TMakerPage::StepClicked(TClickableLabel *sender)
{
    // A failure shows its message and leaves the wizard at its step.
    RunShowingFailure(this, [this, sender] { RunStep(sender); });
}

void TMakerPage::RunStep(TClickableLabel *sender)
{
    if (sender == m_step1Title) {
        ChooseSourcePicture();
        SetStep(m_state.sourceChosen ? 2 : 1);
    } else if (sender == m_step2Title) {
        if (EditProperties())
            SetStep(3);
    } else if (sender == m_step3Title) {
        if (SaveNewPuzzle())
            OfferToRun(SaveDialog().selectedFiles().value(0));
    }
}

void TMakerPage::StartWithPicture(const QString &file)
{
    RunShowingFailure(this, [this, &file] {
        ChooseSourcePicture(file);
        SetStep(m_state.sourceChosen ? 2 : 1);
    });
}

void TMakerPage::keyPressEvent(QKeyEvent *event)
{
    if (!ClickFocusedCommand(event))
        QWidget::keyPressEvent(event);
}

void TMakerPage::dragEnterEvent(QDragEnterEvent *event)
{
    if (!DroppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TMakerPage::dropEvent(QDropEvent *event)
{
    const QString file = DroppedFile(event->mimeData());
    if (file.isEmpty())
        return;
    event->acceptProposedAction();
    // A file named as a picture goes to the editor, which refuses what it cannot load with the
    // same messages as "Load from file"; any other file may be a puzzle whatever its ending, and
    // the player refuses one that holds none.
    if (IsPictureFileName(file))
        StartWithPicture(file);
    else
        emit PuzzleFileDropped(file);
}

bool TMakerPage::ChooseSourcePicture(const QString &startFile)
{
    bool changed = false;
    try {
        changed =
            m_editPicture(*m_state.sourcePicture,
                          {QStringLiteral("The source picture"), m_state.alternativePicture.get()},
                          QStringLiteral("Source picture"), startFile);
        if (changed) {
            // A file that failed to load leaves no picture: nothing to make a puzzle of.
            m_state.sourceChosen = !m_state.sourcePicture->Empty();
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
    if (m_sourcePictureRadio->isChecked())
        return;
    m_sourcePictureRadio->setChecked(true);
    ThumbnailChoiceClicked();
}

bool TMakerPage::EditProperties()
{
    bool use = false;
    const bool done = ProgramWindows().propertiesDialog->RunProperties(
        m_state.sourcePicture.get(), m_state.document.get(), m_state.alternativePicture.get(), use);
    SetPremiumAvailable(use);
    // The dialog may have scaled the source picture.
    if (done)
        ShowThumbnail();
    return done;
}

void TMakerPage::SetPremiumAvailable(bool flag)
{
    m_state.useAlternativePicture = flag;
    if (m_alternativePictureRadio->isChecked() && !flag)
        SelectSourcePicture();
    m_alternativePictureRadio->setEnabled(flag);
    // A new alternative picture replaces the one shown.
    if (m_alternativePictureRadio->isChecked())
        ShowThumbnail();
}

void TMakerPage::ThumbnailChoiceClicked()
{
    ShowThumbnail();
}

void TMakerPage::ShowThumbnail()
{
    const TJpegPicture &picture =
        m_sourcePictureRadio->isChecked() ? *m_state.sourcePicture : *m_state.alternativePicture;
    m_thumbnailImage->setPixmap(QPixmap::fromImage(picture.ToBitmap()));
    FitImage(m_thumbnailImage, m_thumbnailPanel->height() - ThumbnailMargin,
             m_thumbnailPanel->width() - ThumbnailMargin);
    m_thumbnailImage->move((m_thumbnailPanel->width() - m_thumbnailImage->width()) / 2,
                           (m_thumbnailPanel->height() - m_thumbnailImage->height()) / 2);
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
    QFileDialog &dialog = SaveDialog();
    const QString madePuzzles = MadePuzzlesFolder(); // made even when another folder is offered
    dialog.setDirectory(TUserSettings().PuzzleFolder(madePuzzles));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    const QString puzzle = dialog.selectedFiles().first();
    WritePuzzleExecutable(WritePuzzlePayload(), puzzle);
    if (m_webPageCheckBox->isChecked())
        WritePuzzleWebPage(PuzzleWebPage(*m_state.sourcePicture,
                                         m_state.useAlternativePicture
                                             ? m_state.alternativePicture.get()
                                             : nullptr,
                                         m_state.document->Game()),
                           WebPageFileName(puzzle));
    TUserSettings().SetPuzzleFolderOf(puzzle);
    return true;
}

void TMakerPage::CreateWebPageCheckBox()
{
    m_webPageCheckBox = new QCheckBox(tr("Also as a web page,\nfor any device"), m_commandPanel);
    m_webPageCheckBox->setGeometry(250, 76, 178, 32);
    m_webPageCheckBox->setToolTip(
        tr("Writes NAME.html beside the puzzle: it plays in any browser, on a phone, a tablet, "
           "Windows or a Mac. Send the file; a preview inside a mail or messenger app does not "
           "run it."));
    SetTextColour(m_webPageCheckBox, Qt::white);
    m_webPageCheckBox->setChecked(TUserSettings().WebPage());
    connect(m_webPageCheckBox, &QCheckBox::toggled, this,
            [](bool webPage) { TUserSettings().SetWebPage(webPage); });
}

QByteArray TMakerPage::WritePuzzlePayload() const
{
    return WithPuzzleSections(
        m_portableCheckBox->isChecked() ? ReadPortableProgram(m_portableProgram) : LoadedExeImage(),
        *m_state.sourcePicture,
        m_state.useAlternativePicture ? m_state.alternativePicture.get() : nullptr,
        *m_state.document);
}

void TMakerPage::OfferToRun(const QString &puzzle)
{
    if (ProgramWindows().confirmationWindow->Ask(RunItQuestion(puzzle))) {
        RunShowingFailure(this, [&puzzle] { Platform::StartProgram(puzzle); });
    }
    window()->close();
}

void TMakerPage::BrowseClicked()
{
    emit BrowsePuzzlesRequested();
}

void TMakerPage::AboutClicked()
{
    ProgramWindows().aboutWindow->ShowProgramAbout();
}

void TMakerPage::ExitClicked()
{
    window()->close();
}

void TMakerPage::VersionClicked()
{
    ProgramWindows().aboutWindow->OpenLink(MakerMark::WebAddress());
}

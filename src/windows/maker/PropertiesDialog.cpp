#include "windows/maker/PropertiesDialog.h"

#include "engine/container/DocumentValues.h"
#include "engine/container/PuzzleDocumentCodec.h"
#include "engine/jigsaw/PieceQuality.h"
#include "engine/jigsaw/PuzzleMaking.h"
#include "engine/jigsaw/Random.h"
#include "engine/picture/JpegPicture.h"
#include "engine/picture/Resampling.h"
#include "windows/common/BandedGradient.h"
#include "windows/common/KeyboardCommands.h"
#include "windows/common/NumberListTyping.h"
#include "windows/common/ShapeWidget.h"
#include "windows/common/UserSettings.h"
#include "windows/common/WindowLook.h"
#include "windows/maker/PictureEditor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QStackedWidget>
#include <QToolButton>
#include <algorithm>
#include <iterator>

using namespace WindowLook;

namespace
{

// Left end of "Load picture" on the page: the check boxes stop before it.
constexpr int LoadPictureLeft = 266;
// The quality check sits under the size box and pushes what follows down by this much; the
// turned pieces' check box adds a line to the properties box.
constexpr int QualityHeight = 64;
constexpr int LineHeight = 21;
constexpr int AddedHeight = QualityHeight + LineHeight;
const QColor WarningColour(128, 0, 0);
constexpr int PieceCountLeft = 280;
// The size box's inner right edge, less a margin.
constexpr int PieceCountRightLimit = 344;

QLabel *MakeBoldLabel(QWidget *parent, int x, int y, const QString &text)
{
    QFont bold = DialogFont();
    bold.setBold(true);
    return MakeLabel(parent, x, y, text, bold, Qt::black);
}

QLineEdit *MakeEdit(QWidget *parent, const QRect &geometry)
{
    auto *edit = new QLineEdit(parent);
    edit->setGeometry(geometry);
    return edit;
}

// A caption over a rounded box: white bold on dark.
QLabel *MakeBoxCaption(QWidget *parent, int x, int y, const QString &text)
{
    QFont bold = DialogFont();
    bold.setBold(true);
    QLabel *caption = MakeLabel(parent, x, y, text, bold, Qt::white);
    SetBackground(caption, Dark);
    return caption;
}

QComboBox *MakeSizeList(QWidget *parent, int x, int y)
{
    auto *list = new QComboBox(parent);
    for (int size = MakerMinGridSize; size <= MakerMaxGridSize; ++size)
        list->addItem(QString::number(size));
    new TNumberListTyping(list);
    list->move(x, y);
    list->resize(64, list->sizeHint().height());
    return list;
}

// A check box white on medium. The captions were laid out in a narrower face: the box grows to
// show its caption whole up to maxWidth, and beyond that the caption is set a little narrower.
QCheckBox *MakeCheckBox(QWidget *parent, const QRect &geometry, const QString &text, int maxWidth)
{
    auto *box = new QCheckBox(text, parent);
    box->setGeometry(geometry);
    QFont narrower = box->font();
    for (int stretch = 98; box->sizeHint().width() > maxWidth && stretch >= 80; stretch -= 2) {
        narrower.setStretch(stretch);
        box->setFont(narrower);
    }
    box->resize(std::clamp(box->sizeHint().width(), geometry.width(), maxWidth), geometry.height());
    box->setBackgroundRole(QPalette::Window); // buttons fill with the button colour otherwise
    SetBackground(box, Medium);
    SetTextColour(box, Qt::white);
    return box;
}

QToolButton *MakeSpeedButton(QWidget *parent, const QRect &geometry, const QString &caption)
{
    auto *button = new QToolButton(parent);
    button->setGeometry(geometry);
    button->setText(caption);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

// A size the list does not offer (a remembered one from another version) keeps the selection.
void SelectSize(QComboBox *list, int size)
{
    const int index = list->findText(QString::number(size));
    if (index >= 0)
        list->setCurrentIndex(index);
}

int SelectedSize(const QComboBox *list)
{
    return list->currentText().toInt();
}

QByteArray TrimmedText(const QLineEdit *edit)
{
    return TrimBlanksAndControls(edit->text().toUtf8());
}

} // namespace

TPropertiesDialog::TPropertiesDialog(QWidget *parent)
    : QDialog(parent), m_editPicture([this](TJpegPicture &picture, const TEditedPicture &edited,
                                            const QString &caption, const QString &file) {
          return EditPictureInNewEditor(picture, caption, this, file, edited);
      }),
      m_randomSeeding([](TRandomGenerator &random) { random.Randomize(); })
{
    setWindowTitle(QStringLiteral("New puzzle properties"));
    setFixedSize(400, 361 + AddedHeight);
    setFont(DialogFont());
    setAttribute(Qt::WA_QuitOnClose, false);
    CreateControls();
    ResetFields();
}

void TPropertiesDialog::CreateControls()
{
    m_gradient = new TBandedGradient(this);
    m_gradient->setGeometry(rect());
    m_nameCaption = MakeBoldLabel(this, 14, 21, QStringLiteral("Name of new puzzle"));
    m_nameEdit = MakeEdit(this, QRect(133, 14, 253, 21));
    m_authorCaption = MakeBoldLabel(this, 14, 63, QStringLiteral("Author"));
    m_authorEdit = MakeEdit(this, QRect(133, 56, 253, 21));
    m_websiteCaption = MakeBoldLabel(this, 14, 91, QStringLiteral("Author's website"));
    m_websiteEdit = MakeEdit(this, QRect(133, 84, 253, 21));
    // A page control whose one tab is hidden: the page sits inside its border.
    m_pages = new QStackedWidget(this);
    m_pages->setGeometry(14, 119, 372, 190 + AddedHeight);
    m_pages->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_pages->setContentsMargins(2, 2, 2, 2);
    m_jigsawPage = new QWidget;
    m_jigsawPage->setAutoFillBackground(true);
    m_pages->addWidget(m_jigsawPage);
    CreateSizePage();
    m_okButton = MakeSpeedButton(this, QRect(196, 329 + AddedHeight, 85, 22), QStringLiteral("Ok"));
    connect(m_okButton, &QToolButton::clicked, this, &TPropertiesDialog::OkClicked);
    m_cancelButton =
        MakeSpeedButton(this, QRect(301, 329 + AddedHeight, 85, 22), QStringLiteral("Cancel"));
    connect(m_cancelButton, &QToolButton::clicked, this, &TPropertiesDialog::CancelClicked);

    m_okButton->setToolTip(QStringLiteral("Make the puzzle's pieces (Enter)"));
    m_cancelButton->setToolTip(QStringLiteral("Close without changes (Esc)"));

    // The page's controls first, as the dialog always had them, then the fields and the
    // commands.
    QWidget *const order[] = {
        m_widthBox,         m_heightBox,
        m_qualityFixButton, // shown only when the grid needs it
        m_bordersCheckBox,  m_alternativeCheckBox, m_loadAlternativeButton, m_turnedCheckBox,
        m_nameEdit,         m_authorEdit,          m_websiteEdit,           m_okButton,
        m_cancelButton};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void TPropertiesDialog::keyPressEvent(QKeyEvent *event)
{
    if (ClickFocusedCommand(event))
        return;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        OkClicked();
    else
        QDialog::keyPressEvent(event); // Esc cancels
}

void TPropertiesDialog::CreateSizePage()
{
    m_sizeBox = new TShapeWidget(m_jigsawPage, TShapeWidget::TKind::RoundRectangle,
                                 QRect(14, 14, 337, 57), Medium);
    m_sizeBoxCaption = MakeBoxCaption(m_jigsawPage, 35, 7, QStringLiteral(" Puzzle size "));
    m_widthCaption = MakeLabel(m_jigsawPage, 28, 35, QStringLiteral("width:"), font(), Qt::white);
    m_widthBox = MakeSizeList(m_jigsawPage, 63, 28);
    m_heightCaption =
        MakeLabel(m_jigsawPage, 154, 35, QStringLiteral("height:"), font(), Qt::white);
    m_heightBox = MakeSizeList(m_jigsawPage, 189, 28);
    m_pieceCountLabel =
        MakeLabel(m_jigsawPage, PieceCountLeft, 35, QStringLiteral("(pieces)"), font(), Qt::white);
    for (QComboBox *list : {m_widthBox, m_heightBox})
        connect(list, &QComboBox::currentIndexChanged, this, &TPropertiesDialog::UpdatePieceCount);

    m_pieceSizeLabel = MakeLabel(m_jigsawPage, 28, 76, QString(), font(), Qt::black);
    m_qualityWarning = MakeLabel(m_jigsawPage, 28, 92, QString(), font(), WarningColour);
    m_qualityWarning->setWordWrap(true);
    m_qualityWarning->setGeometry(28, 92, 323, 30);
    m_qualityFixButton =
        MakeSpeedButton(m_jigsawPage, QRect(LoadPictureLeft - 40, 122, 118, 22), QString());
    m_qualityFixButton->hide();
    // Out of the keyboard's way: the grid lists make the same change from the keyboard.
    m_qualityFixButton->setFocusPolicy(Qt::NoFocus);
    connect(m_qualityFixButton, &QToolButton::clicked, this, &TPropertiesDialog::QualityFixClicked);

    const int top = QualityHeight;
    m_propertiesBox = new TShapeWidget(m_jigsawPage, TShapeWidget::TKind::RoundRectangle,
                                       QRect(14, top + 105, 337, 57 + LineHeight), Medium);
    m_propertiesBoxCaption =
        MakeBoxCaption(m_jigsawPage, 35, top + 98, QStringLiteral(" Properties "));
    m_bordersCheckBox = MakeCheckBox(m_jigsawPage, QRect(28, top + 117, 127, 17),
                                     QStringLiteral("3D borders of pieces"), LoadPictureLeft - 28);
    m_bordersCheckBox->setChecked(true);
    m_alternativeCheckBox = MakeCheckBox(
        m_jigsawPage, QRect(28, top + 138, 232, 17),
        QStringLiteral("Show other picture when the puzzle is solved"), LoadPictureLeft - 28);
    m_turnedCheckBox =
        MakeCheckBox(m_jigsawPage, QRect(28, top + 159, 232, 17),
                     QStringLiteral("Turned pieces (the right button turns them)"), 323);
    connect(m_alternativeCheckBox, &QCheckBox::toggled, this,
            &TPropertiesDialog::AlternativeToggled);
    m_loadAlternativeButton = MakeSpeedButton(
        m_jigsawPage, QRect(LoadPictureLeft, top + 133, 78, 22), QStringLiteral("Load picture"));
    m_loadAlternativeButton->setEnabled(false);
    m_loadAlternativeButton->setToolTip(
        QStringLiteral("Choose the picture shown once the puzzle is solved"));
    connect(m_loadAlternativeButton, &QToolButton::clicked, this,
            &TPropertiesDialog::LoadAlternativeClicked);
}

void TPropertiesDialog::ResetFields()
{
    m_pages->setCurrentWidget(m_jigsawPage);
    m_nameEdit->setText(QStringLiteral("Puzzle"));
    for (QComboBox *list : {m_widthBox, m_heightBox})
        list->setCurrentText(QString::number(MakerDefaultGridSize));
    RestoreChoices();
    UpdatePieceCount();
}

void TPropertiesDialog::RestoreChoices()
{
    const TUserSettings settings;
    m_authorEdit->setText(settings.Author());
    m_websiteEdit->setText(settings.Website());
    SelectSize(m_widthBox, settings.GridColumns());
    SelectSize(m_heightBox, settings.GridRows());
    m_bordersCheckBox->setChecked(settings.Borders());
    m_turnedCheckBox->setChecked(settings.TurnedPieces());
}

void TPropertiesDialog::RememberChoices() const
{
    TUserSettings settings;
    settings.SetAuthor(m_authorEdit->text().trimmed());
    settings.SetWebsite(m_websiteEdit->text().trimmed());
    settings.SetGrid(SelectedSize(m_widthBox), SelectedSize(m_heightBox));
    settings.SetBorders(m_bordersCheckBox->isChecked());
    settings.SetTurnedPieces(m_turnedCheckBox->isChecked());
}

void TPropertiesDialog::SetRandomSeeding(TRandomSeeding seeding)
{
    m_randomSeeding = std::move(seeding);
}

void TPropertiesDialog::SetPictureEditing(TPictureEditing editing)
{
    m_editPicture = std::move(editing);
}

void TPropertiesDialog::UpdatePieceCount()
{
    const int pieces = SelectedSize(m_widthBox) * SelectedSize(m_heightBox);
    SetLabelText(m_pieceCountLabel, QStringLiteral("( %1 pieces )").arg(pieces));
    // Four-digit counts move left so as to stay inside the box.
    m_pieceCountLabel->move(
        std::min(PieceCountLeft, PieceCountRightLimit - m_pieceCountLabel->width()),
        m_pieceCountLabel->y());
    UpdateQuality();
}

void TPropertiesDialog::UpdateQuality()
{
    if (m_sourcePicture == nullptr || m_sourcePicture->Empty()) {
        SetLabelText(m_pieceSizeLabel, QString());
        m_qualityWarning->clear();
        m_qualityFixButton->hide();
        return;
    }
    const TPieceQuality quality =
        JudgePieceQuality(QSize(m_sourcePicture->Width(), m_sourcePicture->Height()),
                          SelectedSize(m_widthBox), SelectedSize(m_heightBox), JudgedScreen());
    SetLabelText(m_pieceSizeLabel, QStringLiteral("One piece: %1 × %2 pixels of the picture")
                                       .arg(quality.pieceSize.width())
                                       .arg(quality.pieceSize.height()));
    m_qualityWarning->setText(PieceQualityWarnings(quality).join(' '));
    if (quality.tooSmall)
        m_qualityFixButton->setText(QStringLiteral("Use %1 × %2 pieces")
                                        .arg(quality.goodGrid.width())
                                        .arg(quality.goodGrid.height()));
    else if (quality.tooLarge)
        m_qualityFixButton->setText(
            QStringLiteral("Scale picture to %1%").arg(quality.comfortableScalePercent));
    m_qualityFixButton->setVisible(quality.tooSmall || quality.tooLarge);
}

QSize TPropertiesDialog::JudgedScreen() const
{
    // At 2x scale the logical size is half of the pixels a player's screen really has.
    const QScreen *shown = screen();
    return shown->availableGeometry().size() * shown->devicePixelRatio();
}

// Takes the offer shown: a smaller grid for blurry pieces, else a smaller picture for pieces
// too large for the screen.
void TPropertiesDialog::QualityFixClicked()
{
    if (m_sourcePicture == nullptr)
        return;
    const QSize picture(m_sourcePicture->Width(), m_sourcePicture->Height());
    const TPieceQuality quality = JudgePieceQuality(picture, SelectedSize(m_widthBox),
                                                    SelectedSize(m_heightBox), JudgedScreen());
    if (quality.tooSmall) {
        m_widthBox->setCurrentText(QString::number(quality.goodGrid.width()));
        m_heightBox->setCurrentText(QString::number(quality.goodGrid.height()));
    } else if (quality.tooLarge) {
        const int percent = quality.comfortableScalePercent;
        const QSize scaled(ScaledLength(picture.width(), percent),
                           ScaledLength(picture.height(), percent));
        const QImage bitmap = ResampleBitmap(m_sourcePicture->ToBitmap(), scaled);
        if (!bitmap.isNull())
            m_sourcePicture->Assign(bitmap);
    }
    UpdateQuality();
}

void TPropertiesDialog::AlternativeToggled()
{
    m_loadAlternativeButton->setEnabled(m_alternativeCheckBox->isChecked());
}

void TPropertiesDialog::LoadAlternativeClicked()
{
    m_alternativeLoaded = false;
    // A file that failed to load leaves no picture, which does not count as loaded.
    m_alternativeLoaded =
        m_alternativePicture &&
        m_editPicture(*m_alternativePicture,
                      {QStringLiteral("The alternative picture"), m_sourcePicture},
                      QStringLiteral("Alternative picture for solved puzzle"), QString()) &&
        !m_alternativePicture->Empty();
}

void TPropertiesDialog::OkClicked()
{
    m_okPressed = true;
    if (!m_alternativeLoaded && m_alternativeCheckBox->isChecked())
        m_alternativeCheckBox->setChecked(false);
    close();
}

void TPropertiesDialog::CancelClicked()
{
    close();
}

bool TPropertiesDialog::RunProperties(TJpegPicture *source, TPuzzleDocument *document,
                                      TJpegPicture *alternative, bool &use)
{
    m_okPressed = false;
    m_alternativeLoaded = false;
    m_sourcePicture = source;
    this->m_document = document;
    m_alternativePicture = alternative;
    if (!source || !document)
        return false;
    UpdateQuality();
    CentreOnScreen(this);
    exec();
    if (!m_okPressed)
        return false;
    RebuildDocument();
    RememberChoices();
    use = m_alternativeCheckBox->isChecked();
    return true;
}

void TPropertiesDialog::RebuildDocument()
{
    TPuzzleProperties properties;
    properties.rows = SelectedSize(m_heightBox);
    properties.cols = SelectedSize(m_widthBox);
    properties.borders = m_bordersCheckBox->isChecked();
    properties.turned = m_turnedCheckBox->isChecked();
    properties.name = TrimmedText(m_nameEdit);
    properties.author = TrimmedText(m_authorEdit);
    properties.website = TrimmedText(m_websiteEdit);
    TRandomGenerator &random = ProcessRandom();
    m_randomSeeding(random);
    *m_document = TPuzzleDocument(MakePuzzleGame(properties, random));
}

#include "windows/maker/PropertiesDialog.h"

#include "engine/container/DocumentValues.h"
#include "engine/jigsaw/PuzzleMaking.h"
#include "engine/jigsaw/Random.h"
#include "engine/picture/JpegPicture.h"
#include "windows/common/BandedGradient.h"
#include "windows/common/ShapeWidget.h"
#include "windows/common/WindowLook.h"
#include "windows/maker/PictureEditor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <QToolButton>
#include <algorithm>

using namespace WindowLook;

namespace
{

// Left end of "Load picture" on the page: the check boxes stop before it.
constexpr int LoadPictureLeft = 266;

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
    button->setFocusPolicy(Qt::NoFocus);
    return button;
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

TD_puzzle_props::TD_puzzle_props(QWidget *parent)
    : QDialog(parent), editPicture([this](TJPEGImage &picture, const QString &caption) {
          return EditPictureInNewEditor(picture, caption, this);
      }),
      randomSeeding([](TRandomGenerator &random) { random.Randomize(); })
{
    setWindowTitle(QStringLiteral("New puzzle properties"));
    setFixedSize(400, 361);
    setFont(DialogFont());
    setAttribute(Qt::WA_QuitOnClose, false);
    CreateControls();
    FormCreate();
}

void TD_puzzle_props::CreateControls()
{
    Image1 = new TBandedGradient(this);
    Image1->setGeometry(rect());
    Label6 = MakeBoldLabel(this, 14, 21, QStringLiteral("Name of new puzzle"));
    Edit_name = MakeEdit(this, QRect(133, 14, 253, 21));
    Label5 = MakeBoldLabel(this, 14, 63, QStringLiteral("Author"));
    Edit_author = MakeEdit(this, QRect(133, 56, 253, 21));
    Label7 = MakeBoldLabel(this, 14, 91, QStringLiteral("Author's website"));
    Edit_authors_website = MakeEdit(this, QRect(133, 84, 253, 21));
    // A page control whose one tab is hidden: the page sits inside its border.
    PageControl1 = new QStackedWidget(this);
    PageControl1->setGeometry(14, 119, 372, 190);
    PageControl1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    PageControl1->setContentsMargins(2, 2, 2, 2);
    TabSheet_js = new QWidget;
    TabSheet_js->setAutoFillBackground(true);
    PageControl1->addWidget(TabSheet_js);
    CreateSizePage();
    SB_ok = MakeSpeedButton(this, QRect(196, 329, 85, 22), QStringLiteral("Ok"));
    connect(SB_ok, &QToolButton::clicked, this, &TD_puzzle_props::SB_okClick);
    SB_cancel = MakeSpeedButton(this, QRect(301, 329, 85, 22), QStringLiteral("Cancel"));
    connect(SB_cancel, &QToolButton::clicked, this, &TD_puzzle_props::SB_cancelClick);

    setTabOrder(CB_width, CB_height);
    setTabOrder(CB_height, CB_3D);
    setTabOrder(CB_3D, CB_transform_solved);
    setTabOrder(CB_transform_solved, Edit_name);
    setTabOrder(Edit_name, Edit_author);
    setTabOrder(Edit_author, Edit_authors_website);
}

void TD_puzzle_props::CreateSizePage()
{
    Shape1 = new TShapeWidget(TabSheet_js, TShapeWidget::TKind::RoundRectangle,
                              QRect(14, 14, 337, 57), Medium);
    Label1 = MakeBoxCaption(TabSheet_js, 35, 7, QStringLiteral(" Puzzle size "));
    Label2 = MakeLabel(TabSheet_js, 28, 35, QStringLiteral("width:"), font(), Qt::white);
    CB_width = MakeSizeList(TabSheet_js, 63, 28);
    Label3 = MakeLabel(TabSheet_js, 154, 35, QStringLiteral("height:"), font(), Qt::white);
    CB_height = MakeSizeList(TabSheet_js, 189, 28);
    Label_size_js = MakeLabel(TabSheet_js, 280, 35, QStringLiteral("(pieces)"), font(), Qt::white);
    for (QComboBox *list : {CB_width, CB_height})
        connect(list, &QComboBox::currentIndexChanged, this, &TD_puzzle_props::calc_js_size);

    Shape2 = new TShapeWidget(TabSheet_js, TShapeWidget::TKind::RoundRectangle,
                              QRect(14, 105, 337, 57), Medium);
    Label4 = MakeBoxCaption(TabSheet_js, 35, 98, QStringLiteral(" Properties "));
    CB_3D = MakeCheckBox(TabSheet_js, QRect(28, 117, 127, 17),
                         QStringLiteral("3D borders of pieces"), LoadPictureLeft - 28);
    CB_3D->setChecked(true);
    CB_transform_solved = MakeCheckBox(
        TabSheet_js, QRect(28, 138, 232, 17),
        QStringLiteral("Show other picture when the puzzle is solved"), LoadPictureLeft - 28);
    connect(CB_transform_solved, &QCheckBox::toggled, this,
            &TD_puzzle_props::CB_transform_solvedClick);
    SB_premium_img = MakeSpeedButton(TabSheet_js, QRect(LoadPictureLeft, 133, 78, 22),
                                     QStringLiteral("Load picture"));
    SB_premium_img->setEnabled(false);
    connect(SB_premium_img, &QToolButton::clicked, this, &TD_puzzle_props::SB_premium_imgClick);
}

void TD_puzzle_props::FormCreate()
{
    PageControl1->setCurrentWidget(TabSheet_js);
    Edit_name->setText(QStringLiteral("Puzzle"));
    CB_width->setCurrentIndex(0);
    CB_height->setCurrentIndex(0);
    calc_js_size();
}

void TD_puzzle_props::SetRandomSeeding(TRandomSeeding seeding)
{
    randomSeeding = std::move(seeding);
}

void TD_puzzle_props::SetPictureEditing(TPictureEditing editing)
{
    editPicture = std::move(editing);
}

void TD_puzzle_props::calc_js_size()
{
    const int pieces = SelectedSize(CB_width) * SelectedSize(CB_height);
    SetLabelText(Label_size_js, QStringLiteral("( %1 pieces )").arg(pieces));
}

void TD_puzzle_props::CB_transform_solvedClick()
{
    SB_premium_img->setEnabled(CB_transform_solved->isChecked());
}

void TD_puzzle_props::SB_premium_imgClick()
{
    alternativeLoaded = false;
    // A file that failed to load leaves no picture, which does not count as loaded.
    alternativeLoaded =
        alternativePicture &&
        editPicture(*alternativePicture, QStringLiteral("Alternative picture for solved puzzle")) &&
        !alternativePicture->Empty();
}

void TD_puzzle_props::SB_okClick()
{
    okPressed = true;
    if (!alternativeLoaded && CB_transform_solved->isChecked())
        CB_transform_solved->setChecked(false);
    close();
}

void TD_puzzle_props::SB_cancelClick()
{
    close();
}

bool TD_puzzle_props::RunProperties(const TJPEGImage *source, TKelPigger *document,
                                    TJPEGImage *alternative, bool &use)
{
    okPressed = false;
    alternativeLoaded = false;
    sourcePicture = source;
    this->document = document;
    alternativePicture = alternative;
    if (!source || !document)
        return false;
    CentreOnScreen(this);
    exec();
    if (!okPressed)
        return false;
    RebuildDocument();
    use = CB_transform_solved->isChecked();
    return true;
}

void TD_puzzle_props::RebuildDocument()
{
    TPuzzleProperties properties;
    properties.rows = SelectedSize(CB_height);
    properties.cols = SelectedSize(CB_width);
    properties.borders = CB_3D->isChecked();
    properties.name = TrimmedText(Edit_name);
    properties.author = TrimmedText(Edit_author);
    properties.website = TrimmedText(Edit_authors_website);
    TRandomGenerator &random = ProcessRandom();
    randomSeeding(random);
    MakePuzzleDocument(*document, properties, random);
}

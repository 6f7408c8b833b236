#include "windows/play/BackgroundsDialog.h"

#include "windows/common/ShapeWidget.h"
#include "windows/common/WindowLook.h"
#include "engine/container/KelPigger.h"
#include "engine/container/PuzzleSchema.h"
#include "engine/jigsaw/DesktopColours.h"

#include <QColorDialog>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QScrollArea>
#include <QToolButton>

// The textures live in a static library, so their resources are registered by hand.
static void RegisterTextureResources()
{
    Q_INIT_RESOURCE(textures);
}

namespace
{

constexpr int DialogWidth = 470;
constexpr int TextureModeHeight = 365;
constexpr int ColourModeHeight = 170;

constexpr int PreviewSize = 127;
constexpr int PreviewTop = 14;
constexpr int PreviewStride = 154;
constexpr int ShadowOffset = 7;
const QColor ShadowGrey{128, 128, 128};
const QColor ShadowMarked{0, 0, 0};

struct TTextureSource {
    const char *resource;
    bool stretched; // the wood grain is shown at its own size, the small tiles are stretched
};
constexpr std::array<TTextureSource, TD_backgrounds::TextureCount> TextureSources{{
    {":/textures/texture1.gif", true},
    {":/textures/texture2.jpg", false},
    {":/textures/texture3.jpg", true},
    {":/textures/texture4.jpg", true},
    {":/textures/texture5.jpg", true},
}};

// A value with its highest byte set names no colour here (such codes meant system colours where
// the format was born), so it gets the same fallback as an absent value.
bool IsPlainColour(TColor colour)
{
    return (colour >> 24) == 0;
}

} // namespace

TTexturePreview::TTexturePreview(QWidget *parent, const QRect &geometry, const QImage &texture,
                                 bool stretched)
    : QWidget(parent), picture(texture), stretched(stretched)
{
    setGeometry(geometry);
}

void TTexturePreview::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (stretched)
        painter.drawImage(rect(), picture);
    else
        painter.drawImage(QPoint(0, 0), picture);
}

void TTexturePreview::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

TD_backgrounds::TD_backgrounds(TDocumentSource runningDocument, QWidget *parent)
    : TP_dataform(parent), runningDocument(std::move(runningDocument))
{
    RegisterTextureResources();
    setWindowTitle(QStringLiteral("Desktop Backgrounds"));
    CreateColorRow();
    CreateTextureRow();
    ColorDialog1 = new QColorDialog(this);
    SetFixedColour(WorkspaceColour());
    SelectTexture(0);
    UpdateLayout();
}

void TD_backgrounds::CreateColorRow()
{
    RB_color = new QRadioButton(QStringLiteral("Fixed Color:"), this);
    RB_color->setGeometry(28, 21, 85, 17);
    RB_color->setChecked(true);
    Shape_color = new TShapeWidget(this, TShapeWidget::TKind::Rectangle, QRect(119, 14, 295, 29),
                                   QBrush(Qt::black));
    Shape_color->SetOutline(Qt::black, 1);
    SB_clolr = new QToolButton(this);
    SB_clolr->setText(QStringLiteral("..."));
    SB_clolr->setAutoRaise(true);
    SB_clolr->setGeometry(413, 14, 29, 29);

    connect(RB_color, &QRadioButton::clicked, this, &TD_backgrounds::UpdateLayout);
    connect(SB_clolr, &QToolButton::clicked, this, &TD_backgrounds::SB_clolrClick);
}

void TD_backgrounds::CreateTextureRow()
{
    RB_texture = new QRadioButton(QStringLiteral("Texture..."), this);
    RB_texture->setGeometry(28, 49, 113, 17);
    connect(RB_texture, &QRadioButton::clicked, this, &TD_backgrounds::UpdateLayout);

    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setGeometry(28, 77, 414, 183);
    ScrollBox1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *row = new QWidget;
    const int rowWidth =
        PreviewTop + (TextureCount - 1) * PreviewStride + PreviewSize + ShadowOffset + PreviewTop;
    row->resize(rowWidth, PreviewTop + PreviewSize + ShadowOffset + PreviewTop);

    for (int k = 0; k < TextureCount; ++k) {
        const QRect place(PreviewTop + k * PreviewStride, PreviewTop, PreviewSize, PreviewSize);
        // The shadow is made first so that the picture is drawn above it.
        Shape_shadow[k] =
            new TShapeWidget(row, TShapeWidget::TKind::Rectangle,
                             place.translated(ShadowOffset, ShadowOffset), QBrush(ShadowGrey));
        textures[k] = QImage(QString::fromLatin1(TextureSources[k].resource));
        Image[k] = new TTexturePreview(row, place, textures[k], TextureSources[k].stretched);
        connect(Image[k], &TTexturePreview::clicked, this, [this, k] { SelectTexture(k + 1); });
    }
    ScrollBox1->setWidget(row);
}

void TD_backgrounds::LoadData(const QString &argument)
{
    TP_dataform::LoadData(argument);
    resultText = QStringLiteral("N");
    document = runningDocument ? runningDocument() : nullptr;

    const QByteArray colourText =
        document ? document->GetAttr(PuzzleSchema::KeyColor) : QByteArray();
    const TColor storedColour = TextToColor(colourText);
    SetFixedColour(!colourText.isEmpty() && IsPlainColour(storedColour) ? storedColour
                                                                        : WorkspaceColour());

    const QByteArray textureText =
        document ? document->GetAttr(PuzzleSchema::KeyTexture) : QByteArray();
    if (textureText.isEmpty()) {
        RB_color->setChecked(true);
        SelectTexture(0);
    } else {
        RB_texture->setChecked(true);
        SelectTexture(TextToIntDef(textureText, 0));
    }
    UpdateLayout();
}

void TD_backgrounds::StoreData()
{
    TP_dataform::StoreData();
    if (document) {
        document->SetAttr(PuzzleSchema::KeyColor, ColorToText(fixedColour));
        if (IsTextureChosen())
            document->SetAttr(PuzzleSchema::KeyTexture, IntToText(textureIndex));
        else
            document->DeleteAttr(PuzzleSchema::KeyTexture);
    }
    resultText = QStringLiteral("Y");
    document = nullptr;
}

void TD_backgrounds::ReleaseData()
{
    TP_dataform::ReleaseData();
    document = nullptr;
}

bool TD_backgrounds::IsTextureChosen() const
{
    return RB_texture->isChecked();
}

QImage TD_backgrounds::ChosenTexture() const
{
    if (!IsTextureChosen() || textureIndex == 0)
        return QImage();
    return textures[textureIndex - 1];
}

void TD_backgrounds::SelectTexture(int n)
{
    textureIndex = n >= 1 && n <= TextureCount ? n : 0;
    for (int k = 0; k < TextureCount; ++k)
        Shape_shadow[k]->SetBrush(QBrush(k + 1 == textureIndex ? ShadowMarked : ShadowGrey));
}

void TD_backgrounds::UpdateLayout()
{
    const bool textureMode = IsTextureChosen();
    setFixedSize(DialogWidth, textureMode ? TextureModeHeight : ColourModeHeight);
    ScrollBox1->setVisible(textureMode);
}

void TD_backgrounds::SetFixedColour(TColor colour)
{
    fixedColour = colour;
    Shape_color->SetBrush(QBrush(ToQColor(fixedColour)));
}

void TD_backgrounds::SB_clolrClick()
{
    // The colour dialog is deliberately not preset: it offers the colour it last returned.
    if (ColorDialog1->exec() == QDialog::Accepted)
        SetFixedColour(FromQColor(ColorDialog1->selectedColor()));
}

void TD_backgrounds::showEvent(QShowEvent *event)
{
    TP_dataform::showEvent(event);
    WindowLook::CentreOnScreen(this);
}

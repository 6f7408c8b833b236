#include "windows/play/BackgroundsDialog.h"

#include "engine/jigsaw/DesktopColours.h"
#include "engine/jigsaw/PuzzleGame.h"
#include "windows/common/ShapeWidget.h"
#include "windows/common/WindowLook.h"

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
constexpr std::array<TTextureSource, TBackgroundsDialog::TextureCount> TextureSources{{
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

TTexturePreview::TTexturePreview(QWidget *parent, const QRect &geometry,
                                 std::function<QImage()> texture, bool stretched)
    : QWidget(parent), m_texture(std::move(texture)), m_stretched(stretched)
{
    setGeometry(geometry);
}

void TTexturePreview::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_stretched)
        painter.drawImage(rect(), m_texture());
    else
        painter.drawImage(QPoint(0, 0), m_texture());
}

void TTexturePreview::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

TBackgroundsDialog::TBackgroundsDialog(TGameSource runningGame, QWidget *parent)
    : TDataDialogBase(parent), m_runningGame(std::move(runningGame))
{
    RegisterTextureResources();
    setWindowTitle(QStringLiteral("Desktop Backgrounds"));
    CreateColorRow();
    CreateTextureRow();
    SetFixedColour(WorkspaceColour());
    SelectTexture(0);
    UpdateLayout();
}

void TBackgroundsDialog::CreateColorRow()
{
    m_colourRadio = new QRadioButton(QStringLiteral("Fixed Color:"), this);
    m_colourRadio->setGeometry(28, 21, 85, 17);
    m_colourRadio->setChecked(true);
    m_colourSwatch = new TShapeWidget(this, TShapeWidget::TKind::Rectangle, QRect(119, 14, 295, 29),
                                      QBrush(Qt::black));
    m_colourSwatch->SetOutline(Qt::black, 1);
    m_chooseColourButton = new QToolButton(this);
    m_chooseColourButton->setText(QStringLiteral("..."));
    m_chooseColourButton->setAutoRaise(true);
    m_chooseColourButton->setGeometry(413, 14, 29, 29);
    m_chooseColourButton->setToolTip(QStringLiteral("Choose the colour"));

    connect(m_colourRadio, &QRadioButton::clicked, this, &TBackgroundsDialog::UpdateLayout);
    connect(m_chooseColourButton, &QToolButton::clicked, this,
            &TBackgroundsDialog::ChooseColourClicked);
}

void TBackgroundsDialog::CreateTextureRow()
{
    m_textureRadio = new QRadioButton(QStringLiteral("Texture..."), this);
    m_textureRadio->setGeometry(28, 49, 113, 17);
    connect(m_textureRadio, &QRadioButton::clicked, this, &TBackgroundsDialog::UpdateLayout);

    m_textureScroll = new QScrollArea(this);
    m_textureScroll->setGeometry(28, 77, 414, 183);
    m_textureScroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *row = new QWidget;
    const int rowWidth =
        PreviewTop + (TextureCount - 1) * PreviewStride + PreviewSize + ShadowOffset + PreviewTop;
    row->resize(rowWidth, PreviewTop + PreviewSize + ShadowOffset + PreviewTop);

    for (int k = 0; k < TextureCount; ++k) {
        const QRect place(PreviewTop + k * PreviewStride, PreviewTop, PreviewSize, PreviewSize);
        // The shadow is made first so that the picture is drawn above it.
        m_textureShadows[k] =
            new TShapeWidget(row, TShapeWidget::TKind::Rectangle,
                             place.translated(ShadowOffset, ShadowOffset), QBrush(ShadowGrey));
        m_texturePreviews[k] = new TTexturePreview(
            row, place, [this, k] { return Texture(k); }, TextureSources[k].stretched);
        connect(m_texturePreviews[k], &TTexturePreview::clicked, this,
                [this, k] { SelectTexture(k + 1); });
    }
    m_textureScroll->setWidget(row);
}

void TBackgroundsDialog::LoadData(const QString &argument)
{
    TDataDialogBase::LoadData(argument);
    m_resultText = QStringLiteral("N");
    m_game = m_runningGame ? m_runningGame() : nullptr;

    const std::optional<TColor> storedColour = m_game ? m_game->backgroundColour : std::nullopt;
    SetFixedColour(storedColour && IsPlainColour(*storedColour) ? *storedColour
                                                                : WorkspaceColour());

    const std::optional<int> storedTexture = m_game ? m_game->backgroundTexture : std::nullopt;
    if (!storedTexture) {
        m_colourRadio->setChecked(true);
        SelectTexture(0);
    } else {
        m_textureRadio->setChecked(true);
        SelectTexture(*storedTexture);
    }
    UpdateLayout();
}

void TBackgroundsDialog::StoreData()
{
    TDataDialogBase::StoreData();
    if (m_game) {
        m_game->backgroundColour = m_fixedColour;
        m_game->backgroundTexture =
            IsTextureChosen() ? std::optional<int>(m_textureIndex) : std::nullopt;
    }
    m_resultText = QStringLiteral("Y");
    m_game = nullptr;
}

void TBackgroundsDialog::ReleaseData()
{
    TDataDialogBase::ReleaseData();
    m_game = nullptr;
}

bool TBackgroundsDialog::IsTextureChosen() const
{
    return m_textureRadio->isChecked();
}

QImage TBackgroundsDialog::ChosenTexture() const
{
    if (!IsTextureChosen() || m_textureIndex == 0)
        return QImage();
    return Texture(m_textureIndex - 1);
}

QImage TBackgroundsDialog::Texture(int n) const
{
    if (m_textures[n].isNull())
        m_textures[n] = WindowLook::ResourceImage(QString::fromLatin1(TextureSources[n].resource));
    return m_textures[n];
}

void TBackgroundsDialog::SelectTexture(int n)
{
    m_textureIndex = n >= 1 && n <= TextureCount ? n : 0;
    for (int k = 0; k < TextureCount; ++k)
        m_textureShadows[k]->SetBrush(QBrush(k + 1 == m_textureIndex ? ShadowMarked : ShadowGrey));
}

void TBackgroundsDialog::UpdateLayout()
{
    const bool textureMode = IsTextureChosen();
    setFixedSize(DialogWidth, textureMode ? TextureModeHeight : ColourModeHeight);
    m_textureScroll->setVisible(textureMode);
}

void TBackgroundsDialog::SetFixedColour(TColor colour)
{
    m_fixedColour = colour;
    m_colourSwatch->SetBrush(QBrush(ToQColor(m_fixedColour)));
}

void TBackgroundsDialog::ChooseColourClicked()
{
    // The colour dialog is deliberately not preset: it offers the colour it last returned.
    if (!m_colourDialog)
        m_colourDialog = new QColorDialog(this);
    if (m_colourDialog->exec() == QDialog::Accepted)
        SetFixedColour(FromQColor(m_colourDialog->selectedColor()));
}

void TBackgroundsDialog::showEvent(QShowEvent *event)
{
    TDataDialogBase::showEvent(event);
    WindowLook::CentreOnScreen(this);
}

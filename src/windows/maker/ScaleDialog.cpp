#include "windows/maker/ScaleDialog.h"

#include "engine/picture/Resampling.h"
#include "windows/common/ConfirmationWindow.h"
#include "windows/common/Guards.h"
#include "windows/common/ProgramWindows.h"
#include "windows/common/WindowLook.h"
#include "windows/maker/PictureEditor.h"
#include "windows/maker/PictureView.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyleOptionSlider>
#include <QStylePainter>
#include <algorithm>
#include <stdexcept>

namespace
{

constexpr int RealSizePercent = 100;
constexpr int SelectionChannelHeight = 4;

} // namespace

TSelectionTrackBar::TSelectionTrackBar(QWidget *parent) : QSlider(Qt::Horizontal, parent)
{
}

void TSelectionTrackBar::SetSelection(int start, int end)
{
    m_selectionStart = start;
    m_selectionEnd = end;
    update();
}

void TSelectionTrackBar::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.subControls = QStyle::SC_SliderGroove | QStyle::SC_SliderTickmarks;
    painter.drawComplexControl(QStyle::CC_Slider, option);

    // The range between the handle's centres at the two ends, drawn over the channel and under
    // the handle.
    const QRect groove =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    const QRect handle =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    const int travel = groove.width() - handle.width();
    const auto centreOf = [&](int value) {
        const int bounded = std::clamp(value, minimum(), maximum());
        return groove.x() + handle.width() / 2 +
               QStyle::sliderPositionFromValue(minimum(), maximum(), bounded, travel);
    };
    const int left = centreOf(m_selectionStart);
    const int right = centreOf(m_selectionEnd);
    if (right > left)
        painter.fillRect(QRect(left, groove.center().y() - SelectionChannelHeight / 2, right - left,
                               SelectionChannelHeight),
                         palette().highlight());

    option.subControls = QStyle::SC_SliderHandle;
    painter.drawComplexControl(QStyle::CC_Slider, option);
}

TScaleDialog::TScaleDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Scale view"));
    setFixedSize(392, 136);
    setFont(WindowLook::DialogFont());
    setAttribute(Qt::WA_QuitOnClose, false);

    m_scaleSlider = new TSelectionTrackBar(this);
    m_scaleSlider->setGeometry(14, 14, 232, 43);
    m_scaleSlider->setRange(MinScalePercent, MaxScalePercent);
    m_scaleSlider->setValue(RealSizePercent);
    m_scaleSlider->setTickInterval(25);
    m_scaleSlider->setTickPosition(QSlider::TicksBothSides);
    m_scaleSlider->SetSelection(0, RealSizePercent);
    connect(m_scaleSlider, &QSlider::valueChanged, this, &TScaleDialog::ScaleChanged);

    QFont boldFont = font();
    boldFont.setBold(true);
    m_shownSizeCaption =
        WindowLook::MakeLabel(this, 21, 63, QStringLiteral("Shown size:"), boldFont, Qt::black);
    m_scaleLabel =
        WindowLook::MakeLabel(this, 91, 63, QString::number(RealSizePercent), font(), Qt::red);
    m_scaleLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scaleLabel->setFixedWidth(29);
    m_percentCaption = WindowLook::MakeLabel(this, 126, 63, QStringLiteral("% of real image size"),
                                             boldFont, Qt::black);

    const auto addButton = [this](const QString &caption, const QRect &geometry,
                                  void (TScaleDialog::*handler)()) {
        auto *button = new QPushButton(caption, this);
        button->setGeometry(geometry);
        connect(button, &QPushButton::clicked, this, [this, handler] {
            RunShowingFailure(this, [this, handler] { (this->*handler)(); });
        });
        return button;
    };
    m_closeButton =
        addButton(QStringLiteral("Ok"), QRect(294, 14, 75, 25), &TScaleDialog::CloseClicked);
    m_cancelButton =
        addButton(QStringLiteral("Cancel"), QRect(294, 42, 75, 25), &TScaleDialog::CancelClicked);
    m_resetButton =
        addButton(QStringLiteral("Reset"), QRect(294, 91, 75, 25), &TScaleDialog::ResetClicked);
    m_applyButton = addButton(QStringLiteral("Set real image size by the shown size"),
                              QRect(21, 91, 218, 25), &TScaleDialog::ApplyClicked);
    m_applyButton->setEnabled(false);
    m_closeButton->setDefault(true);
    m_closeButton->setToolTip(QStringLiteral("Keep the picture shown at this size (Enter)"));
    m_cancelButton->setToolTip(QStringLiteral("Show the picture at its real size again (Esc)"));
    m_resetButton->setToolTip(QStringLiteral("Back to 100 %"));
    m_applyButton->setToolTip(QStringLiteral("Resample the picture to the size shown"));
}

void TScaleDialog::keyPressEvent(QKeyEvent *event)
{
    // Esc is Cancel, which also puts the view back to real size.
    if (event->key() == Qt::Key_Escape)
        RunShowingFailure(this, [this] { CancelClicked(); });
    else
        QDialog::keyPressEvent(event);
}

bool TScaleDialog::ScaleView(TPictureView *image, bool showApply)
{
    if (!image)
        return false;
    this->m_image = image;
    m_applied = false;
    ResetScale();
    m_applyButton->setVisible(showApply);
    WindowLook::CentreOnScreen(this);
    exec();
    this->m_image = nullptr;
    return m_applied;
}

void TScaleDialog::ResetScale()
{
    m_scaleLabel->setText(QString::number(RealSizePercent));
    m_scaleSlider->setValue(RealSizePercent);
    m_applyButton->setEnabled(false);
    if (!m_image)
        return;
    m_image->ShowRealSize();
    m_baseWidth = m_image->width();
    m_baseHeight = m_image->height();
}

QSize TScaleDialog::ShownSize(int position) const
{
    return {ScaledLength(m_baseWidth, position), ScaledLength(m_baseHeight, position)};
}

void TScaleDialog::ScaleChanged(int position)
{
    m_scaleLabel->setText(QString::number(position));
    const QSize shown = ShownSize(position);
    if (m_image)
        m_image->ShowStretched(shown);
    // A size that cannot hold a picture (0 pixels across, or beyond the pixel limit) is not
    // offered for resampling.
    m_applyButton->setEnabled(position != RealSizePercent && CanResampleTo(shown));
}

void TScaleDialog::CloseClicked()
{
    accept();
}

void TScaleDialog::CancelClicked()
{
    ResetScale();
    reject();
}

void TScaleDialog::ResetClicked()
{
    ResetScale();
}

void TScaleDialog::ApplyClicked()
{
    if (!m_image || !m_applyButton->isEnabled())
        return;
    const QSize shown = m_image->size();
    if (!ProgramWindows().confirmationWindow ||
        !ProgramWindows().confirmationWindow->Ask(
            QStringLiteral("Do you really want to set real image size %1 x %2?")
                .arg(shown.width())
                .arg(shown.height())))
        return;
    const QImage resampled = ResampleBitmap(m_image->Picture(), shown);
    if (resampled.isNull())
        throw std::runtime_error("Not enough memory for a picture of this size.");
    ResetScale();
    m_image->SetPicture(resampled);
    ResetScale();
    m_applied = true;
    accept();
}

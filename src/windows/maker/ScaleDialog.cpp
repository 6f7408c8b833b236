#include "windows/maker/ScaleDialog.h"

#include "engine/picture/Resampling.h"
#include "windows/common/ConfirmationWindow.h"
#include "windows/common/Guards.h"
#include "windows/common/MainState.h"
#include "windows/common/WindowInstances.h"
#include "windows/common/WindowLook.h"
#include "windows/maker/PictureEditor.h"
#include "windows/maker/PictureView.h"

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
    selectionStart = start;
    selectionEnd = end;
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
    const int left = centreOf(selectionStart);
    const int right = centreOf(selectionEnd);
    if (right > left)
        painter.fillRect(QRect(left, groove.center().y() - SelectionChannelHeight / 2, right - left,
                               SelectionChannelHeight),
                         palette().highlight());

    option.subControls = QStyle::SC_SliderHandle;
    painter.drawComplexControl(QStyle::CC_Slider, option);
}

TD_scale_image::TD_scale_image(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Scale view"));
    setFixedSize(392, 136);
    setFont(WindowLook::DialogFont());
    setAttribute(Qt::WA_QuitOnClose, false);

    TrB1 = new TSelectionTrackBar(this);
    TrB1->setGeometry(14, 14, 232, 43);
    TrB1->setRange(MinScalePercent, MaxScalePercent);
    TrB1->setValue(RealSizePercent);
    TrB1->setTickInterval(25);
    TrB1->setTickPosition(QSlider::TicksBothSides);
    TrB1->SetSelection(0, RealSizePercent);
    connect(TrB1, &QSlider::valueChanged, this, &TD_scale_image::TrB1Change);

    QFont boldFont = font();
    boldFont.setBold(true);
    Label1 =
        WindowLook::MakeLabel(this, 21, 63, QStringLiteral("Shown size:"), boldFont, Qt::black);
    Label_scale =
        WindowLook::MakeLabel(this, 91, 63, QString::number(RealSizePercent), font(), Qt::red);
    Label_scale->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label_scale->setFixedWidth(29);
    Label2 = WindowLook::MakeLabel(this, 126, 63, QStringLiteral("% of real image size"), boldFont,
                                   Qt::black);

    const auto addButton = [this](const QString &caption, const QRect &geometry,
                                  void (TD_scale_image::*handler)()) {
        auto *button = new QPushButton(caption, this);
        button->setGeometry(geometry);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, handler] {
            RunShowingFailure(this, [this, handler] { (this->*handler)(); });
        });
        return button;
    };
    BtnClose =
        addButton(QStringLiteral("Ok"), QRect(294, 14, 75, 25), &TD_scale_image::BtnCloseClick);
    btn_cancel = addButton(QStringLiteral("Cancel"), QRect(294, 42, 75, 25),
                           &TD_scale_image::btn_cancelClick);
    btn_reset =
        addButton(QStringLiteral("Reset"), QRect(294, 91, 75, 25), &TD_scale_image::btn_resetClick);
    btn_apply = addButton(QStringLiteral("Set real image size by the shown size"),
                          QRect(21, 91, 218, 25), &TD_scale_image::btn_applyClick);
    btn_apply->setEnabled(false);
}

void TD_scale_image::ScaleView(TPictureView *image, bool showApply)
{
    if (!image)
        return;
    this->image = image;
    ResetScale();
    btn_apply->setVisible(showApply);
    WindowLook::CentreOnScreen(this);
    exec();
    this->image = nullptr;
}

void TD_scale_image::ResetScale()
{
    Label_scale->setText(QString::number(RealSizePercent));
    TrB1->setValue(RealSizePercent);
    btn_apply->setEnabled(false);
    if (!image)
        return;
    image->ShowRealSize();
    baseWidth = image->width();
    baseHeight = image->height();
}

QSize TD_scale_image::ShownSize(int position) const
{
    return {ScaledLength(baseWidth, position), ScaledLength(baseHeight, position)};
}

void TD_scale_image::TrB1Change(int position)
{
    Label_scale->setText(QString::number(position));
    const QSize shown = ShownSize(position);
    if (image)
        image->ShowStretched(shown);
    // A size that cannot hold a picture (0 pixels across, or beyond the pixel limit) is not
    // offered for resampling.
    btn_apply->setEnabled(position != RealSizePercent && CanResampleTo(shown));
}

void TD_scale_image::BtnCloseClick()
{
    accept();
}

void TD_scale_image::btn_cancelClick()
{
    ResetScale();
    reject();
}

void TD_scale_image::btn_resetClick()
{
    ResetScale();
}

void TD_scale_image::btn_applyClick()
{
    if (!image || !btn_apply->isEnabled())
        return;
    const QSize shown = image->size();
    if (!Fsure || !Fsure->Ask(QStringLiteral("Do you really want to set real image size %1 x %2?")
                                  .arg(shown.width())
                                  .arg(shown.height())))
        return;
    const QImage resampled = ResampleBitmap(image->Picture(), shown);
    if (resampled.isNull())
        throw std::runtime_error("Not enough memory for a picture of this size.");
    ResetScale();
    image->SetPicture(resampled);
    ResetScale();
    if (MainState && MainState->CurrentEditor)
        MainState->CurrentEditor->SetEdited();
    accept();
}

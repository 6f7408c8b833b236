#include "windows/common/BandedGradient.h"

#include <QPainter>
#include <cmath>
#include <numbers>

namespace
{

const QColor FirstBand{153, 204, 255};
const QColor LastBand{5, 106, 206};

int Step(int from, int to, int index)
{
    return static_cast<int>(
        std::lround(from + double(to - from) * index / (TBandedGradient::BandCount - 1)));
}

} // namespace

TBandedGradient::TBandedGradient(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QColor TBandedGradient::BandColour(int index)
{
    return QColor(Step(FirstBand.red(), LastBand.red(), index),
                  Step(FirstBand.green(), LastBand.green(), index),
                  Step(FirstBand.blue(), LastBand.blue(), index));
}

void TBandedGradient::paintEvent(QPaintEvent *)
{
    const double tilt = TiltDegrees * std::numbers::pi / 180.0;
    // Measured across the bands, the frame reaches from its top left corner (0) to its bottom
    // right corner; along the bands, from its bottom left to its top right corner.
    const double across = FrameWidth * std::sin(tilt) + FrameHeight * std::cos(tilt);
    const double alongStart = -FrameHeight * std::sin(tilt);
    const double alongLength = FrameWidth * std::cos(tilt) - alongStart;
    const double bandWidth = across / BandCount;

    QPainter painter(this);
    painter.scale(double(width()) / FrameWidth, double(height()) / FrameHeight);
    painter.rotate(-TiltDegrees);
    painter.setPen(Qt::NoPen);
    for (int index = 0; index < BandCount; ++index) {
        painter.setBrush(BandColour(index));
        // Each band reaches a little into the next, which is drawn over it, so no seam shows.
        painter.drawRect(
            QRectF(alongStart - 1.0, index * bandWidth, alongLength + 2.0, bandWidth + 1.0));
    }
}

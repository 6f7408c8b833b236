#include "windows/common/AnimatedImage.h"

#include "windows/common/WindowLook.h"

#include <QPainter>
#include <QPolygonF>
#include <QtMath>

TAnimatedImage::TAnimatedImage(QWidget *parent, QList<QImage> frames, int intervalMs)
    : QWidget(parent), m_frames(std::move(frames))
{
    // The sparkle decorates; clicks go to what lies under it.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    if (!this->m_frames.isEmpty())
        resize(this->m_frames.first().deviceIndependentSize().toSize());
    m_frameTimer.setInterval(intervalMs);
    connect(&m_frameTimer, &QTimer::timeout, this, &TAnimatedImage::NextFrame);
}

void TAnimatedImage::Start()
{
    m_frameTimer.start();
}

void TAnimatedImage::Stop()
{
    if (!m_frameTimer.isActive())
        return;
    m_frameTimer.stop();
    emit Stopped();
}

void TAnimatedImage::NextFrame()
{
    if (m_frames.isEmpty())
        return;
    m_frameIndex = (m_frameIndex + 1) % static_cast<int>(m_frames.size());
    update();
    emit FrameChanged();
}

void TAnimatedImage::paintEvent(QPaintEvent *)
{
    if (m_frames.isEmpty())
        return;
    QPainter painter(this);
    painter.drawImage(0, 0, m_frames[m_frameIndex]);
}

namespace
{

constexpr int SparkleSize = 16;

// A four-pointed star centred in the frame: arms of armLength, a waist of waist, turned by
// angleDegrees.
QImage StarFrame(double armLength, double waist, double angleDegrees, const QColor &glow,
                 qreal pixelRatio)
{
    QImage frame = WindowLook::TransparentCanvas(QSize(SparkleSize, SparkleSize), pixelRatio);
    QPainter painter(&frame);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(SparkleSize / 2.0, SparkleSize / 2.0);
    QPolygonF star;
    for (int k = 0; k < 8; ++k) {
        const double radius = k % 2 == 0 ? armLength : waist;
        const double angle = qDegreesToRadians(angleDegrees + k * 45.0);
        star << centre + QPointF(radius * qCos(angle), radius * qSin(angle));
    }
    painter.setPen(QPen(glow, 1.0));
    painter.setBrush(Qt::white);
    painter.drawPolygon(star);
    return frame;
}

} // namespace

QList<QImage> SparkleFrames(qreal pixelRatio)
{
    const QColor gold(255, 200, 40);
    return {
        StarFrame(7.5, 2.0, -90.0, gold, pixelRatio), StarFrame(5.0, 1.6, -45.0, gold, pixelRatio),
        StarFrame(3.0, 1.2, -90.0, gold, pixelRatio), StarFrame(6.0, 1.8, -45.0, gold, pixelRatio)};
}

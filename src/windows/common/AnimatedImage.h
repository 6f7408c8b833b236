#pragma once
// An animated image control: shows its frames in turn at a fixed interval while started, and
// reports each frame change and the stop. The desktop uses it for the join sparkle.

#include <QImage>
#include <QList>
#include <QTimer>
#include <QWidget>

class TAnimatedImage : public QWidget
{
    Q_OBJECT

public:
    // The control takes the size of the first frame (in window pixels, as its device pixel
    // ratio gives it); frames are painted at its top-left corner.
    TAnimatedImage(QWidget *parent, QList<QImage> frames, int intervalMs);

    void Start();
    // Stops the animation and raises Stopped, if it was running.
    void Stop();
    bool IsAnimating() const { return m_frameTimer.isActive(); }

signals:
    // After the next frame has been made current.
    void FrameChanged();
    void Stopped();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void NextFrame();

    QList<QImage> m_frames;
    QTimer m_frameTimer;
    int m_frameIndex = 0;
};

// The four frames of the join sparkle: a small star that twinkles, 16 × 16, transparent around.
// Drawn at pixelRatio device pixels to each window pixel.
QList<QImage> SparkleFrames(qreal pixelRatio = 1.0);

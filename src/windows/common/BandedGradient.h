#pragma once
// The background picture of the loading and save pages: 63 parallel bands, each tilted 15 degrees
// upward to the right, stepping evenly from light blue at the top left to blue at the bottom
// right. It is a vector picture, drawn stretched to the control's size.

#include <QColor>
#include <QWidget>

class TBandedGradient : public QWidget
{
    Q_OBJECT
public:
    static constexpr int BandCount = 63;
    static constexpr double TiltDegrees = 15.0;
    // The picture's own frame, stretched to the control when drawn.
    static constexpr int FrameWidth = 738;
    static constexpr int FrameHeight = 309;

    explicit TBandedGradient(QWidget *parent);

    // Colour of band index 0..BandCount-1, counted from the top left.
    static QColor BandColour(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
};

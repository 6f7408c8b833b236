#pragma once
// A caption that reports a click of the left mouse button, for link and step labels. While it
// takes the focus (SetKeyboardReachable), Enter and Space click it as well.

#include <QLabel>

class TClickableLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

    // Whether Tab stops at the label; a label that does nothing now is passed by.
    void SetKeyboardReachable(bool reachable);

signals:
    void Clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};

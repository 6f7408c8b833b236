#pragma once
// A caption that reports a click of the left mouse button, for link and step labels.

#include <QLabel>

class TClickableLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void Clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

#include "windows/common/ClickableLabel.h"

#include <QKeyEvent>
#include <QMouseEvent>

void TClickableLabel::SetKeyboardReachable(bool reachable)
{
    setFocusPolicy(reachable ? Qt::StrongFocus : Qt::NoFocus);
    if (!reachable && hasFocus())
        focusNextChild();
}

void TClickableLabel::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit Clicked();
}

void TClickableLabel::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (focusPolicy() != Qt::NoFocus) {
            emit Clicked();
            return;
        }
        break;
    default:
        break;
    }
    QLabel::keyPressEvent(event);
}

#pragma once
// Dropping files on a window as a file manager does: the drag enters, then drops.

#include <QApplication>
#include <QDropEvent>
#include <QList>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

// Whether widget welcomed the drag and took the drop.
inline bool DropFiles(QWidget *widget, const QList<QUrl> &files)
{
    QMimeData data;
    data.setUrls(files);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &drop);
    return drop.isAccepted();
}

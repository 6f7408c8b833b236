#include "windows/common/KeyboardCommands.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

bool ClickFocusedCommand(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    auto *button = qobject_cast<QAbstractButton *>(QApplication::focusWidget());
    if (!button || button->isCheckable() || !button->isEnabled())
        return false;
    button->click();
    return true;
}

QString DroppedFile(const QMimeData *data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1)
        return {};
    const QUrl url = data->urls().first();
    return url.isLocalFile() ? url.toLocalFile() : QString();
}

#include "windows/common/Guards.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QString>
#include <exception>

namespace
{

// A message may carry text from a hostile file; a box of megabytes freezes the desktop.
constexpr qsizetype MaxShownMessageLength = 400;

void ShowErrorBox(QWidget *owner, const QString &message)
{
    const QString shown = message.size() <= MaxShownMessageLength
                              ? message
                              : message.left(MaxShownMessageLength) + QStringLiteral("...");
    QMessageBox::critical(owner, QStringLiteral("Tessalune"), shown);
}

} // namespace

bool RunShowingFailure(QWidget *owner, const std::function<void()> &action)
{
    try {
        action();
        return true;
    } catch (const std::exception &failure) {
        ShowErrorBox(owner, QString::fromUtf8(failure.what()));
    }
    return false;
}

bool RunSilently(const std::function<void()> &action)
{
    try {
        action();
        return true;
    } catch (const std::exception &) {
    }
    return false;
}

TBusyCursor::TBusyCursor()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

TBusyCursor::~TBusyCursor()
{
    QGuiApplication::restoreOverrideCursor();
}

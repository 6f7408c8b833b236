#include "windows/common/Guards.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QString>
#include <exception>

namespace
{

void ShowErrorBox(QWidget *owner, const QString &message)
{
    QMessageBox::critical(owner, QStringLiteral("Tessalune"), message);
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

#include "app/ApplicationStart.h"

#include <QWidget>

void CreateApplicationWindows()
{
    auto *mainWindow = new QWidget;
    mainWindow->setAttribute(Qt::WA_DeleteOnClose);
    mainWindow->setWindowTitle(QStringLiteral("Tessalune"));
    mainWindow->resize(746, 444);
    mainWindow->show();
}

// Program entry: the start-up step, the application object, the windows and the message loop.
#include "app/ApplicationStart.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    CreateApplicationWindows();
    return application.exec();
}

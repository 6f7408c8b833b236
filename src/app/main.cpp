#include "app/ApplicationStart.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    CreateApplicationWindows();
    return application.exec();
}

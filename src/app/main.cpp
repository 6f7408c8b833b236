// Program entry: the start-up step, the application object, the windows and the message loop.
#include "windows/main/ApplicationWindows.h"
#include "app/CommandLine.h"
#include "engine/container/ExecutablePayload.h"

#include <QApplication>

int main(int argc, char **argv)
{
    if (IsCommandLineJob(argc, argv))
        return RunCommandLine(argc, argv);
    RunStartupStep(argc, argv);
    QApplication application(argc, argv);
    Platform::ApplyEarlyQuitRequest();
    const TApplicationWindows windows;
    return application.exec();
}

// Program entry: the start-up step, the application object, the windows and the message loop.
#include "app/CarriedRuntime.h"
#include "app/CommandLine.h"
#include "engine/container/ExecutablePayload.h"
#include "engine/container/PuzzleFile.h"
#include "windows/main/ApplicationWindows.h"

#include <QApplication>
#include <QFileInfo>

int main(int argc, char **argv)
{
    Platform::AdoptStartStagePuzzleFile();
    PrepareCarriedRuntime();
    if (IsCommandLineJob(argc, argv))
        return RunCommandLine(argc, argv);
    const QString puzzleFile = PuzzleFileParameter(
        Platform::RunningExecutablePath(), argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString());
    if (puzzleFile.isEmpty()) {
        RunStartupStep(argc, argv);
    } else {
        // A puzzle file is played where it lies; it needs none of its own program's start-up.
        OpenPuzzleFile(puzzleFile);
        Platform::SetWorkingFolder(QFileInfo(puzzleFile).absolutePath());
    }
    QApplication application(argc, argv);
    AddCarriedFonts();
    Platform::ApplyEarlyQuitRequest();
    const TApplicationWindows windows;
    return application.exec();
}

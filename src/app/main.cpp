// Program entry: the start-up step, the application object, the windows and the message loop.
#include "app/CarriedRuntime.h"
#include "app/CommandLine.h"
#include "engine/container/ExecutablePayload.h"
#include "engine/container/PuzzleFile.h"
#include "windows/main/ApplicationWindows.h"

#include <QApplication>
#include <QFileInfo>
#include <cstdio>
#include <stdexcept>

int main(int argc, char **argv)
{
    Platform::AdoptStartStagePuzzleFile();
    PrepareCarriedRuntime();
    if (IsCommandLineJob(argc, argv))
        return RunCommandLine(argc, argv);
    StartupContext startup;
    try {
        // Paths that text would change name other files: refused, not opened or replaced.
        startup = CurrentStartupContext(argc, argv);
    } catch (const std::runtime_error &refused) {
        std::fprintf(stderr, "tessalune: %s\n", refused.what());
        return 2;
    }
    const QString puzzleFile =
        PuzzleFileParameter(startup.executablePath, startup.parameters.value(0));
    if (puzzleFile.isEmpty()) {
        RunStartupStep(startup);
    } else {
        // A puzzle file is played where it lies; it needs none of its own program's start-up.
        OpenPuzzleFile(puzzleFile);
        Platform::SetWorkingFolder(QFileInfo(puzzleFile).absolutePath());
        Platform::RemoveStaleTemporaryFiles(QFileInfo(puzzleFile).absolutePath());
    }
    QApplication application(argc, argv);
    AddCarriedFonts();
    Platform::ApplyEarlyQuitRequest();
    const TApplicationWindows windows;
    return application.exec();
}

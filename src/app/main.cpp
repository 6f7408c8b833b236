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
    QString firstArgument;
    try {
        // A path that text would change names another file: refused, not opened or replaced.
        firstArgument = argc > 1 ? Platform::ArgumentText(argv[1]) : QString();
    } catch (const std::runtime_error &refused) {
        std::fprintf(stderr, "tessalune: %s\n", refused.what());
        return 2;
    }
    const QString puzzleFile =
        PuzzleFileParameter(Platform::RunningExecutablePath(), firstArgument);
    if (puzzleFile.isEmpty()) {
        RunStartupStep(argc, argv);
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

// Test entry for window tests: a widget application on the offscreen platform unless told
// otherwise.
#include "support/TestRun.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication application(argc, argv);
    // Each test program keeps the user's settings in a folder of its own, so test programs run
    // side by side do not forget or overwrite each other's; a test that starts its own program
    // again still finds them.
    QSettings::setPath(
        QSettings::NativeFormat, QSettings::UserScope,
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
            .filePath(QFileInfo(QCoreApplication::applicationFilePath()).fileName()));
    ::testing::InitGoogleTest(&argc, argv);
    return RunAllTestsReportingSkips();
}

// Test entry for window tests: a widget application on the offscreen platform unless told
// otherwise.
#include "support/TestRun.h"

#include <QApplication>
#include <QStandardPaths>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RunAllTestsReportingSkips();
}

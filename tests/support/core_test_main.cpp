// Test entry for engine and process tests: a core application so that events and timers run.
#include "support/TestRun.h"

#include <QCoreApplication>
#include <QStandardPaths>

int main(int argc, char **argv)
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RunAllTestsReportingSkips();
}

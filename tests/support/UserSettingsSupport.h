#pragma once
// Tests run with QStandardPaths' test mode, so the settings they write live in a test folder
// of each test program (see gui_test_main.cpp) and never in the user's own.

#include <QSettings>

// A first start: no remembered choices. True, so that a fixture can call it in a member's
// initialiser, before a window reads the settings.
inline bool ForgetUserSettings()
{
    QSettings(QSettings::UserScope, QStringLiteral("Tessalune"), QStringLiteral("Tessalune"))
        .clear();
    return true;
}

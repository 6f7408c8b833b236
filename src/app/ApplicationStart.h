#pragma once
// Creates the program's windows in their fixed order; the single instances live here.

// Creates the windows; the first one is the main window, whose closing ends the program.
void CreateApplicationWindows();

#pragma once
// The program inside a portable puzzle's unpacked runtime finds Qt's plug-ins and the fonts the
// windows are laid out for beside itself; its libraries it finds through its own search path.
// In every other build these do nothing.

// Points Qt at the carried plug-ins; call before the application object exists.
void PrepareCarriedRuntime();
// Adds the carried fonts, and makes "Arial" mean Liberation Sans; call once the application
// object exists.
void AddCarriedFonts();

#pragma once
// The stage's own message window: it cannot load the host's X library (it is linked statically),
// so it speaks the X protocol on the display's local socket itself.

#include <string>

// Shows `message` with an OK button on the X display DISPLAY names, authenticated with the
// cookie in XAUTHORITY (or `home`/.Xauthority), until OK is clicked, a key is pressed or the
// window is closed. False when no display could be reached.
bool ShowMessageWindow(const std::string &message, const std::string &home);

// True when DISPLAY names a local display whose socket cannot be reached.
bool LocalDisplayUnreachable();

#pragma once
// The only code that knows the operating system. Everything else asks here.

#include <QString>

namespace Platform
{

// Absolute path of the running executable; usable before the application object exists.
QString RunningExecutablePath();

} // namespace Platform
